#include "water/FftFloor.h"

#include <algorithm>
#include <cstring>

FftFloor::FftFloor(int log2N, int log2M, int transforms, const FftPlan2D::Complex* spectrum)
    : plan(log2N, log2M, 1),
      spectrum(spectrum),
      count(static_cast<std::size_t>(plan.columns()) * plan.rows()),
      fieldCount(std::clamp(transforms, 0, 4)) {
  for (int i = 0; i < fieldCount; ++i) fields[i] = FftPlan2D::allocate(count);
}

FftFloor::~FftFloor() {
  for (FftPlan2D::Complex* field : fields) FftPlan2D::release(field);
}

std::string FftFloor::description() const {
  return std::to_string(fieldCount) + " bare " + std::to_string(plan.columns()) + " x " +
         std::to_string(plan.rows()) + " inverse FFTs (FFTW_ESTIMATE)";
}

void FftFloor::prepare() {
  if (!spectrum) return;
  // The unscaled inverse transform grows the values: run on its own output, a field would reach
  // infinities within a few frames.
  for (int i = 0; i < fieldCount; ++i) std::memcpy(static_cast<void*>(fields[i]), spectrum, count * sizeof(FftPlan2D::Complex));
}

void FftFloor::run() {
  for (int i = 0; i < fieldCount; ++i) plan.execute(fields[i]);
}
