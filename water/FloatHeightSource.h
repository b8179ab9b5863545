#pragma once

#include "water/HeightSource.h"

// Heights from a row-major float array, mapped from [min, max] onto 0..255. The array is borrowed:
// its owner keeps it alive and may point the source at another array of the same size.
class FloatHeightSource : public HeightSource {
 public:
  FloatHeightSource(const float* data, std::uint32_t width, std::uint32_t height, float min,
                     float max)
      : data(data), columns(width), rows(height), min(min), range(max - min) {}

  std::uint8_t get(std::uint32_t x, std::uint32_t y) const override {
    if (x >= columns || y >= rows) return 0;
    const std::uint64_t index = static_cast<std::uint64_t>(columns) * y + x;
    return quantise(data[index], min, range);
  }
  void readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count, std::uint8_t* out) const override;
  std::uint32_t width() const override { return columns; }
  std::uint32_t height() const override { return rows; }

  void setData(const float* values) { data = values; }

 private:
  const float* data;
  std::uint32_t columns;
  std::uint32_t rows;
  float min;
  float range;
};
