#include "water/FloatHeightSource.h"

void FloatHeightSource::readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count,
                            std::uint8_t* out) const {
  quantiseRow(columns, rows, min, range, x0, y, count, out, [this](std::uint64_t i) { return data[i]; });
}
