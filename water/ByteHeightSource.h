#pragma once
#include "water/HeightSource.h"

// Heights straight from a row-major byte array (borrowed, kept alive by its owner).
class ByteHeightSource : public HeightSource {
 public:
  ByteHeightSource(const std::uint8_t* data, std::uint32_t width, std::uint32_t height)
      : data(data), columns(width), rows(height) {}

  std::uint8_t get(std::uint32_t x, std::uint32_t y) const override {
    if (x >= columns || y >= rows) return 0;
    return data[static_cast<std::uint64_t>(columns) * y + x];
  }
  std::uint32_t width() const override { return columns; }
  std::uint32_t height() const override { return rows; }

 private:
  const std::uint8_t* data;
  std::uint32_t columns;
  std::uint32_t rows;
};
