#pragma once
#include <cstdint>

#include "foundation/RefCounted.h"

// A read-only grid of 8-bit heights: column x in 0..width−1, row y in 0..height−1. Cells outside
// the grid read as 0.
class HeightSource : public RefCounted {
 public:
  virtual std::uint8_t get(std::uint32_t x, std::uint32_t y) const = 0;
  virtual std::uint32_t width() const = 0;
  virtual std::uint32_t height() const = 0;

  // Low 8 bits of trunc((value − min)·255 / range): values outside [min, max] wrap rather than
  // clamp. A zero range, NaN or a value beyond the integer range reads as 0.
  static std::uint8_t quantise(float value, float min, float range);
};
