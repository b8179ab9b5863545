#include "water/ImageHeightSource.h"

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
  const std::size_t row = rows - y - 1;
  return pixels[(row * columns + x) * bytesPerPixel];
}
