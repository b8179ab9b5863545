#include "water/ChoppyFftOcean.h"

#include <cmath>

#include "foundation/VectorLoops.h"

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

namespace {

// value·(0, −u) = (imag·u, −real·u) for both unit components.
VECTOR_LOOPS void displacementSpectra(const float* __restrict h, const float* __restrict ux,
                                      const float* __restrict uz, std::size_t count, float* __restrict x,
                                      float* __restrict z) {
  for (std::size_t i = 0; i < count; ++i) {
    const float real = h[2 * i], imag = h[2 * i + 1];
    x[2 * i] = imag * ux[i];
    x[2 * i + 1] = -real * ux[i];
    z[2 * i] = imag * uz[i];
    z[2 * i + 1] = -real * uz[i];
  }
}

}  // namespace

void ChoppyFftOcean::spectrumStored() {
  displacementSpectra(reinterpret_cast<const float*>(heights()), unitX.data(), unitZ.data(), unitX.size(),
                      reinterpret_cast<float*>(dx), reinterpret_cast<float*>(dz));
}

void ChoppyFftOcean::transform() {
  FftOcean::transform();
  transformCentred(dx, lambda);
  transformCentred(dz, lambda);
}
