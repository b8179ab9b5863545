#include "scenes/FaultTerrain.h"

#include <algorithm>

#include "foundation/Random.h"
#include "scenes/TerrainSmoothing.h"
#include "water/FloatHeightSource.h"

FaultTerrain::FaultTerrain(std::uint32_t width, std::uint32_t height, float startDisplacement,
                           float endDisplacement, int iterations, int filterInterval, float filterK)
    : grid(static_cast<std::size_t>(width) * height, 0.0f),
      columns(width),
      rows(height),
      startDisplacement(startDisplacement),
      displacementDelta(endDisplacement - startDisplacement),
      iterations(iterations),
      filterInterval(filterInterval),
      filterK(filterK) {}

void FaultTerrain::generate() {
  if (generated) return;
  generated = true;
  // The fault points are drawn modulo the grid's sides.
  if (grid.empty()) return;
  for (int i = 0; i < iterations; ++i) {
    const float displacement =
        iterations == 1 ? startDisplacement
                        : startDisplacement + displacementDelta * static_cast<float>(i) /
                                                  static_cast<float>(iterations - 1);
    const int r1 = randomNext();
    const int r2 = randomNext();
    const int r3 = randomNext();
    const int r4 = randomNext();
    const float p1x = static_cast<float>(static_cast<std::uint32_t>(r2) % columns);
    const float p1y = static_cast<float>(static_cast<std::uint32_t>(r1) % rows);
    const float p2x = static_cast<float>(static_cast<std::uint32_t>(r4) % columns);
    const float p2y = static_cast<float>(static_cast<std::uint32_t>(r3) % rows);
    raiseLeftOf(p1x, p1y, p2x - p1x, p2y - p1y, displacement);
    if (filterInterval > 0 && i % filterInterval == 0 && filterK != 0.0f) smoothGrid(grid.data(), columns, rows, filterK);
  }
  const auto [lo, hi] = std::minmax_element(grid.begin(), grid.end());
  lowest = *lo;
  highest = *hi;
}

// Every cell (c, r) with (c − p1) × dir > 0 rises. Sixteen columns at a time, so the row loop
// vectorises; a cell on the other side adds 0.
void FaultTerrain::raiseLeftOf(float p1x, float p1y, float dirX, float dirY, float displacement) {
  constexpr int kBlock = 16;
  const int width = static_cast<int>(columns);
  for (std::uint32_t r = 0; r < rows; ++r) {
    const float rowTerm = (static_cast<float>(r) - p1y) * dirX;
    float* row = grid.data() + static_cast<std::size_t>(r) * columns;
    int c = 0;
    for (; c + kBlock <= width; c += kBlock) {
      float* cells = row + c;
      for (int j = 0; j < kBlock; ++j) {
        const int left = (static_cast<float>(c + j) - p1x) * dirY - rowTerm > 0.0f;
        cells[j] += displacement * static_cast<float>(left);
      }
    }
    for (; c < width; ++c) {
      const int left = (static_cast<float>(c) - p1x) * dirY - rowTerm > 0.0f;
      row[c] += displacement * static_cast<float>(left);
    }
  }
}

RefPtr<HeightSource> FaultTerrain::heightSource() const {
  return new FloatHeightSource(grid.data(), columns, rows, lowest, highest);
}
