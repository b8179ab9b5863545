#include "water/FftOcean.h"

#include <cmath>

#include "foundation/Random.h"
#include "water/PhaseFactors.h"

FftOcean::FftOcean(int log2N, int log2M, float amplitude, float windX, float windZ, float patchX,
                   float patchZ)
    : amplitude(amplitude),
      windX(windX),
      windZ(windZ),
      dkx(kTwoPi / patchX),
      dkz(kTwoPi / patchZ),
      log2N(log2N),
      log2M(log2M),
      columns(1u << log2N),
      rows(1u << log2M),
      plan(log2N, log2M, 1) {
  const std::size_t count = static_cast<std::size_t>(columns) * rows;
  h0 = FftPlan2D::allocate(count);
  h = FftPlan2D::allocate(count);
  const std::size_t visited = static_cast<std::size_t>(rows / 2 + 1) * columns;
  omega.resize(visited);
  phaseCos.resize(visited);
  phaseSin.resize(visited);
  mirroredInitial.resize(2 * visited);
  rowSigns.resize(2 * static_cast<std::size_t>(columns));
  for (std::size_t i = 0; i < rowSigns.size(); ++i) rowSigns[i] = (i / 2) % 2 == 0 ? 1.0f : -1.0f;

  const float windSquared = windX * windX + windZ * windZ;
  const float largestWave = windSquared / kGravity;
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      const float imaginary = randomGaussian();
      const float real = randomGaussian();
      const float kx = waveNumberX(c);
      const float kz = waveNumberZ(r);
      const float kSquared = kx * kx + kz * kz;
      float spectrum = 0.0f;
      if (kSquared != 0.0f) {
        const float kDotWind = kx * windX + kz * windZ;
        spectrum = amplitude * std::exp(-1.0f / (kSquared * largestWave * largestWave)) /
                   (kSquared * kSquared) * (kDotWind * kDotWind) / (kSquared * windSquared);
      }
      const float scale = std::sqrt(spectrum);
      const std::size_t index = static_cast<std::size_t>(r) * columns + c;
      h0[index] = Complex(0.70710677f * real * scale, 0.70710677f * imaginary * scale);
      if (index < omega.size()) omega[index] = std::sqrt(kGravity * std::sqrt(kSquared));
    }
  }
  for (std::size_t i = 0; i < visited; ++i) {
    const std::size_t r = i / columns, c = i % columns;
    const std::size_t mirror = ((rows - r) & (rows - 1)) * columns + ((columns - c) & (columns - 1));
    mirroredInitial[2 * i] = h0[mirror].real();
    mirroredInitial[2 * i + 1] = -h0[mirror].imag();
  }
}

FftOcean::~FftOcean() {
  FftPlan2D::release(h0);
  FftPlan2D::release(h);
}

float FftOcean::waveNumberX(std::uint32_t column) const {
  return (static_cast<float>(column) - static_cast<float>(columns / 2)) * dkx;
}

float FftOcean::waveNumberZ(std::uint32_t row) const {
  return (static_cast<float>(row) - static_cast<float>(rows / 2)) * dkz;
}

namespace {

// e = (cos ωt, sin ωt) of every cell. The phase is reduced in double: the time term grows
// without bound.
void phaseFactors(const double* omega, double timeSec, std::size_t count, float* cosOut,
                  float* sinOut) {
  for (std::size_t i = 0; i < count; ++i) sinCosPeriod(reducePhase(omega[i] * timeSec), sinOut[i], cosOut[i]);
}

// One row of h = a·e + b·conj(e), with b = conj(h0(−k)) already in row order.
void combineRow(const float* __restrict a, const float* __restrict b, const float* __restrict co,
                const float* __restrict sn, std::size_t count, float* __restrict out) {
  for (std::size_t c = 0; c < count; ++c) {
    const float ar = a[2 * c], ai = a[2 * c + 1], br = b[2 * c], bi = b[2 * c + 1];
    out[2 * c] = ar * co[c] - ai * sn[c] + br * co[c] + bi * sn[c];
    out[2 * c + 1] = ar * sn[c] + ai * co[c] + bi * co[c] - br * sn[c];
  }
}

}  // namespace

void FftOcean::evaluate(double timeSec) {
  const std::uint32_t halfRows = rows / 2;
  phaseFactors(omega.data(), timeSec, omega.size(), phaseCos.data(), phaseSin.data());
  float* out = reinterpret_cast<float*>(h);
  const float* initial = reinterpret_cast<const float*>(h0);
  const float* mirrored = mirroredInitial.data();
  // h = h0(k)·e + conj(h0(−k))·conj(e), written out to stay clear of the library's NaN-checking
  // complex multiply.
  auto combine = [&](std::size_t index, std::size_t mirrorIndex, float& real, float& imag) {
    const float co = phaseCos[index];
    const float s = phaseSin[index];
    const float ar = initial[2 * index], ai = initial[2 * index + 1];
    const float br = initial[2 * mirrorIndex], bi = -initial[2 * mirrorIndex + 1];
    real = ar * co - ai * s + br * co + bi * s;
    imag = ar * s + ai * co + bi * co - br * s;
  };

  // Row 0 is its own mirror and its writes overlap: each cell's conjugate goes to its mirror
  // right after it, so there the later column's write wins.
  for (std::uint32_t c = 0; c < columns; ++c) {
    const std::size_t mirrorIndex = (columns - c) & (columns - 1);
    float real, imag;
    combine(c, mirrorIndex, real, imag);
    out[2 * c] = real;
    out[2 * c + 1] = imag;
    if (halfRows != 0) {
      out[2 * mirrorIndex] = real;
      out[2 * mirrorIndex + 1] = -imag;
    }
  }
  // Rows 1..M/2 write distinct cells, so they run in two straight passes: the row itself
  // (contiguous, with conj(h0(−k)) stored in row order), then the conjugates into the mirror row.
  for (std::uint32_t r = 1; r <= halfRows; ++r) {
    const std::size_t rowStart = static_cast<std::size_t>(r) * columns;
    float* o = out + 2 * rowStart;
    combineRow(initial + 2 * rowStart, mirrored + 2 * rowStart, phaseCos.data() + rowStart,
               phaseSin.data() + rowStart, columns, o);
    if (r == halfRows) continue;
    float* m = out + 2 * static_cast<std::size_t>(rows - r) * columns;
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::size_t mc = (columns - c) & (columns - 1);
      m[2 * mc] = o[2 * c];
      m[2 * mc + 1] = -o[2 * c + 1];
    }
  }
  spectrumStored();
  transform();
}

void FftOcean::transform() { transformCentred(h, 1.0f); }

void FftOcean::transformCentred(Complex* data, float factor) const {
  plan.execute(data);
  float* values = reinterpret_cast<float*>(data);
  const std::size_t rowFloats = 2 * static_cast<std::size_t>(columns);
  const float* signs = rowSigns.data();
  for (std::uint32_t r = 0; r < rows; ++r) {
    float* row = values + r * rowFloats;
    const float rowFactor = (r & 1) ? -factor : factor;
    for (std::size_t i = 0; i < rowFloats; ++i) row[i] *= rowFactor * signs[i];
  }
}
