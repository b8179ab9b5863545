#pragma once
#include "foundation/RefPtr.h"
#include "image/Image.h"
#include "water/HeightSource.h"

// Heights from the first byte of each pixel of an image, rows in the order the image holds them
// (row y is the image's row y in memory), so anything else made from the image's rows, such as a
// texture, lies the same way round as the heights. The image is shared and must not be changed while the source reads it. An empty image gives a
// 0 × 0 source.
class ImageHeightSource : public HeightSource {
 public:
  explicit ImageHeightSource(RefPtr<Image> image);

  std::uint8_t get(std::uint32_t x, std::uint32_t y) const override;
  void readRow(std::uint32_t x0, std::uint32_t y, std::uint32_t count, std::uint8_t* out) const override;
  std::uint32_t width() const override { return columns; }
  std::uint32_t height() const override { return rows; }

 private:
  RefPtr<Image> picture;
  const std::uint8_t* pixels = nullptr;  // the image's own bytes, looked up once
  std::uint32_t bytesPerPixel = 0;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
};
