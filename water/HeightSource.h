#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/RefCounted.h"

// A read-only grid of 8-bit heights: column x in 0..width−1, row y in 0..height−1. Cells outside
// the grid read as 0.
class HeightSource : public RefCounted {
 public:
  virtual std::uint8_t get(std::uint32_t x, std::uint32_t y) const = 0;
  virtual std::uint32_t width() const = 0;
  virtual std::uint32_t height() const = 0;

  // Heights of count cells of row y from column x0 on into out, as get() reads them; sources
  // override it with a tight loop.
  virtual void readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count, std::uint8_t* out) const {
    for (std::uint32_t i = 0; i < count; ++i) out[i] = get(x0 + i, y);
  }

  // Low 8 bits of trunc((value − min)·255 / range): values outside [min, max] wrap rather than
  // clamp. A zero range, NaN or a value beyond the integer range reads as 0.
  static std::uint8_t quantise(float value, float min, float range) {
    if (range == 0.0f) return 0;
    return quantiseInRange(value, min, range);
  }
  // quantise() for a range known to be non-zero; branch-free, so row loops vectorise.
  static std::uint8_t quantiseInRange(float value, float min, float range) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(quantiseToInteger(value, min, range)));
  }
  // The truncated integer before its low 8 bits are taken.
  static std::int32_t quantiseToInteger(float value, float min, float range) {
    const float scaled = (value - min) * 255.0f / range;
    // Select before converting: converting a float outside the int range is undefined.
    const float safe = std::fabs(scaled) < 2147483520.0f ? scaled : 0.0f;
    return static_cast<std::int32_t>(safe);
  }

  // Row loop shared by the array sources: heightAt(i) is the height at flat index i of a
  // columns × rows grid. Goes through 32-bit integers first: the loops vectorise when the
  // narrowing to bytes is separate.
  template <typename HeightAt>
  static void quantiseRow(std::uint32_t columns, std::uint32_t rows, float min, float range, std::uint32_t x0,
                          std::uint32_t y, std::uint32_t count, std::uint8_t* out, HeightAt heightAt) {
    const std::uint32_t inside = (y < rows && x0 < columns) ? std::min(count, columns - x0) : 0;
    std::fill(out + inside, out + count, std::uint8_t{0});
    if (range == 0.0f) {
      std::fill(out, out + inside, std::uint8_t{0});
      return;
    }
    constexpr std::uint32_t kChunk = 64;
    std::int32_t whole[kChunk];
    for (std::uint32_t done = 0; done < inside; done += kChunk) {
      const std::uint32_t n = std::min(kChunk, inside - done);
      const std::uint64_t start = static_cast<std::uint64_t>(columns) * y + x0 + done;
      for (std::uint32_t i = 0; i < n; ++i) whole[i] = quantiseToInteger(heightAt(start + i), min, range);
      std::uint8_t* bytes = out + done;
      for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(whole[i]);
    }
  }
};
