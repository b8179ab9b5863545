#include "water/FftPlan2D.h"

#include <fftw3.h>

#include <cstring>

FftPlan2D::FftPlan2D(int log2N, int log2M, int direction)
    : columnCount(1u << log2N), rowCount(1u << log2M) {
  const int sign = direction >= 0 ? FFTW_BACKWARD : FFTW_FORWARD;
  // FFTW_ESTIMATE leaves the array alone and picks the same plan on every run, so results are
  // reproducible bit for bit; the scratch array only fixes the alignment the plan may assume.
  Complex* scratch = allocate(static_cast<std::size_t>(columnCount) * rowCount);
  auto* data = reinterpret_cast<fftwf_complex*>(scratch);
  plan = fftwf_plan_dft_2d(static_cast<int>(rowCount), static_cast<int>(columnCount), data, data,
                           sign, FFTW_ESTIMATE);
  release(scratch);
}

FftPlan2D::~FftPlan2D() {
  if (plan) fftwf_destroy_plan(plan);
}

void FftPlan2D::execute(Complex* data) const {
  auto* d = reinterpret_cast<fftwf_complex*>(data);
  fftwf_execute_dft(plan, d, d);
}

FftPlan2D::Complex* FftPlan2D::allocate(std::size_t count) {
  auto* data = reinterpret_cast<Complex*>(fftwf_alloc_complex(count));
  std::memset(static_cast<void*>(data), 0, count * sizeof(Complex));
  return data;
}

void FftPlan2D::release(Complex* data) {
  if (data) fftwf_free(data);
}
