#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/Random.h"
#include "scenes/DepositionTerrain.h"
#include "scenes/FaultTerrain.h"
#include "scenes/MidpointTerrain.h"
#include "scenes/TerrainSmoothing.h"

namespace {

class TerrainGenerator : public ::testing::Test {
 protected:
  void SetUp() override { resetRandom(); }
  void TearDown() override { resetRandom(); }
};

TEST(TerrainSmoothing, PassesRunForwardBackwardOrBoth) {
  struct Case {
    SmoothPasses passes;
    float expected[3];
  };
  // {0, 10, 0} with k = 0.5. Forward: v1 = 0.5·0 + 0.5·10 = 5, v2 = 0.5·5 + 0.5·0 = 2.5.
  // Backward: v1 = 5, v0 = 2.5. Both: forward, then v1 = 0.5·2.5 + 0.5·5 = 3.75, v0 = 1.875.
  const Case cases[] = {{SmoothPasses::Forward, {0.0f, 5.0f, 2.5f}},
                        {SmoothPasses::Backward, {2.5f, 5.0f, 0.0f}},
                        {SmoothPasses::Both, {1.875f, 3.75f, 2.5f}}};
  for (const Case& c : cases) {
    // Every second value, so the ones in between must stay as they are.
    float values[5] = {0.0f, -1.0f, 10.0f, -1.0f, 0.0f};
    smooth(values, 3, 2, 0.5f, c.passes);
    EXPECT_FLOAT_EQ(values[0], c.expected[0]) << static_cast<int>(c.passes);
    EXPECT_FLOAT_EQ(values[2], c.expected[1]) << static_cast<int>(c.passes);
    EXPECT_FLOAT_EQ(values[4], c.expected[2]) << static_cast<int>(c.passes);
    EXPECT_EQ(values[1], -1.0f);
    EXPECT_EQ(values[3], -1.0f);
  }
}

TEST(TerrainSmoothing, BytesAreTruncatedAfterEveryStep) {
  // Forward over {0, 11, 0}, k = 0.5: v1 = trunc(5.5) = 5, v2 = trunc(2.5) = 2 (2.75 without the
  // truncation of v1 first).
  std::uint8_t values[3] = {0, 11, 0};
  smooth(values, 3, 1, 0.5f, SmoothPasses::Forward);
  EXPECT_EQ(values[1], 5);
  EXPECT_EQ(values[2], 2);
}

TEST(TerrainSmoothing, GridFiltersRowsThenColumnsBothWays) {
  // 2 × 2 with one raised cell at (1, 0), k = 0.5. Row 0 {0, 8}: forward {0, 4}, backward {2, 4}.
  // Column 0 {2, 0}: forward {2, 1}, backward {1.5, 1}. Column 1 {4, 0}: {4, 2}, then {3, 2}.
  float grid[4] = {0.0f, 8.0f, 0.0f, 0.0f};
  smoothGrid(grid, 2, 2, 0.5f);
  EXPECT_FLOAT_EQ(grid[0], 1.5f);
  EXPECT_FLOAT_EQ(grid[1], 3.0f);
  EXPECT_FLOAT_EQ(grid[2], 1.0f);
  EXPECT_FLOAT_EQ(grid[3], 2.0f);
  // A 3 × 3 grid filtered as a whole equals each line filtered on its own.
  float whole[9] = {1, 9, 4, 0, 7, 2, 8, 3, 5};
  float lines[9];
  std::copy(whole, whole + 9, lines);
  smoothGrid(whole, 3, 3, 0.3f);
  for (int r = 0; r < 3; ++r) smooth(lines + r * 3, 3, 1, 0.3f, SmoothPasses::Both);
  for (int c = 0; c < 3; ++c) smooth(lines + c, 3, 3, 0.3f, SmoothPasses::Both);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(whole[i], lines[i]) << i;
}

TEST_F(TerrainGenerator, FaultDisplacementFallsFromStartToEnd) {
  // On a 4 × 3 grid without smoothing. Fault 0 draws 41, 18467, 6334, 26500: p1 = (18467 % 4,
  // 41 % 3) = (3, 2), p2 = (26500 % 4, 6334 % 3) = (0, 1), dir = (−3, −1); (c − 3)·(−1) −
  // (r − 2)·(−3) = 3r − c − 3 > 0 only in row 2, columns 0..2. Fault 1 draws 19169, 15724, 11478,
  // 29358: p1 = (0, 2), p2 = (2, 0), dir = (2, −2); −2c − 2(r − 2) > 0 where c + r < 2.
  struct Case {
    int iterations;
    float expected[12];
  };
  const Case cases[] = {
      // One iteration takes the start displacement, without dividing by iterations − 1.
      {1, {0, 0, 0, 0, 0, 0, 0, 0, 2.5f, 2.5f, 2.5f, 0}},
      // Two: the start, then the end value.
      {2, {0.5f, 0.5f, 0, 0, 0.5f, 0, 0, 0, 2.5f, 2.5f, 2.5f, 0}},
  };
  for (const Case& c : cases) {
    resetRandom();
    FaultTerrain fault(4, 3, 2.5f, 0.5f, c.iterations, 1, 0.0f);
    fault.generate();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(fault.heights()[i], c.expected[i]) << c.iterations << ": " << i;
    EXPECT_EQ(fault.min(), 0.0f);
    EXPECT_EQ(fault.max(), 2.5f);
  }
}

TEST_F(TerrainGenerator, FaultIsMadeOnceAndItsSourceSpansTheFullScale) {
  FaultTerrain fault(4, 3, 2.5f, 0.5f, 1, 1, 0.0f);
  fault.generate();
  // A second generate keeps the grid and draws nothing: the fifth value is next.
  fault.generate();
  EXPECT_EQ(fault.heights()[8], 2.5f);
  EXPECT_EQ(randomNext(), 19169);
  // The source maps min to 0 and max to 255.
  RefPtr<HeightSource> source = fault.heightSource();
  EXPECT_EQ(source->get(0, 2), 255);
  EXPECT_EQ(source->get(3, 2), 0);
}

TEST_F(TerrainGenerator, FaultWithoutCellsOrFilterIntervalDoesNotDivideByZero) {
  FaultTerrain empty(0, 0, 1.0f, 0.1f, 4, 1, 0.2f);
  empty.generate();
  EXPECT_EQ(empty.min(), 0.0f);
  EXPECT_EQ(empty.max(), 0.0f);
  FaultTerrain unfiltered(3, 3, 1.0f, 0.1f, 4, 0, 0.2f);
  unfiltered.generate();
  EXPECT_GE(unfiltered.max(), unfiltered.min());
}

TEST_F(TerrainGenerator, MidpointOfOneLevelSetsTheCentreThenTheFourEdgeMidpoints) {
  // Size 3, amplitude 32·0.5 = 16, so each offset is v·3.051851e-5·32 − 16 for the values 41,
  // 18467, 6334, 26500, 19169: −15.959960, 2.034730, −9.814264, 9.879696, 2.720298.
  // Centre (1, 1) = mean of the zero corners + the first offset. Each edge midpoint then averages
  // two corners (0), the centre and the wrapped neighbour, which is the centre again: 0.5·centre +
  // its offset, in the order top (1, 0), left (0, 1), right (2, 1), bottom (1, 2).
  MidpointTerrain midpoint(1, 32.0f, 1.0f, 0.0f);
  EXPECT_EQ(midpoint.width(), 3u);
  EXPECT_EQ(midpoint.height(), 3u);
  midpoint.generate();
  const float* h = midpoint.heights();
  const float centre = -15.959960f;
  EXPECT_NEAR(h[4], centre, 1e-4f);
  EXPECT_NEAR(h[1], -5.945249f, 1e-4f);
  EXPECT_NEAR(h[3], -17.794244f, 1e-4f);
  EXPECT_NEAR(h[5], 1.899717f, 1e-4f);
  EXPECT_NEAR(h[7], -5.259682f, 1e-4f);
  for (int corner : {0, 2, 6, 8}) EXPECT_EQ(h[corner], 0.0f) << corner;
  EXPECT_NEAR(midpoint.min(), -17.794244f, 1e-4f);
  EXPECT_NEAR(midpoint.max(), 1.899717f, 1e-4f);
}

TEST_F(TerrainGenerator, MidpointOfTheSceneIs65SquareAndSpansItsRange) {
  MidpointTerrain midpoint(6, 32.0f, 1.0f, 0.4f);
  EXPECT_EQ(midpoint.width(), 65u);
  midpoint.generate();
  EXPECT_LT(midpoint.min(), midpoint.max());
  RefPtr<HeightSource> source = midpoint.heightSource();
  int lowest = 255, highest = 0;
  for (std::uint32_t y = 0; y < 65; ++y)
    for (std::uint32_t x = 0; x < 65; ++x) {
      lowest = std::min<int>(lowest, source->get(x, y));
      highest = std::max<int>(highest, source->get(x, y));
    }
  EXPECT_EQ(lowest, 0);
  EXPECT_EQ(highest, 255);
}

// A grid of one height with a few cells set.
DepositionTerrain flatDeposition(std::uint32_t width, std::uint32_t height, std::uint8_t level) {
  DepositionTerrain terrain(width, height, 0.0f, 30, 0, 0, 0);
  std::fill(terrain.heights(), terrain.heights() + width * height, level);
  return terrain;
}

TEST_F(TerrainGenerator, DepositionParticleRollsAcrossTheGridEdges) {
  struct Case {
    std::uint32_t dropX, dropY;  // on a 4 × 3 grid of 5s
    std::uint32_t lowX, lowY;    // its only lower cell (0), a wrapped neighbour
  };
  const Case cases[] = {
      {0, 1, 3, 1},  // left of column 0 is column 3
      {3, 1, 0, 1},  // right of column 3 is column 0
      {1, 0, 1, 2},  // above row 0 is row 2
      {0, 0, 3, 2},  // the diagonal wraps both ways
  };
  for (const Case& c : cases) {
    DepositionTerrain terrain = flatDeposition(4, 3, 5);
    terrain.heights()[c.lowY * 4 + c.lowX] = 0;
    terrain.dropParticle(c.dropX, c.dropY);
    for (std::uint32_t i = 0; i < 12; ++i) {
      const int expected = i == c.lowY * 4 + c.lowX ? 1 : 5;
      EXPECT_EQ(terrain.heights()[i], expected) << "drop at " << c.dropX << "," << c.dropY << " cell " << i;
    }
  }
}

TEST_F(TerrainGenerator, DepositionParticleRollsDownhillUntilItRests) {
  // An 8 × 1 ramp 7, 6, ..., 0: from the top the particle can always find a lower neighbour until
  // it reaches the bottom, where it rests and raises that cell.
  DepositionTerrain terrain(8, 1, 0.0f, 30, 0, 0, 0);
  for (std::uint32_t x = 0; x < 8; ++x) terrain.heights()[x] = static_cast<std::uint8_t>(7 - x);
  terrain.dropParticle(0, 0);
  const std::uint8_t expected[8] = {7, 6, 5, 4, 3, 2, 1, 1};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(terrain.heights()[x], expected[x]) << x;
}

TEST_F(TerrainGenerator, DepositionCellAt255StopsGrowing) {
  // A 1 × 1 grid is its own neighbour in every direction, so every particle rests on it.
  DepositionTerrain terrain(1, 1, 0.0f, 30, 0, 0, 0);
  for (int i = 0; i < 300; ++i) terrain.dropParticle(0, 0);
  EXPECT_EQ(terrain.heights()[0], 255);  // not 300 − 256 = 44
}

TEST_F(TerrainGenerator, DepositionOfTheSceneIsNormalisedTo255AndSmoothed) {
  DepositionTerrain terrain(100, 100, 0.5f, 30, 8, 2000, 6000);
  terrain.generate();
  const std::uint8_t* h = terrain.heights();
  const auto [lo, hi] = std::minmax_element(h, h + 100 * 100);
  // Normalised to 255, then smoothed: the peak loses a little, the plain stays near 0.
  EXPECT_GT(*hi, 200);
  EXPECT_LT(*lo, 20);
  RefPtr<HeightSource> source = terrain.heightSource();
  EXPECT_EQ(source->get(37, 41), h[41 * 100 + 37]);
}

TEST_F(TerrainGenerator, DepositionWithAReversedParticleRangeDropsTheLowCount) {
  // randomInt(10, 2) is refused with 10. On a 1 × 1 grid each particle draws one value and rests,
  // so the run uses 3 values (count, x, y), 10 for the particles and 1 drift draw (i = 0): the
  // next is the 15th of the sequence, 9961. A count taken modulo −7 (41 % −7 + 10 = 16) would use
  // six more.
  DepositionTerrain terrain(1, 1, 0.0f, 30, 1, 10, 2);
  terrain.generate();
  EXPECT_EQ(terrain.heights()[0], 255);
  EXPECT_EQ(randomNext(), 9961);
}

}  // namespace
