#include "water/ChoppyFftOcean.h"

ChoppyFftOcean::ChoppyFftOcean(float lambda, int log2N, int log2M, float amplitude, float windX,
                               float windZ, float patchX, float patchZ)
    : FftOcean(log2N, log2M, amplitude, windX, windZ, patchX, patchZ), lambda(lambda) {
  const std::size_t count = static_cast<std::size_t>(width()) * height();
  dx = FftPlan2D::allocate(count);
  dz = FftPlan2D::allocate(count);
}

ChoppyFftOcean::~ChoppyFftOcean() {
  FftPlan2D::release(dx);
  FftPlan2D::release(dz);
}

void ChoppyFftOcean::store(std::uint32_t index, float kx, float kz, float kLength, float real,
                           float imag) {
  FftOcean::store(index, kx, kz, kLength, real, imag);
  float* x = reinterpret_cast<float*>(dx + index);
  float* z = reinterpret_cast<float*>(dz + index);
  if (kLength == 0.0f) {
    x[0] = x[1] = z[0] = z[1] = 0.0f;
    return;
  }
  // value·(0, −k/|k|) = (imag·k/|k|, −real·k/|k|)
  const float ux = kx / kLength;
  const float uz = kz / kLength;
  x[0] = imag * ux;
  x[1] = -real * ux;
  z[0] = imag * uz;
  z[1] = -real * uz;
}

void ChoppyFftOcean::transform() {
  FftOcean::transform();
  transformCentred(dx, lambda);
  transformCentred(dz, lambda);
}
