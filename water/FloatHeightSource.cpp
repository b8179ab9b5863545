#include "water/FloatHeightSource.h"

#include <algorithm>

void FloatHeightSource::readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count,
                            std::uint8_t* out) const {
  const std::uint32_t inside = (y < rows && x0 < columns) ? std::min(count, columns - x0) : 0;
  std::fill(out + inside, out + count, std::uint8_t{0});
  if (range == 0.0f) {
    std::fill(out, out + inside, std::uint8_t{0});
    return;
  }
  // Through 32-bit integers first: the loops vectorise when the narrowing to bytes is separate.
  constexpr std::uint32_t kChunk = 64;
  std::int32_t whole[kChunk];
  for (std::uint32_t done = 0; done < inside; done += kChunk) {
    const std::uint32_t n = std::min(kChunk, inside - done);
    const std::uint64_t start = static_cast<std::uint64_t>(columns) * y + x0 + done;
    for (std::uint32_t i = 0; i < n; ++i) whole[i] = quantiseToInteger(data[start + i], min, range);
    std::uint8_t* bytes = out + done;
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(whole[i]);
  }
}
