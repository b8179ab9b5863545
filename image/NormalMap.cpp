#include "image/NormalMap.h"

#include <cmath>

namespace {

// A normal component in -1..1 packed the way the engine's colour packs a float: scaled to 0..255
// and truncated.
std::uint8_t encode(float component) { return static_cast<std::uint8_t>(((component + 1.0f) * 0.5f) * 255.0f); }

// The normal (0, 0, 1) of a flat surface, which the last row and column get since they have no
// neighbour to difference with.
void writeFlat(std::uint8_t* out) {
  out[0] = 0x80;
  out[1] = 0x80;
  out[2] = 0xFF;
}

}  // namespace

RefPtr<Image> makeNormalMap(const Image& source, float scale, std::uint32_t format) {
  if (source.isEmpty()) return RefPtr<Image>(new Image());
  const std::uint32_t width = source.width();
  const std::uint32_t height = source.height();
  RefPtr<Image> output(new Image(width, height, ImageFormat::kRgb, nullptr));

  RefPtr<Image> luminance;
  const std::uint8_t* heights = nullptr;
  if (source.format() == ImageFormat::kLuminance && source.bitsPerPixel() == 8) {
    heights = source.data();
  } else {
    luminance = new Image(source);
    luminance->convert(ImageFormat::kLuminance);
    if (luminance->format() == ImageFormat::kLuminance && luminance->bitsPerPixel() == 8) {
      heights = luminance->data();
    }
  }

  std::uint8_t* out = output->data();
  if (heights && out) {
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x, out += 3) {
        if (x == width - 1 || y == height - 1) {
          writeFlat(out);
          continue;
        }
        const std::uint8_t* h = heights + std::size_t(y) * width + x;
        const float dx = float(h[1]) - float(h[0]);
        const float dy = float(h[width]) - float(h[0]);
        // u = (scale, 0, dx), v = (0, -scale, dy), n = u x v.
        const float ux = scale, uy = 0.0f, uz = dx;
        const float vx = 0.0f, vy = -scale, vz = dy;
        float nx = uz * vy - uy * vz;
        float ny = ux * vz - uz * vx;
        float nz = uy * vx - ux * vy;
        const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (!(length > 0.0f) || !std::isfinite(length)) {
          // Scale 0 leaves no direction to normalise; the flat normal stands in.
          writeFlat(out);
          continue;
        }
        const float inverse = 1.0f / length;
        nx *= inverse;
        ny *= inverse;
        nz *= inverse;
        out[0] = encode(nx);
        out[1] = encode(ny);
        out[2] = encode(nz);
      }
    }
  }
  luminance.reset();
  output->convert(format);
  return output;
}
