#include "water/WaterHeightField2D.h"

WaterHeightField2D::WaterHeightField2D(std::uint32_t width, std::uint32_t height, float speed)
    : columns(width), rows(height), a((0.2f * speed) * (0.2f * speed)) {
  buffers[0].assign(static_cast<std::size_t>(width) * height, 0.0f);
  buffers[1].assign(static_cast<std::size_t>(width) * height, 0.0f);
}

void WaterHeightField2D::step() {
  const float* src = buffers[currentIndex].data();
  currentIndex = 1 - currentIndex;
  float* dst = buffers[currentIndex].data();
  if (columns < 3 || rows < 3) return;
  const float centre = 2.0f - 4.0f * a;
  const std::size_t w = columns;
  // Every cell reads only src and its own old value, so the visiting order does not matter;
  // rows outer keeps it cache-friendly.
  for (std::size_t y = 1; y + 1 < rows; ++y) {
    for (std::size_t x = 1; x + 1 < columns; ++x) {
      const std::size_t i = w * y + x;
      const float next = (src[i - w] + src[i + w] + src[i + 1] + src[i - 1]) * a + centre * src[i] - dst[i];
      dst[i] = next * 0.99f;
    }
  }
}

void WaterHeightField2D::disturb(std::uint32_t x, std::uint32_t y) {
  // Border cells are never stepped, so a drop there would stay forever: only interior cells.
  if (x < 1 || y < 1 || x + 1 >= columns || y + 1 >= rows) return;
  float* h = buffers[currentIndex].data();
  h[columns * y + x] = 3.0f;
  if (x >= 2) h[columns * y + x - 1] = 1.5f;
  if (x + 3 <= columns) h[columns * y + x + 1] = 1.5f;
  if (y >= 2) h[columns * (y - 1) + x] = 1.5f;
  if (y + 3 <= rows) h[columns * (y + 1) + x] = 1.5f;
}
