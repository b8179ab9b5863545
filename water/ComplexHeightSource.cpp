#include "water/ComplexHeightSource.h"

#include "foundation/VectorLoops.h"

namespace {

VECTOR_LOOPS void quantiseComplexRow(const std::complex<float>* data, std::uint32_t columns, std::uint32_t rows,
                                     float min, float range, std::uint32_t x0, std::uint32_t y,
                                     std::uint32_t count, std::uint8_t* out) {
  HeightSource::quantiseRow(columns, rows, min, range, x0, y, count, out,
                            [data](std::uint64_t i) { return data[i].real(); });
}

}  // namespace

void ComplexHeightSource::readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count,
                            std::uint8_t* out) const {
  quantiseComplexRow(data, columns, rows, min, range, x0, y, count, out);
}
