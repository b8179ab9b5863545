#include "scenes/TerrainSmoothing.h"

namespace {

// k·a + (1 − k)·b in single precision, stored back in the grid's own type.
inline float blend(float a, float b, float k, float keep) { return k * a + keep * b; }
inline std::uint8_t blend(std::uint8_t a, std::uint8_t b, float k, float keep) {
  return static_cast<std::uint8_t>(k * static_cast<float>(a) + keep * static_cast<float>(b));
}

template <typename T>
void smoothLine(T* v, std::size_t count, std::size_t stride, float k, SmoothPasses passes) {
  if (count < 2) return;
  const float keep = 1.0f - k;
  if (passes != SmoothPasses::Backward) {
    for (std::size_t i = 1; i < count; ++i) v[i * stride] = blend(v[(i - 1) * stride], v[i * stride], k, keep);
  }
  if (passes != SmoothPasses::Forward) {
    for (std::size_t i = count - 1; i-- > 0;) v[i * stride] = blend(v[(i + 1) * stride], v[i * stride], k, keep);
  }
}

// Each row's pass is a chain of steps that wait for one another; running eight rows side by side
// keeps the processor busy in the meantime. Every row sees the same steps as on its own.
template <typename T>
void smoothRows(T* v, std::uint32_t width, std::uint32_t height, float k) {
  constexpr std::uint32_t kRows = 8;
  const float keep = 1.0f - k;
  const std::size_t w = width;
  std::uint32_t r = 0;
  for (; width >= 2 && r + kRows <= height; r += kRows) {
    T* rows = v + r * w;
    for (std::size_t i = 1; i < w; ++i) {
      for (std::uint32_t j = 0; j < kRows; ++j) rows[j * w + i] = blend(rows[j * w + i - 1], rows[j * w + i], k, keep);
    }
    for (std::size_t i = w - 1; i-- > 0;) {
      for (std::uint32_t j = 0; j < kRows; ++j) rows[j * w + i] = blend(rows[j * w + i + 1], rows[j * w + i], k, keep);
    }
  }
  for (; r < height; ++r) smoothLine(v + r * w, w, 1, k, SmoothPasses::Both);
}

// row[c] = blend(from[c], row[c]) along a whole row, sixteen at a time through a local copy of
// from, so that it vectorises.
template <typename T>
void blendRow(T* row, const T* from, std::size_t count, float k, float keep) {
  constexpr std::size_t kBlock = 16;
  std::size_t c = 0;
  for (; c + kBlock <= count; c += kBlock) {
    T previous[kBlock];
    for (std::size_t j = 0; j < kBlock; ++j) previous[j] = from[c + j];
    for (std::size_t j = 0; j < kBlock; ++j) row[c + j] = blend(previous[j], row[c + j], k, keep);
  }
  for (; c < count; ++c) row[c] = blend(from[c], row[c], k, keep);
}

// The column passes run a whole row at a time: every column sees the same sequence of operations
// as when filtered on its own, and the inner loop is contiguous.
template <typename T>
void smoothColumns(T* v, std::uint32_t width, std::uint32_t height, float k) {
  if (height < 2) return;
  const float keep = 1.0f - k;
  const std::size_t w = width;
  for (std::uint32_t r = 1; r < height; ++r) blendRow(v + r * w, v + (r - 1) * w, w, k, keep);
  for (std::uint32_t r = height - 1; r-- > 0;) blendRow(v + r * w, v + (r + 1) * w, w, k, keep);
}

}  // namespace

void smooth(float* values, std::size_t count, std::size_t stride, float k, SmoothPasses passes) {
  smoothLine(values, count, stride, k, passes);
}

void smooth(std::uint8_t* values, std::size_t count, std::size_t stride, float k, SmoothPasses passes) {
  smoothLine(values, count, stride, k, passes);
}

void smoothGrid(float* values, std::uint32_t width, std::uint32_t height, float k) {
  smoothRows(values, width, height, k);
  smoothColumns(values, width, height, k);
}

void smoothGrid(std::uint8_t* values, std::uint32_t width, std::uint32_t height, float k) {
  smoothRows(values, width, height, k);
  smoothColumns(values, width, height, k);
}
