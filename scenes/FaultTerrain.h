#pragma once
#include <cstdint>
#include <vector>

#include "foundation/RefPtr.h"
#include "water/HeightSource.h"

// Fault formation: each iteration draws a random line across the grid and raises every cell on its
// left by a displacement that falls linearly from the start to the end value over the iterations;
// the grid is smoothed every filterInterval iterations (never for an interval below 1 or k = 0).
class FaultTerrain {
 public:
  FaultTerrain(std::uint32_t width, std::uint32_t height, float startDisplacement, float endDisplacement,
               int iterations, int filterInterval, float filterK);

  // Fills the grid the first time; later calls keep it.
  void generate();

  std::uint32_t width() const { return columns; }
  std::uint32_t height() const { return rows; }
  const float* heights() const { return grid.data(); }
  float min() const { return lowest; }
  float max() const { return highest; }

  // The grid mapped from [min, max] onto 0..255; it borrows the grid, so this terrain must outlive it.
  RefPtr<HeightSource> heightSource() const;

 private:
  void raiseLeftOf(float p1x, float p1y, float dirX, float dirY, float displacement);

  std::vector<float> grid;
  std::uint32_t columns;
  std::uint32_t rows;
  float startDisplacement;
  float displacementDelta;
  float highest = 0.0f;
  float lowest = 0.0f;
  int iterations;
  int filterInterval;
  float filterK;
  bool generated = false;
};
