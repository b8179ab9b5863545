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

void ChoppyFftOcean::store(std::uint32_t index, float kx, float kz, float kLength,
                           Complex value) {
  FftOcean::store(index, kx, kz, kLength, value);
  if (kLength == 0.0f) {
    dx[index] = Complex(0.0f, 0.0f);
    dz[index] = Complex(0.0f, 0.0f);
    return;
  }
  // value·(0, −k/|k|) = (value.imag·k/|k|, −value.real·k/|k|)
  const float ux = kx / kLength;
  const float uz = kz / kLength;
  dx[index] = Complex(value.imag() * ux, -value.real() * ux);
  dz[index] = Complex(value.imag() * uz, -value.real() * uz);
}

void ChoppyFftOcean::transform() {
  FftOcean::transform();
  transformCentred(dx, lambda);
  transformCentred(dz, lambda);
}
