#include "water/ImageHeightSource.h"

#include <algorithm>

ImageHeightSource::ImageHeightSource(RefPtr<Image> image) : picture(std::move(image)) {
  if (!picture || picture->isEmpty() || picture->bytesPerPixel() == 0) return;
  pixels = picture->data();
  if (!pixels) return;
  bytesPerPixel = picture->bytesPerPixel();
  columns = picture->width();
  rows = picture->height();
}

std::uint8_t ImageHeightSource::get(std::uint32_t x, std::uint32_t y) const {
  if (x >= columns || y >= rows) return 0;
  return pixels[(static_cast<std::size_t>(y) * columns + x) * bytesPerPixel];
}

void ImageHeightSource::readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count, std::uint8_t* out) const {
  const std::uint32_t inside = (y < rows && x0 < columns) ? std::min(count, columns - x0) : 0;
  const std::uint8_t* p = inside ? pixels + (static_cast<std::size_t>(y) * columns + x0) * bytesPerPixel : nullptr;
  for (std::uint32_t i = 0; i < inside; ++i) out[i] = p[static_cast<std::size_t>(i) * bytesPerPixel];
  std::fill(out + inside, out + count, std::uint8_t{0});
}
