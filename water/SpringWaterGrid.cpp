#include "water/SpringWaterGrid.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

SpringWaterGrid::SpringWaterGrid(std::uint32_t n, float k)
    : n(n),
      k(k),
      force(static_cast<std::size_t>(n) * n, 0.0f),
      velocity(static_cast<std::size_t>(n) * n, 0.0f),
      height(static_cast<std::size_t>(n) * n, 0.0f) {}

void SpringWaterGrid::reset(int pattern) {
  std::fill(force.begin(), force.end(), 0.0f);
  std::fill(velocity.begin(), velocity.end(), 0.0f);
  const int size = static_cast<int>(n);
  const int third = size / 3;
  const int twoThirds = 2 * size / 3;
  const float quarter = static_cast<float>(size >> 2);
  const float sixth = static_cast<float>(size / 6);
  const int threeQuarters = 3 * size >> 2;
  const float pi = 3.1415927f;
  const float sizeF = static_cast<float>(size);
  for (int i = 0; i < size; ++i) {
    for (int j = 0; j < size; ++j) {
      float& h = height[static_cast<std::size_t>(i) * n + j];
      if (i == 0 || j == 0 || i == size - 1 || j == size - 1) {
        h = 0.0f;
        continue;
      }
      const bool inCentralSquare = third < i && i < twoThirds && third < j && j < twoThirds;
      const int antiDiagonal = size - j - i;
      switch (pattern) {
        case 0: h = 0.0f; break;
        case 1: h = (i == size / 2 && j == size / 2) ? sizeF * 1.5f : 0.0f; break;
        case 2: h = inCentralSquare ? 0.0f : quarter; break;
        case 3: h = (0 < antiDiagonal && antiDiagonal < 3) ? sixth : 0.0f; break;
        case 4: h = i == 1 ? quarter : 0.0f; break;
        case 5: h = (antiDiagonal >= 0 && antiDiagonal < 3) ? sixth : 0.0f; break;
        case 6: h = inCentralSquare ? quarter : 0.0f; break;
        case 7: h = (i > threeQuarters && j > threeQuarters) ? quarter : 0.0f; break;
        case 8:
          h = static_cast<float>((std::sin(pi * j / sizeF) + std::sin(pi * i / sizeF)) * sizeF *
                                 0.16666666666666666);
          break;
        case 9:
          h = static_cast<float>((std::sin(2.0f * pi * j / sizeF) + std::sin(2.0f * pi * i / sizeF)) *
                                 sizeF * 0.16666666666666666);
          break;
        default: break;
      }
    }
  }
}

void SpringWaterGrid::step() {
  std::fill(force.begin(), force.end(), 0.0f);
  const int size = static_cast<int>(n);
  const std::ptrdiff_t w = size;
  const std::ptrdiff_t offsets[8] = {-1, -w, 1, w, w + 1, -w - 1, w - 1, -w + 1};
  const float weights[8] = {1.0f, 1.0f, 1.0f, 1.0f, 0.70710677f, 0.70710677f, 0.70710677f, 0.70710677f};
  // Cells in 2..n−3 push and pull all eight neighbours; a pair of such cells meets twice.
  for (int row = 2; row <= size - 3; ++row) {
    for (int column = 2; column <= size - 3; ++column) {
      const std::size_t c = static_cast<std::size_t>(row) * n + column;
      for (int e = 0; e < 8; ++e) {
        const std::size_t m = c + offsets[e];
        const float d = (height[c] - height[m]) * weights[e];
        force[c] -= d;
        force[m] += d;
      }
    }
  }
  for (int row = 1; row <= size - 2; ++row) {
    for (int column = 1; column <= size - 2; ++column) {
      const std::size_t c = static_cast<std::size_t>(row) * n + column;
      velocity[c] += force[c] * k;
      height[c] = (velocity[c] + height[c]) * 0.99f;
    }
  }
}

void SpringWaterGrid::raise(std::uint32_t x, std::uint32_t y) {
  // The border ring is never stepped; a raised border cell would stay up forever.
  if (x < 1 || y < 1 || x + 1 >= n || y + 1 >= n) return;
  height[static_cast<std::size_t>(n) * y + x] = static_cast<float>(n) * 0.2f;
}
