#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "water/GerstnerWaveField.h"
#include "water/SimulationSteps.h"
#include "water/SpringWaterGrid.h"
#include "water/WaterHeightField2D.h"

namespace {

TEST(GerstnerWaveField, OriginHeightAtTimeZeroIsTheSumOfAmplitudeTimesCosPhase) {
  GerstnerWaveField field(60, 60, 60.0f, 60.0f);
  ASSERT_TRUE(field.addWave(1, 1, 5, 0.1f, 1));
  ASSERT_TRUE(field.addWave(2, 1, 20, 0.8f, 3));
  ASSERT_TRUE(field.addWave(3, 2, 10, 0.3f, 2));
  ASSERT_TRUE(field.addWave(2, 1, 40, 1.4f, 9));
  field.evaluate(0.0);
  // Vertex (i = 30, j = 30) rests at the origin, where θ = φ; sin φ moves it sideways.
  const float* origin = field.positions() + (30 * 60 + 30) * 3;
  const double y = 0.1 * std::cos(1.0) + 0.8 * std::cos(3.0) + 0.3 * std::cos(2.0) + 1.4 * std::cos(9.0);
  EXPECT_NEAR(origin[1], y, 1e-5);  // −2.1376...
  const double s2 = 1.0 / std::sqrt(2.0), s5 = 1.0 / std::sqrt(5.0), s13 = 1.0 / std::sqrt(13.0);
  const double dx = s2 * 0.1 * std::sin(1.0) + 2 * s5 * 0.8 * std::sin(3.0) + 3 * s13 * 0.3 * std::sin(2.0) +
                    2 * s5 * 1.4 * std::sin(9.0);
  const double dz = s2 * 0.1 * std::sin(1.0) + s5 * 0.8 * std::sin(3.0) + 2 * s13 * 0.3 * std::sin(2.0) +
                    s5 * 1.4 * std::sin(9.0);
  EXPECT_NEAR(origin[0], -dx, 1e-5);
  EXPECT_NEAR(origin[2], -dz, 1e-5);
  // Rest positions run from x = −30 to 29 and z = 30 down to −29.
  GerstnerWaveField calm(60, 60, 60.0f, 60.0f);
  calm.evaluate(5.0);
  EXPECT_FLOAT_EQ(calm.positions()[0], -30.0f);
  EXPECT_FLOAT_EQ(calm.positions()[2], 30.0f);
  EXPECT_FLOAT_EQ(calm.positions()[(59 * 60 + 59) * 3], 29.0f);
  EXPECT_FLOAT_EQ(calm.positions()[(59 * 60 + 59) * 3 + 2], -29.0f);
}

TEST(GerstnerWaveField, WaveTravelsWithItsDispersionSpeed) {
  // Wavelength 2π gives k = 1 and ω = sqrt(9.81): after t the crest has moved ω·t along x.
  GerstnerWaveField field(8, 2, 8.0f, 2.0f);
  ASSERT_TRUE(field.addWave(1, 0, 6.2831855f, 0.5f, 0.0f));
  const double t = 1.0 / std::sqrt(9.81);  // phase shift of 1 rad
  field.evaluate(t);
  for (int i = 0; i < 8; ++i) {
    const float x0 = static_cast<float>(i - 4);
    EXPECT_NEAR(field.positions()[i * 3 + 1], 0.5 * std::cos(x0 - 1.0), 1e-5) << i;
    EXPECT_NEAR(field.positions()[i * 3], x0 - 0.5 * std::sin(x0 - 1.0), 1e-5) << i;
  }
}

TEST(GerstnerWaveField, GridIndicesAndRefusedDirection) {
  GerstnerWaveField field(3, 2, 3.0f, 2.0f);
  EXPECT_EQ(field.vertexCount(), 6u);
  ASSERT_EQ(field.indexCount(), 12u);
  ASSERT_EQ(field.indices().size(), 12u);
  const std::uint16_t expected[12] = {0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(field.indices()[i], expected[i]) << i;
  EXPECT_FALSE(field.addWave(0, 0, 10, 1, 0));
  EXPECT_TRUE(field.waves().empty());
  // Grids that 16-bit indices cannot address, or without a quad, stay empty.
  for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{300, 300}, {1, 50}, {50, 1}}) {
    GerstnerWaveField empty(size.first, size.second, 10.0f, 10.0f);
    EXPECT_EQ(empty.vertexCount(), 0u) << size.first << "x" << size.second;
    EXPECT_EQ(empty.indexCount(), 0u) << size.first << "x" << size.second;
    empty.evaluate(1.0);
  }
}

TEST(SpringWaterGrid, StartPatterns) {
  struct Case {
    int pattern;
    std::uint32_t x, y;  // column, row
    float height;
  };
  const Case cases[] = {
      {0, 30, 30, 0.0f},   {1, 30, 30, 90.0f},   {1, 31, 30, 0.0f},    {2, 25, 25, 0.0f},
      {2, 10, 10, 15.0f},  {2, 25, 20, 15.0f},   {3, 29, 30, 10.0f},   {3, 30, 30, 0.0f},
      {3, 28, 30, 10.0f},  {3, 27, 30, 0.0f},    {4, 17, 1, 15.0f},    {4, 17, 2, 0.0f},
      {5, 30, 30, 10.0f},  {5, 31, 30, 0.0f},    {6, 25, 25, 15.0f},   {6, 10, 10, 0.0f},
      {7, 46, 46, 15.0f},  {7, 45, 50, 0.0f},    {8, 15, 30, 17.071068f}, {9, 15, 15, 20.0f},
      {9, 0, 15, 0.0f},    {1, 59, 30, 0.0f},
  };
  for (const Case& test : cases) {
    SpringWaterGrid grid(60, 0.01f);
    grid.reset(test.pattern);
    EXPECT_NEAR(grid.heightAt(test.x, test.y), test.height, 1e-4f)
        << "pattern " << test.pattern << " at " << test.x << "," << test.y;
  }
}

TEST(SpringWaterGrid, PatternSevenRaisesTheThirteenByThirteenCornerBlock) {
  SpringWaterGrid grid(60, 0.01f);
  grid.reset(7);
  int raised = 0;
  for (std::uint32_t y = 0; y < 60; ++y) {
    for (std::uint32_t x = 0; x < 60; ++x) {
      const bool inBlock = x >= 46 && x <= 58 && y >= 46 && y <= 58;
      EXPECT_EQ(grid.heightAt(x, y), inBlock ? 15.0f : 0.0f) << x << "," << y;
      raised += grid.heightAt(x, y) != 0.0f;
    }
  }
  EXPECT_EQ(raised, 13 * 13);
  // A pattern above 9 keeps the interior and clears the border.
  grid.reset(12);
  EXPECT_EQ(grid.heightAt(50, 50), 15.0f);
}

TEST(SpringWaterGrid, OneStepFromASinglePeak) {
  // n = 7: pattern 1 puts 10.5 at (3, 3). Every neighbour pair inside 2..4 is visited from both
  // sides, so the peak feels −2·10.5·(4 + 4/√2), an edge neighbour +21, a diagonal one +2·10.5/√2;
  // then v = F·0.01 and h = (v + h)·0.99.
  SpringWaterGrid grid(7, 0.01f);
  grid.reset(1);
  ASSERT_FLOAT_EQ(grid.heightAt(3, 3), 10.5f);
  grid.step();
  EXPECT_NEAR(grid.heightAt(3, 3), 8.9753700f, 1e-5f);
  EXPECT_NEAR(grid.heightAt(2, 3), 0.2079f, 1e-6f);
  EXPECT_NEAR(grid.heightAt(3, 4), 0.2079f, 1e-6f);
  EXPECT_NEAR(grid.heightAt(4, 4), 0.1470075f, 1e-6f);
  EXPECT_NEAR(grid.heightAt(2, 2), 0.1470075f, 1e-6f);
  EXPECT_EQ(grid.heightAt(1, 3), 0.0f);
  EXPECT_EQ(grid.heightAt(0, 3), 0.0f);
}

TEST(SpringWaterGrid, RaiseLiftsInteriorCellsOnly) {
  SpringWaterGrid grid(60, 0.01f);
  grid.reset(0);
  grid.raise(1, 1);
  grid.raise(58, 30);
  grid.raise(0, 10);
  grid.raise(59, 10);
  grid.raise(70, 10);
  EXPECT_EQ(grid.heightAt(1, 1), 12.0f);
  EXPECT_EQ(grid.heightAt(58, 30), 12.0f);
  EXPECT_EQ(grid.heightAt(0, 10), 0.0f);
  EXPECT_EQ(grid.heightAt(59, 10), 0.0f);
}

TEST(SimulationSteps, OneStepPerTenMillisecondsAtMostFour) {
  struct Case {
    double deltaMs;
    int steps;
  };
  const Case cases[] = {{0.0, 0}, {9.0, 0}, {9.99, 0}, {10.0, 1}, {16.7, 1}, {25.0, 2},
                        {39.9, 3}, {40.0, 4}, {100.0, 4}, {-5.0, 0}};
  for (const Case& test : cases) EXPECT_EQ(simulationStepsForFrame(test.deltaMs), test.steps) << test.deltaMs;
}

TEST(WaterHeightField2D, DisturbanceNextToTheBorderSkipsBorderNeighbours) {
  WaterHeightField2D field(60, 60, 1.0f);
  field.disturb(1, 1);
  const float* h = field.current();
  EXPECT_EQ(h[60 * 1 + 1], 3.0f);
  EXPECT_EQ(h[60 * 1 + 2], 1.5f);
  EXPECT_EQ(h[60 * 2 + 1], 1.5f);
  EXPECT_EQ(h[60 * 1 + 0], 0.0f);
  EXPECT_EQ(h[60 * 0 + 1], 0.0f);
  int nonZero = 0;
  for (int i = 0; i < 3600; ++i) nonZero += h[i] != 0.0f;
  EXPECT_EQ(nonZero, 3);
  // The far corner mirrors it; border cells themselves are never disturbed.
  field.disturb(58, 58);
  EXPECT_EQ(h[60 * 58 + 57], 1.5f);
  EXPECT_EQ(h[60 * 58 + 59], 0.0f);
  EXPECT_EQ(h[60 * 59 + 58], 0.0f);
  field.disturb(0, 30);
  EXPECT_EQ(h[60 * 30], 0.0f);
}

TEST(WaterHeightField2D, SingleCellStepSpreadsToFourNeighbours) {
  WaterHeightField2D field(60, 60, 1.0f);
  EXPECT_FLOAT_EQ(field.coefficient(), 0.04f);
  const float* before = field.current();
  field.current()[60 * 20 + 10] = 2.0f;
  field.step();
  // The step wrote the other buffer and made it current.
  ASSERT_NE(field.current(), before);
  const float* h = field.current();
  const float neighbour = 2.0f * 0.04f * 0.99f;
  const float centre = (2.0f - 4.0f * 0.04f) * 2.0f * 0.99f;
  EXPECT_FLOAT_EQ(h[60 * 20 + 10], centre);
  EXPECT_FLOAT_EQ(h[60 * 20 + 9], neighbour);
  EXPECT_FLOAT_EQ(h[60 * 20 + 11], neighbour);
  EXPECT_FLOAT_EQ(h[60 * 19 + 10], neighbour);
  EXPECT_FLOAT_EQ(h[60 * 21 + 10], neighbour);
  EXPECT_EQ(h[60 * 19 + 9], 0.0f);
  // The next step subtracts the heights from two steps back: the centre becomes
  // 4a·neighbour·... + (2 − 4a)·centre − 2.0, damped.
  field.step();
  ASSERT_EQ(field.current(), before);
  const float expected = ((4.0f * neighbour) * 0.04f + (2.0f - 4.0f * 0.04f) * centre - 2.0f) * 0.99f;
  EXPECT_NEAR(field.current()[60 * 20 + 10], expected, 1e-6f);
}

}  // namespace
