#pragma once
#include <cstdint>
#include <vector>

#include "water/FftPlan2D.h"

// Periodic ocean heights by the statistical spectrum method: amplitudes h0(k) drawn once from a
// directional wind spectrum, evolved with the deep-water dispersion relation and brought to heights
// by one inverse FFT per evaluation. Grids are row-major, N columns by M rows; after evaluate() the
// real part of heights() is the height field (imaginary parts are rounding noise).
class FftOcean {
 public:
  using Complex = FftPlan2D::Complex;

  static constexpr float kGravity = 9.81f;
  static constexpr float kTwoPi = 6.2831855f;

  FftOcean(int log2N, int log2M, float amplitude, float windX, float windZ, float patchX,
           float patchZ);
  virtual ~FftOcean();
  FftOcean(const FftOcean&) = delete;
  FftOcean& operator=(const FftOcean&) = delete;

  // Spectrum at timeSec (seconds) over the whole grid: rows 0..M/2 are evaluated and each cell's
  // mirror (M − r, N − c) gets the conjugate. Then spectrumStored() and transform().
  void evaluate(double timeSec);

  std::uint32_t width() const { return columns; }
  std::uint32_t height() const { return rows; }
  const Complex* heights() const { return h; }
  const Complex* initialAmplitudes() const { return h0; }

  // Wave vector of cell (row, column): ((column − N/2)·2π/Lx, (row − M/2)·2π/Lz).
  float waveNumberX(std::uint32_t column) const;
  float waveNumberZ(std::uint32_t row) const;

 protected:
  // Called once h holds the spectrum of this evaluation; derived classes build their own spectra
  // from it here.
  virtual void spectrumStored() {}
  // Turns the stored spectra into spatial fields.
  virtual void transform();

  // Inverse FFT of data, then multiplies cell (r, c) by factor·(−1)^(r+c): the spectrum is stored
  // with k = 0 in the middle of the grid, and this undoes that half-grid shift.
  void transformCentred(Complex* data, float factor) const;

  Complex* spectrumBuffer() { return h; }

  // Calls visit(index, kx, kz) for every spectrum write of evaluate(), in its order: the cell,
  // then (when mirrored) its mirror with the negated wave vector.
  template <typename Visit>
  void forEachSpectrumWrite(Visit visit) const {
    const std::uint32_t halfRows = rows / 2;
    for (std::uint32_t r = 0; r <= halfRows; ++r) {
      const std::uint32_t mirrorRow = (rows - r) & (rows - 1);
      for (std::uint32_t c = 0; c < columns; ++c) {
        const std::uint32_t mirrorColumn = (columns - c) & (columns - 1);
        const float kx = waveNumberX(c);
        const float kz = waveNumberZ(r);
        visit(r * columns + c, kx, kz);
        if (r != halfRows) visit(mirrorRow * columns + mirrorColumn, -kx, -kz);
      }
    }
  }

 private:
  float amplitude;
  float windX, windZ;
  float dkx, dkz;
  int log2N, log2M;
  std::uint32_t columns, rows;
  Complex* h0 = nullptr;
  Complex* h = nullptr;
  // ω(k) of the cells of rows 0..M/2 (the rows evaluate() visits) and columns 0..N/2, fixed for
  // the life of the ocean: column N − c has the same |k| as column c, so its phase is the same.
  std::vector<double> omega;
  std::vector<float> halfCos;
  std::vector<float> halfSin;
  // The phase factors of the current evaluation for every visited cell.
  std::vector<float> phaseCos;
  std::vector<float> phaseSin;
  std::vector<float> mirroredInitial;  // conj(h0(−k)) of the same cells, real and imaginary
  // h0 and conj(h0(−k)) of the same rows with the columns reversed: column j holds column
  // (N − j) mod N.
  std::vector<float> reversedInitial;
  std::vector<float> reversedMirrored;
  FftPlan2D plan;
};
