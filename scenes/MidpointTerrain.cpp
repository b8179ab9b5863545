#include "scenes/MidpointTerrain.h"

#include <algorithm>
#include <cmath>

#include "foundation/Random.h"
#include "scenes/TerrainSmoothing.h"
#include "water/FloatHeightSource.h"

MidpointTerrain::MidpointTerrain(int levels, float range, float roughnessH, float filterK)
    : levels(std::clamp(levels, 1, 12)),
      size(static_cast<std::uint32_t>(std::pow(2.0, this->levels) + 1.0)),
      range(range),
      roughness(static_cast<float>(std::pow(2.0, -static_cast<double>(roughnessH)))),
      filterK(filterK) {
  grid.assign(static_cast<std::size_t>(size) * size, 0.0f);
}

void MidpointTerrain::generate() {
  if (generated) return;
  generated = true;
  for (int i = 0; i < levels; ++i) {
    const std::uint32_t step = 1u << (levels - i);
    const float amplitude = range * 0.5f;
    diamondStep(step, amplitude);
    squareStep(step, amplitude);
    range *= roughness;
  }
  if (filterK != 0.0f) smoothGrid(grid.data(), size, size, filterK);
  const auto [lo, hi] = std::minmax_element(grid.begin(), grid.end());
  lowest = *lo;
  highest = *hi;
}

void MidpointTerrain::diamondStep(std::uint32_t step, float a) {
  const std::uint32_t half = step / 2;
  for (std::uint32_t y = 0; y < size - 1; y += step) {
    for (std::uint32_t x = 0; x < size - 1; x += step) {
      at(x + half, y + half) =
          (at(x + step, y) + at(x, y + step) + at(x + step, y + step) + at(x, y)) * 0.25f + randomRange(-a, a);
    }
  }
}

// The side midpoints of each square; the neighbour beyond the grid's first row or column is taken
// from the other side, and the last row and column are set by the squares beside them.
void MidpointTerrain::squareStep(std::uint32_t step, float a) {
  const std::uint32_t half = step / 2;
  const std::uint32_t wrapped = size - half - 1;
  const std::uint32_t last = size - step - 1;
  for (std::uint32_t y = 0; y < size - 1; y += step) {
    for (std::uint32_t x = 0; x < size - 1; x += step) {
      const std::uint32_t cx = x + half;
      const std::uint32_t above = y == 0 ? wrapped : y - half;
      const std::uint32_t left = x == 0 ? wrapped : x - half;
      at(cx, y) = (at(cx, above) + at(x + step, y) + at(cx, y + half) + at(x, y)) * 0.25f + randomRange(-a, a);
      at(x, y + half) =
          (at(x, y + step) + at(left, y + half) + at(cx, y + half) + at(x, y)) * 0.25f + randomRange(-a, a);
      if (x == last) {
        at(x + step, y + half) =
            (at(half, y + half) + at(x + step, y) + at(x + step, y + step) + at(cx, y + half)) * 0.25f +
            randomRange(-a, a);
      }
      if (y == last) {
        at(cx, y + step) =
            (at(x, y + step) + at(cx, half) + at(x + step, y + step) + at(cx, y + half)) * 0.25f +
            randomRange(-a, a);
      }
    }
  }
}

RefPtr<HeightSource> MidpointTerrain::heightSource() const {
  return new FloatHeightSource(grid.data(), size, size, lowest, highest);
}
