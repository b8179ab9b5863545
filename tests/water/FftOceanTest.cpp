#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/Random.h"
#include "water/ChoppyFftOcean.h"
#include "water/FftFloor.h"
#include "water/FftPlan2D.h"

namespace {

using Complex = FftPlan2D::Complex;

// 8 × 8 grid over a patch of 2π, so cell (r, c) has the wave vector (c − 4, r − 4).
constexpr int kLog2 = 3;
constexpr int kSide = 8;
constexpr float kUnitPatch = 6.2831855f;

// Keeps the spectrum that evaluate() stores, so it can be checked before any transform.
class SpectrumOnlyOcean : public ChoppyFftOcean {
 public:
  using ChoppyFftOcean::ChoppyFftOcean;

 protected:
  void transform() override {}
};

// Replaces the spectrum by a unit amplitude in one cell, then transforms normally.
class SingleWaveOcean : public FftOcean {
 public:
  SingleWaveOcean(std::uint32_t target) : FftOcean(kLog2, kLog2, 1.0f, 2.0f, 0.0f, kUnitPatch, kUnitPatch), target(target) {}

 protected:
  void spectrumStored() override {
    for (std::uint32_t i = 0; i < width() * height(); ++i) spectrumBuffer()[i] = Complex(i == target ? 1.0f : 0.0f, 0.0f);
  }

 private:
  std::uint32_t target;
};

std::uint32_t cell(int r, int c) { return static_cast<std::uint32_t>(r * kSide + c); }

TEST(FftPlan2D, InverseTransformIsUnscaledWithPositiveExponentRowMajor) {
  // 2 rows × 4 columns; a unit impulse at (row, column) transforms to
  // exp(sign·2πi·(row·r/2 + column·c/4)).
  struct Case {
    int direction, row, column, outRow, outColumn;
    float real, imag;
  };
  const Case cases[] = {
      {1, 0, 1, 0, 1, 0.0f, 1.0f},   {1, 0, 1, 0, 2, -1.0f, 0.0f}, {1, 0, 1, 1, 3, 0.0f, -1.0f},
      {1, 1, 0, 1, 2, -1.0f, 0.0f},  {1, 1, 0, 0, 3, 1.0f, 0.0f},  {-1, 0, 1, 0, 1, 0.0f, -1.0f},
      {1, 0, 0, 1, 1, 1.0f, 0.0f},
  };
  for (const Case& test : cases) {
    FftPlan2D plan(2, 1, test.direction);
    EXPECT_EQ(plan.columns(), 4u);
    EXPECT_EQ(plan.rows(), 2u);
    Complex* data = FftPlan2D::allocate(8);
    data[test.row * 4 + test.column] = Complex(1.0f, 0.0f);
    plan.execute(data);
    const Complex value = data[test.outRow * 4 + test.outColumn];
    EXPECT_NEAR(value.real(), test.real, 1e-6f) << test.row << "," << test.column;
    EXPECT_NEAR(value.imag(), test.imag, 1e-6f) << test.row << "," << test.column;
    FftPlan2D::release(data);
  }
}

TEST(FftOcean, InitialAmplitudesFollowTheWindSpectrum) {
  // A = 1, wind (2, 0): W² = 4, L = 4/9.81; P = exp(−1/(k²L²))/k⁴ · (k·w)²/(k²W²).
  struct Case {
    int r, c;
    double sqrtP;
  };
  const Case cases[] = {
      {4, 5, 0.04942108495},  // k = (1, 0)
      {5, 5, 0.07859793648},  // k = (1, 1)
      {4, 6, 0.11787401524},  // k = (2, 0)
      {5, 4, 0.0},            // k = (0, 1): perpendicular to the wind
      {2, 4, 0.0},            // k = (0, −2): perpendicular to the wind
      {4, 4, 0.0},            // k = 0
  };
  resetRandom();
  std::vector<float> draws(2 * kSide * kSide);
  for (float& g : draws) g = randomGaussian();
  resetRandom();
  FftOcean ocean(kLog2, kLog2, 1.0f, 2.0f, 0.0f, kUnitPatch, kUnitPatch);
  ASSERT_EQ(ocean.width(), 8u);
  ASSERT_EQ(ocean.height(), 8u);
  for (const Case& test : cases) {
    const std::uint32_t i = cell(test.r, test.c);
    // The first draw of a cell is its imaginary part, the second its real part.
    const double expectedImag = 0.70710677 * draws[2 * i] * test.sqrtP;
    const double expectedReal = 0.70710677 * draws[2 * i + 1] * test.sqrtP;
    EXPECT_NEAR(ocean.initialAmplitudes()[i].real(), expectedReal, 1e-6) << test.r << "," << test.c;
    EXPECT_NEAR(ocean.initialAmplitudes()[i].imag(), expectedImag, 1e-6) << test.r << "," << test.c;
    if (test.sqrtP == 0.0) {
      EXPECT_EQ(ocean.initialAmplitudes()[i], Complex(0.0f, 0.0f));
    }
  }
}

TEST(FftOcean, WindPerpendicularToAWaveVectorGivesItNoAmplitude) {
  // 16 × 16 grid over 2π: cell (r, c) has k = (c − 8, r − 8). Wind (30, 10) is perpendicular to
  // k = (1, −3) and (−2, 6), wind (0, 5) to every k = (kx, 0); the neighbouring cell is not.
  struct Case {
    float windX, windZ;
    int r, c, neighbourR, neighbourC;
  };
  const Case cases[] = {{30.0f, 10.0f, 5, 9, 5, 10},
                        {30.0f, 10.0f, 14, 6, 14, 7},
                        {0.0f, 5.0f, 8, 0, 9, 0},
                        {0.0f, 5.0f, 8, 13, 7, 13}};
  for (const Case& test : cases) {
    FftOcean ocean(4, 4, 1.0f, test.windX, test.windZ, kUnitPatch, kUnitPatch);
    EXPECT_FLOAT_EQ(ocean.waveNumberX(static_cast<std::uint32_t>(test.c)), test.c - 8.0f);
    EXPECT_FLOAT_EQ(ocean.waveNumberZ(static_cast<std::uint32_t>(test.r)), test.r - 8.0f);
    EXPECT_EQ(ocean.initialAmplitudes()[test.r * 16 + test.c], Complex(0.0f, 0.0f));
    EXPECT_NE(ocean.initialAmplitudes()[test.neighbourR * 16 + test.neighbourC], Complex(0.0f, 0.0f));
  }
}

TEST(FftOcean, ZeroWaveVectorCellHasNoAmplitudeOrDisplacement) {
  SpectrumOnlyOcean ocean(-0.5f, kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  ocean.evaluate(2.5);
  const std::uint32_t centre = cell(4, 4);
  EXPECT_EQ(ocean.initialAmplitudes()[centre], Complex(0.0f, 0.0f));
  EXPECT_EQ(ocean.heights()[centre], Complex(0.0f, 0.0f));
  EXPECT_EQ(ocean.displacementX()[centre], Complex(0.0f, 0.0f));
  EXPECT_EQ(ocean.displacementZ()[centre], Complex(0.0f, 0.0f));
}

TEST(FftOcean, SpectrumEvolvesWithDeepWaterDispersionAndIsHermitian) {
  SpectrumOnlyOcean ocean(-1.0f, kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  // For |k| = 1, ω = sqrt(9.81); at t = (π/2)/ω the phase factor e is i, so
  // h(k) = i·(h0(k) − conj(h0(−k))).
  const double t = (3.14159265358979 / 2.0) / std::sqrt(9.81);
  ocean.evaluate(t);
  const Complex a = ocean.initialAmplitudes()[cell(4, 5)];
  const Complex b = ocean.initialAmplitudes()[cell(4, 3)];
  const Complex h = ocean.heights()[cell(4, 5)];
  EXPECT_NEAR(h.real(), -(a.imag() + b.imag()), 1e-6f);
  EXPECT_NEAR(h.imag(), a.real() - b.real(), 1e-6f);
  // k = (1, 0), |k| = 1: dx = −i·h, dz = 0.
  EXPECT_NEAR(ocean.displacementX()[cell(4, 5)].real(), h.imag(), 1e-6f);
  EXPECT_NEAR(ocean.displacementX()[cell(4, 5)].imag(), -h.real(), 1e-6f);
  EXPECT_EQ(std::abs(ocean.displacementZ()[cell(4, 5)]), 0.0f);

  // Every cell holds the conjugate of its mirror (M − r, N − c), the Nyquist rows included. The
  // displacements of the cells that are their own mirror (k and −k alias there) are the exception:
  // −i·k/|k| turns their real height into an imaginary displacement.
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; ++c) {
      const std::uint32_t mirror = cell((kSide - r) & (kSide - 1), (kSide - c) & (kSide - 1));
      std::vector<const Complex*> fields{ocean.heights()};
      if (mirror != cell(r, c)) {
        fields.push_back(ocean.displacementX());
        fields.push_back(ocean.displacementZ());
      }
      for (const Complex* field : fields) {
        EXPECT_NEAR(field[cell(r, c)].real(), field[mirror].real(), 1e-6f) << r << "," << c;
        EXPECT_NEAR(field[cell(r, c)].imag(), -field[mirror].imag(), 1e-6f) << r << "," << c;
      }
    }
  }
}

TEST(FftOcean, TransformUndoesTheCentredSpectrumLayout) {
  // A unit amplitude at k = (1, 0) (cell (4, 5)) becomes the wave exp(2πi·c/8) along the columns,
  // the same in every row: the (−1)^(r+c) correction cancels the half-grid shift.
  SingleWaveOcean ocean(cell(4, 5));
  ocean.evaluate(0.0);
  const float expected[kSide] = {1.0f, 0.70710677f, 0.0f, -0.70710677f, -1.0f, -0.70710677f, 0.0f, 0.70710677f};
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; ++c) {
      EXPECT_NEAR(ocean.heights()[cell(r, c)].real(), expected[c], 1e-5f) << r << "," << c;
      EXPECT_NEAR(ocean.heights()[cell(r, c)].imag(), expected[(c + 6) % 8], 1e-5f) << r << "," << c;
    }
  }
}

TEST(ChoppyFftOcean, SceneOceanHeightsAreReal) {
  ChoppyFftOcean ocean(-0.15f, 6, 6, 0.0008f, 30.0f, 10.0f, 100.0f, 100.0f);
  ocean.evaluate(12.75);
  float largestReal = 0.0f, largestImag = 0.0f;
  for (int i = 0; i < 64 * 64; ++i) {
    largestReal = std::max(largestReal, std::fabs(ocean.heights()[i].real()));
    largestImag = std::max(largestImag, std::fabs(ocean.heights()[i].imag()));
  }
  EXPECT_GT(largestReal, 1e-2f);
  EXPECT_LT(largestImag, largestReal * 1e-5f);
}

TEST(ChoppyFftOcean, ZeroChoppinessLeavesNoDisplacement) {
  ChoppyFftOcean ocean(0.0f, 6, 6, 0.0008f, 30.0f, 10.0f, 100.0f, 100.0f);
  ocean.evaluate(3.0);
  for (int i = 0; i < 64 * 64; ++i) {
    ASSERT_EQ(std::abs(ocean.displacementX()[i]), 0.0f) << i;
    ASSERT_EQ(std::abs(ocean.displacementZ()[i]), 0.0f) << i;
  }
  // Choppiness scales the displacement linearly.
  ocean.setChoppiness(-0.3f);
  EXPECT_FLOAT_EQ(ocean.getChoppiness(), -0.3f);
  ocean.evaluate(3.0);
  std::vector<Complex> single(ocean.displacementZ(), ocean.displacementZ() + 64 * 64);
  ocean.setChoppiness(-0.6f);
  ocean.evaluate(3.0);
  float largest = 0.0f;
  for (int i = 0; i < 64 * 64; ++i) {
    largest = std::max(largest, std::fabs(single[i].real()));
    ASSERT_NEAR(ocean.displacementZ()[i].real(), 2.0f * single[i].real(), 1e-6f) << i;
  }
  EXPECT_GT(largest, 1e-3f);
}

TEST(FftOcean, AmplitudesRepeatAfterResetAndDifferForALaterOcean) {
  resetRandom();
  FftOcean first(kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  FftOcean second(kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  resetRandom();
  FftOcean again(kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  const std::uint32_t i = cell(5, 6);
  EXPECT_EQ(first.initialAmplitudes()[i], again.initialAmplitudes()[i]);
  EXPECT_NE(first.initialAmplitudes()[i], second.initialAmplitudes()[i]);
}

}  // namespace

namespace {

TEST(FftOcean, PhaseStaysAccurateAfterHoursOfRunning) {
  // ω·t near 1.1e5 rad: the phase factor must still match a double-precision evaluation.
  SpectrumOnlyOcean ocean(-1.0f, kLog2, kLog2, 1.0f, 2.0f, 1.0f, kUnitPatch, kUnitPatch);
  struct Case {
    int r, c;
  };
  const Case cases[] = {{4, 5}, {5, 6}, {2, 7}, {0, 3}};
  const double t = 36000.123;
  ocean.evaluate(t);
  for (const Case& test : cases) {
    const std::uint32_t i = cell(test.r, test.c);
    const std::uint32_t m = cell((kSide - test.r) & (kSide - 1), (kSide - test.c) & (kSide - 1));
    const double kx = test.c - 4.0, kz = test.r - 4.0;
    const double omega = std::sqrt(9.81f * std::sqrt(static_cast<float>(kx * kx + kz * kz)));
    const std::complex<double> e(std::cos(omega * t), std::sin(omega * t));
    const std::complex<double> a(ocean.initialAmplitudes()[i]);
    const std::complex<double> b(ocean.initialAmplitudes()[m]);
    // Row 0 mirrors onto itself: its cell ends up holding the conjugate of its mirror's value.
    const std::complex<double> expected =
        test.r == 0 ? std::conj(b * e + std::conj(a) * std::conj(e)) : a * e + std::conj(b) * std::conj(e);
    EXPECT_NEAR(ocean.heights()[i].real(), expected.real(), 2e-6) << test.r << "," << test.c;
    EXPECT_NEAR(ocean.heights()[i].imag(), expected.imag(), 2e-6) << test.r << "," << test.c;
  }
}

}  // namespace

namespace {

TEST(FftFloor, EveryRunTransformsTheSpectrumAfresh) {
  // A unit impulse at k = 0 transforms to ones everywhere. Run again on its own output, the
  // unscaled transform would put 64 in cell 0 and zeros elsewhere.
  std::vector<Complex> spectrum(kSide * kSide);
  spectrum[0] = Complex(1.0f, 0.0f);
  FftFloor floor(kLog2, kLog2, 3, spectrum.data());
  EXPECT_EQ(floor.description(), "3 bare 8 x 8 inverse FFTs (FFTW_ESTIMATE)");
  EXPECT_EQ(floor.field(3), nullptr);
  for (int run = 0; run < 2; ++run) {
    floor.prepare();
    floor.run();
    for (int f = 0; f < 3; ++f) {
      for (int i = 0; i < kSide * kSide; ++i) {
        ASSERT_EQ(floor.field(f)[i], Complex(1.0f, 0.0f)) << run << " " << f << " " << i;
      }
    }
  }
  EXPECT_EQ(spectrum[0], Complex(1.0f, 0.0f));
}

}  // namespace
