#pragma once
#include <string>

#include "engine/Context.h"
#include "water/FftPlan2D.h"

// The floor under an FFT ocean's update: its inverse transforms alone, bare (one plan, in place,
// no spectrum, sign correction or mesh), on copies of a spectrum so that every run sees the same
// realistic values. The plan is made as the ocean makes its own (FFTW_ESTIMATE).
class FftFloor : public UpdateFloor {
 public:
  // transforms fields of 2^log2N columns by 2^log2M rows, refilled from spectrum (borrowed, of
  // that size) before every run.
  FftFloor(int log2N, int log2M, int transforms, const FftPlan2D::Complex* spectrum);
  ~FftFloor() override;
  FftFloor(const FftFloor&) = delete;
  FftFloor& operator=(const FftFloor&) = delete;

  std::string description() const override;
  void prepare() override;
  void run() override;

  // Field i (0 ≤ i < transforms) as the last run left it.
  const FftPlan2D::Complex* field(int i) const { return i >= 0 && i < fieldCount ? fields[i] : nullptr; }

 private:
  FftPlan2D plan;
  const FftPlan2D::Complex* spectrum;
  std::size_t count;
  int fieldCount;
  FftPlan2D::Complex* fields[4] = {};
};
