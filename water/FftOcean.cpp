#include "water/FftOcean.h"

#include <cmath>

#include "foundation/Random.h"
#include "foundation/VectorLoops.h"
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
  const std::size_t halfColumns = columns / 2 + 1;
  omega.resize(static_cast<std::size_t>(rows / 2 + 1) * halfColumns);
  halfCos.resize(omega.size());
  halfSin.resize(omega.size());
  phaseCos.resize(visited);
  phaseSin.resize(visited);
  mirroredInitial.resize(2 * visited);

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
      if (r <= rows / 2 && c < halfColumns) omega[r * halfColumns + c] = std::sqrt(kGravity * std::sqrt(kSquared));
    }
  }
  for (std::size_t i = 0; i < visited; ++i) {
    const std::size_t r = i / columns, c = i % columns;
    const std::size_t mirror = ((rows - r) & (rows - 1)) * columns + ((columns - c) & (columns - 1));
    mirroredInitial[2 * i] = h0[mirror].real();
    mirroredInitial[2 * i + 1] = -h0[mirror].imag();
  }
  reversedInitial.resize(2 * visited);
  reversedMirrored.resize(2 * visited);
  for (std::size_t i = 0; i < visited; ++i) {
    const std::size_t r = i / columns, c = i % columns;
    const std::size_t reversed = r * columns + ((columns - c) & (columns - 1));
    for (int part = 0; part < 2; ++part) {
      reversedInitial[2 * i + part] = reinterpret_cast<const float*>(h0)[2 * reversed + part];
      reversedMirrored[2 * i + part] = mirroredInitial[2 * reversed + part];
    }
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
VECTOR_LOOPS void phaseFactors(const double* omega, double timeSec, std::size_t count, float* cosOut,
                  float* sinOut) {
  for (std::size_t i = 0; i < count; ++i) sinCosPeriod(reducePhase(omega[i] * timeSec), sinOut[i], cosOut[i]);
}

// One row of h = a·e + b·conj(e), with b = conj(h0(−k)) already in row order; with Conjugate set,
// its conjugate.
template <bool Conjugate>
VECTOR_LOOPS void combineRow(const float* __restrict a, const float* __restrict b, const float* __restrict co,
                const float* __restrict sn, std::size_t count, float* __restrict out) {
  for (std::size_t c = 0; c < count; ++c) {
    const float ar = a[2 * c], ai = a[2 * c + 1], br = b[2 * c], bi = b[2 * c + 1];
    const float imag = ar * sn[c] + ai * co[c] + bi * co[c] - br * sn[c];
    out[2 * c] = ar * co[c] - ai * sn[c] + br * co[c] + bi * sn[c];
    out[2 * c + 1] = Conjugate ? -imag : imag;
  }
}

// A visited row's factors from its columns 0..N/2: column c > N/2 takes those of N − c.
VECTOR_LOOPS void expandRow(const float* half, std::size_t columns, float* __restrict row) {
  const std::size_t halfColumns = columns / 2 + 1;
  for (std::size_t c = 0; c < halfColumns; ++c) row[c] = half[c];
  for (std::size_t c = halfColumns; c < columns; ++c) row[c] = half[columns - c];
}

// Multiplies cell (r, c) of a rows × columns complex grid by factor·(−1)^(r+c).
VECTOR_LOOPS void scaleAlternating(float* values, std::size_t columns, std::size_t rows, float factor) {
  const std::size_t rowFloats = 2 * columns;
  for (std::size_t r = 0; r < rows; ++r) {
    float* __restrict row = values + r * rowFloats;
    // Along a row the cells alternate factor, −factor, ... (starting with −factor on odd rows):
    // two cells, four floats, at a time.
    const float first = (r & 1) ? -factor : factor;
    const float second = -first;
    std::size_t i = 0;
    for (; i + 4 <= rowFloats; i += 4) {
      row[i] *= first;
      row[i + 1] *= first;
      row[i + 2] *= second;
      row[i + 3] *= second;
    }
    for (; i < rowFloats; ++i) row[i] *= first;  // a single column
  }
}

}  // namespace

void FftOcean::evaluate(double timeSec) {
  const std::uint32_t halfRows = rows / 2;
  phaseFactors(omega.data(), timeSec, omega.size(), halfCos.data(), halfSin.data());
  const std::size_t halfColumns = columns / 2 + 1;
  for (std::uint32_t r = 0; r <= halfRows; ++r) {
    expandRow(halfCos.data() + r * halfColumns, columns, phaseCos.data() + static_cast<std::size_t>(r) * columns);
    expandRow(halfSin.data() + r * halfColumns, columns, phaseSin.data() + static_cast<std::size_t>(r) * columns);
  }
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
  // Rows 1..M/2 write distinct cells, so each runs as a straight pass over its own inputs (with
  // conj(h0(−k)) stored in row order). Row M − r, column j holds the conjugate of (r, N − j), whose
  // phase factor is that of (r, j): it is made the same way from the inputs stored in reverse.
  for (std::uint32_t r = 1; r <= halfRows; ++r) {
    const std::size_t rowStart = static_cast<std::size_t>(r) * columns;
    const float* co = phaseCos.data() + rowStart;
    const float* sn = phaseSin.data() + rowStart;
    combineRow<false>(initial + 2 * rowStart, mirrored + 2 * rowStart, co, sn, columns, out + 2 * rowStart);
    if (r == halfRows) continue;
    combineRow<true>(reversedInitial.data() + 2 * rowStart, reversedMirrored.data() + 2 * rowStart, co, sn,
                     columns, out + 2 * static_cast<std::size_t>(rows - r) * columns);
  }
  spectrumStored();
  transform();
}

void FftOcean::transform() { transformCentred(h, 1.0f); }

void FftOcean::transformCentred(Complex* data, float factor) const {
  plan.execute(data);
  scaleAlternating(reinterpret_cast<float*>(data), columns, rows, factor);
}
