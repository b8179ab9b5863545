#include "image/ImageProbe.h"

#include <algorithm>

#include "foundation/Path.h"
#include "foundation/StringUtils.h"

namespace {

std::uint32_t readBigEndian16(const unsigned char* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }
std::uint32_t readBigEndian32(const unsigned char* p) {
  return (readBigEndian16(p) << 16) | readBigEndian16(p + 2);
}
std::uint32_t readLittleEndian16(const unsigned char* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
std::uint32_t readLittleEndian32(const unsigned char* p) {
  return readLittleEndian16(p) | (readLittleEndian16(p + 2) << 16);
}

ImageExtent extent(std::uint32_t width, std::uint32_t height) { return ImageExtent{true, width, height}; }

bool endsWithTga(const std::string& name) { return toLower(Path(name).extension()) == ".tga"; }

ImageExtent probeJpeg(const unsigned char* bytes, std::size_t size) {
  std::size_t p = 2;
  while (p + 1 < size) {
    if (bytes[p] != 0xFF) return {};
    const unsigned marker = bytes[p + 1];
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      p += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return {};  // end or scan data before any frame header
    if (p + 4 > size) return {};
    const std::uint32_t length = readBigEndian16(bytes + p + 2);
    const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                             marker != 0xCC;
    if (frameHeader) {
      if (p + 9 > size) return {};
      return extent(readBigEndian16(bytes + p + 7), readBigEndian16(bytes + p + 5));
    }
    if (length < 2) return {};
    p += 2 + length;
  }
  return {};
}

ImageExtent probeTga(const unsigned char* bytes, std::size_t size) {
  if (size < 18) return {};
  const unsigned colourMapType = bytes[1];
  const unsigned imageType = bytes[2];
  const unsigned depth = bytes[16];
  const bool typeValid = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                         imageType == 10 || imageType == 11;
  const bool depthValid = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  if (colourMapType > 1 || !typeValid || !depthValid) return {};
  return extent(readLittleEndian16(bytes + 12), readLittleEndian16(bytes + 14));
}

}  // namespace

ImageExtent probeImageExtent(const unsigned char* bytes, std::size_t size, const std::string& nameHint) {
  if (!bytes) return {};
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::equal(kPngSignature, kPngSignature + 8, bytes)) {
    if (size < 24) return {};
    return extent(readBigEndian32(bytes + 16), readBigEndian32(bytes + 20));
  }
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M' && !endsWithTga(nameHint)) {
    if (size < 26) return {};
    const auto width = static_cast<std::int32_t>(readLittleEndian32(bytes + 18));
    const auto height = static_cast<std::int32_t>(readLittleEndian32(bytes + 22));
    // A negative height marks a top-down bitmap; a negative width is simply invalid.
    const std::uint32_t rows = height < 0 ? 0u - static_cast<std::uint32_t>(height) : std::uint32_t(height);
    return extent(width < 0 ? 0xFFFFFFFFu : std::uint32_t(width), rows);
  }
  if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return probeJpeg(bytes, size);
  if (endsWithTga(nameHint)) return probeTga(bytes, size);
  return {};
}
