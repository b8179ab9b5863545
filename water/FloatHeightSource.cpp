#include "water/FloatHeightSource.h"

#include "foundation/VectorLoops.h"

namespace {

VECTOR_LOOPS void quantiseFloatRow(const float* data, std::uint32_t columns, std::uint32_t rows, float min,
                                   float range, std::uint32_t x0, std::uint32_t y, std::uint32_t count,
                                   std::uint8_t* out) {
  HeightSource::quantiseRow(columns, rows, min, range, x0, y, count, out, [data](std::uint64_t i) { return data[i]; });
}

}  // namespace

void FloatHeightSource::readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count,
                            std::uint8_t* out) const {
  quantiseFloatRow(data, columns, rows, min, range, x0, y, count, out);
}
