#pragma once
#include <complex>
#include <cstddef>

struct fftwf_plan_s;

// One reusable two-dimensional in-place complex FFT of M rows by N columns (row-major, element
// (r, c) at r·N + c), unscaled. Direction ≥ 0 is the inverse transform (exponent +i), negative the
// forward one. The plan is made once and executed on any array from allocate(), so one plan
// serves several fields of the same size.
class FftPlan2D {
 public:
  using Complex = std::complex<float>;

  FftPlan2D(int log2N, int log2M, int direction);
  ~FftPlan2D();
  FftPlan2D(const FftPlan2D&) = delete;
  FftPlan2D& operator=(const FftPlan2D&) = delete;

  // Transforms data (M·N elements, obtained from allocate) in place.
  void execute(Complex* data) const;

  unsigned columns() const { return columnCount; }
  unsigned rows() const { return rowCount; }

  // Zeroed array aligned as the FFT library's vector code expects; free it with release().
  static Complex* allocate(std::size_t count);
  static void release(Complex* data);

 private:
  fftwf_plan_s* plan = nullptr;
  unsigned columnCount;
  unsigned rowCount;
};
