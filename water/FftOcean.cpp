#include "water/FftOcean.h"

#include <cmath>

#include "foundation/Random.h"

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

// sin y for |y| ≤ π/2 (Taylor to y¹³, error below 6e-8), in plain arithmetic so that the loops
// over a whole grid vectorise.
inline float sinHalfPeriod(float y) {
  const float y2 = y * y;
  return y * (1.0f + y2 * (-1.6666667e-1f + y2 * (8.3333333e-3f + y2 * (-1.9841270e-4f +
             y2 * (2.7557319e-6f + y2 * -2.5052108e-8f)))));
}

// e = (cos ωt, sin ωt) of every cell. The phase is reduced to [−π, π] in double (the time term
// grows without bound) by round-to-nearest through the 2^52·1.5 constant.
void phaseFactors(const double* omega, double timeSec, std::size_t count, float* cosOut,
                  float* sinOut) {
  constexpr double kTwoPi = 6.283185307179586;
  constexpr double kRound = 6755399441055744.0;
  constexpr float kPi = 3.14159265f;
  constexpr float kHalfPi = 1.57079633f;
  for (std::size_t i = 0; i < count; ++i) {
    const double phase = omega[i] * timeSec;
    const double turns = (phase * (1.0 / kTwoPi) + kRound) - kRound;
    const float x = static_cast<float>(phase - turns * kTwoPi);
    const float folded = x > kHalfPi ? kPi - x : (x < -kHalfPi ? -kPi - x : x);
    sinOut[i] = sinHalfPeriod(folded);
    cosOut[i] = sinHalfPeriod(kHalfPi - std::fabs(x));
  }
}

}  // namespace

void FftOcean::evaluate(double timeSec) {
  const std::uint32_t halfRows = rows / 2;
  phaseFactors(omega.data(), timeSec, omega.size(), phaseCos.data(), phaseSin.data());
  for (std::uint32_t r = 0; r <= halfRows; ++r) {
    const std::uint32_t mirrorRow = (rows - r) & (rows - 1);
    const float kz = waveNumberZ(r);
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::uint32_t mirrorColumn = (columns - c) & (columns - 1);
      const std::uint32_t index = r * columns + c;
      const std::uint32_t mirrorIndex = mirrorRow * columns + mirrorColumn;
      const float kx = waveNumberX(c);
      const float k = std::sqrt(kx * kx + kz * kz);
      const float co = phaseCos[index];
      const float s = phaseSin[index];

      // h = h0(k)·e + conj(h0(−k))·conj(e), written out to stay clear of the library's
      // NaN-checking complex multiply.
      const Complex a = h0[index];
      const Complex b = h0[mirrorIndex];
      const float br = b.real();
      const float bi = -b.imag();
      const float real = a.real() * co - a.imag() * s + br * co + bi * s;
      const float imag = a.real() * s + a.imag() * co + bi * co - br * s;
      store(index, kx, kz, k, real, imag);
      if (r != halfRows) store(mirrorIndex, -kx, -kz, k, real, -imag);
    }
  }
  transform();
}

void FftOcean::store(std::uint32_t index, float, float, float, float real, float imag) {
  float* cell = reinterpret_cast<float*>(h + index);
  cell[0] = real;
  cell[1] = imag;
}

void FftOcean::transform() { transformCentred(h, 1.0f); }

void FftOcean::transformCentred(Complex* data, float factor) const {
  plan.execute(data);
  float* values = reinterpret_cast<float*>(data);
  for (std::uint32_t r = 0; r < rows; ++r) {
    float* row = values + static_cast<std::size_t>(r) * columns * 2;
    const float first = (r & 1) ? -factor : factor;
    if (columns == 1) {
      row[0] *= first;
      row[1] *= first;
      continue;
    }
    for (std::uint32_t c = 0; c < columns; c += 2) {
      row[2 * c] *= first;
      row[2 * c + 1] *= first;
      row[2 * c + 2] *= -first;
      row[2 * c + 3] *= -first;
    }
  }
}
