#pragma once
#include <cstdint>
#include <vector>

#include "foundation/RefPtr.h"
#include "water/HeightSource.h"

// Midpoint displacement (diamond-square) on a (2ⁿ + 1)² grid whose edges wrap around: every level
// sets the centres of its squares, then the midpoints of their sides, each the mean of four
// neighbours plus a random offset within ±range/2; the range shrinks by 2^(−H) per level. The
// corners are never set and stay 0.
class MidpointTerrain {
 public:
  // Levels are kept within 1..12 (a grid of at most 4097²).
  MidpointTerrain(int levels, float range, float roughnessH, float filterK);

  // Fills the grid the first time; later calls keep it.
  void generate();

  std::uint32_t width() const { return size; }
  std::uint32_t height() const { return size; }
  const float* heights() const { return grid.data(); }
  float min() const { return lowest; }
  float max() const { return highest; }

  // The grid mapped from [min, max] onto 0..255; it borrows the grid, so this terrain must outlive it.
  RefPtr<HeightSource> heightSource() const;

 private:
  float& at(std::uint32_t x, std::uint32_t y) { return grid[static_cast<std::size_t>(y) * size + x]; }
  void diamondStep(std::uint32_t step, float amplitude);
  void squareStep(std::uint32_t step, float amplitude);

  std::vector<float> grid;
  int levels;
  std::uint32_t size;
  float range;
  float roughness;
  float highest = 0.0f;
  float lowest = 0.0f;
  float filterK;
  bool generated = false;
};
