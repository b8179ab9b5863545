#include "scenes/DepositionTerrain.h"

#include <algorithm>
#include <bit>

#include "foundation/Random.h"
#include "scenes/TerrainSmoothing.h"
#include "water/ByteHeightSource.h"

namespace {

// (v + d) mod n for v in 0..n−1 and d in −1..1: a step left of column 0 lands on column n − 1.
inline std::uint32_t wrapStep(std::uint32_t v, int d, std::uint32_t n) {
  if (d < 0) return v == 0 ? n - 1 : v - 1;
  if (d > 0) return v + 1 == n ? 0 : v + 1;
  return v;
}

}  // namespace

DepositionTerrain::DepositionTerrain(std::uint32_t width, std::uint32_t height, float filterK, int driftInterval,
                                     int mountains, int minParticles, int maxParticles)
    : grid(static_cast<std::size_t>(width) * height, 0),
      filterK(filterK),
      columns(width),
      rows(height),
      driftInterval(driftInterval),
      mountains(mountains),
      minParticles(minParticles),
      maxParticles(maxParticles) {}

void DepositionTerrain::generate() {
  if (generated) return;
  generated = true;
  if (grid.empty()) return;
  const int lastColumn = static_cast<int>(std::min<std::uint32_t>(columns - 1, 0x7FFFFFFF));
  const int lastRow = static_cast<int>(std::min<std::uint32_t>(rows - 1, 0x7FFFFFFF));
  for (int m = 0; m < mountains; ++m) {
    const int count = randomInt(minParticles, maxParticles);
    auto x = static_cast<std::uint32_t>(randomInt(0, lastColumn));
    auto y = static_cast<std::uint32_t>(randomInt(0, lastRow));
    for (int i = 0; i < count; ++i) {
      dropParticle(x, y);
      // An interval below 1 keeps the drop point still.
      if (driftInterval > 0 && i % driftInterval == 0) {
        const int r = randomNext() % 8;
        x = wrapStep(x, kDx[r], columns);
        y = wrapStep(y, kDy[r], rows);
      }
    }
  }
  normalise();
  if (filterK != 0.0f) smoothGrid(grid.data(), columns, rows, filterK);
}

// The eight neighbours are compared at once into a mask (bit j: neighbour j is lower), which is
// then searched from direction r & 7 on: the first lower neighbour in the order (k + r) & 7.
void DepositionTerrain::dropParticle(std::uint32_t x, std::uint32_t y) {
  if (x >= columns || y >= rows) return;
  const std::ptrdiff_t w = columns;
  // Away from the edges the neighbours are fixed offsets from the cell; only border cells wrap.
  std::ptrdiff_t offsets[8];
  for (int j = 0; j < 8; ++j) offsets[j] = kDy[j] * w + kDx[j];
  std::uint8_t* cells = grid.data();
  for (;;) {
    const std::ptrdiff_t here = static_cast<std::ptrdiff_t>(y) * w + x;
    const std::uint8_t level = cells[here];
    const unsigned start = static_cast<unsigned>(randomNext()) & 7u;
    unsigned lower = 0;
    if (x > 0 && y > 0 && x + 1 < columns && y + 1 < rows) {
      for (int j = 0; j < 8; ++j) lower |= static_cast<unsigned>(cells[here + offsets[j]] < level) << j;
    } else {
      for (int j = 0; j < 8; ++j) {
        const std::ptrdiff_t neighbour =
            static_cast<std::ptrdiff_t>(wrapStep(y, kDy[j], rows)) * w + wrapStep(x, kDx[j], columns);
        lower |= static_cast<unsigned>(cells[neighbour] < level) << j;
      }
    }
    if (lower == 0) {
      if (level < 255) cells[here] = static_cast<std::uint8_t>(level + 1);
      return;
    }
    const unsigned fromStart = ((lower >> start) | (lower << (8 - start))) & 0xFFu;
    const unsigned j = (static_cast<unsigned>(std::countr_zero(fromStart)) + start) & 7u;
    x = wrapStep(x, kDx[j], columns);
    y = wrapStep(y, kDy[j], rows);
  }
}

// Stretches the heights so that the highest becomes 255; a grid without particles stays flat.
void DepositionTerrain::normalise() {
  const std::uint8_t highest = *std::max_element(grid.begin(), grid.end());
  if (highest == 0) return;
  const float top = static_cast<float>(highest);
  for (std::uint8_t& h : grid) h = static_cast<std::uint8_t>(static_cast<float>(h) / top * 255.0f);
}

RefPtr<HeightSource> DepositionTerrain::heightSource() const {
  return new ByteHeightSource(grid.data(), columns, rows);
}
