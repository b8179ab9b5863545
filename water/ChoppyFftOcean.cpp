#include "water/ChoppyFftOcean.h"

#include <cmath>

ChoppyFftOcean::ChoppyFftOcean(float lambda, int log2N, int log2M, float amplitude, float windX,
                               float windZ, float patchX, float patchZ)
    : FftOcean(log2N, log2M, amplitude, windX, windZ, patchX, patchZ), lambda(lambda) {
  const std::size_t count = static_cast<std::size_t>(width()) * height();
  dx = FftPlan2D::allocate(count);
  dz = FftPlan2D::allocate(count);
  unitX.assign(count, 0.0f);
  unitZ.assign(count, 0.0f);
  forEachSpectrumWrite([&](std::uint32_t index, float kx, float kz) {
    const float k = std::sqrt(kx * kx + kz * kz);
    unitX[index] = k == 0.0f ? 0.0f : kx / k;
    unitZ[index] = k == 0.0f ? 0.0f : kz / k;
  });
}

ChoppyFftOcean::~ChoppyFftOcean() {
  FftPlan2D::release(dx);
  FftPlan2D::release(dz);
}

void ChoppyFftOcean::spectrumStored() {
  const float* h = reinterpret_cast<const float*>(heights());
  float* x = reinterpret_cast<float*>(dx);
  float* z = reinterpret_cast<float*>(dz);
  const std::size_t count = unitX.size();
  // value·(0, −u) = (imag·u, −real·u)
  for (std::size_t i = 0; i < count; ++i) {
    const float real = h[2 * i], imag = h[2 * i + 1];
    x[2 * i] = imag * unitX[i];
    x[2 * i + 1] = -real * unitX[i];
    z[2 * i] = imag * unitZ[i];
    z[2 * i + 1] = -real * unitZ[i];
  }
}

void ChoppyFftOcean::transform() {
  FftOcean::transform();
  transformCentred(dx, lambda);
  transformCentred(dz, lambda);
}
