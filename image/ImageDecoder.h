#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Why a picture could not be had; the log names it after the fixed "not found." line.
enum class ImageFailure {
  kNone,
  kMissing,       // no such file (or archive member)
  kUnreadable,    // it exists but cannot be read (permissions, a read error, not a regular file)
  kTooLarge,      // more pixels or bytes than the engine accepts
  kCannotDecode,  // not one of the formats read, or damaged inside
  kTruncated,     // the data ends before the picture its header describes
};

// The reason's own words: "unreadable", "too large", "cannot decode", "truncated" ("" for none,
// "missing" for a missing file).
const char* imageFailureText(ImageFailure failure);

// A decoded picture: 8-bit channels, rows tightly packed in the order the file stores them (TGA
// with its usual origin and BMP bottom row first, JPEG and PNG top row first), channels in the
// order the format value names (TGA and BMP as BGR or BGRA, JPEG and PNG as RGB or RGBA, grey as
// luminance).
struct DecodedImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t format = 0;         // an ImageFormat value
  std::uint32_t bytesPerPixel = 0;  // 1, 3 or 4
  bool topRowFirst = false;         // the first row is the picture's top row
  std::vector<std::uint8_t> pixels;
  ImageFailure failure = ImageFailure::kNone;
  std::string detail;  // what exactly was wrong, for the log ("49170 bytes expected, 100 present")

  bool ok() const { return failure == ImageFailure::kNone; }
};

// Decodes TGA, BMP, JPEG and PNG data and nothing else. The format is recognised by its signature;
// TGA, which has none, by a plausible header, and is tried first when nameHint ends in ".tga".
// Headers are checked before any pixel memory is taken: no side may exceed maxDimension, and data
// too short for the picture its header states is refused as truncated, so memory follows the bytes
// that are really there. TGA and BMP are decoded by stb_image, JPEG by libjpeg-turbo and PNG by
// libpng, each limited to these checks.
DecodedImage decodeImage(const unsigned char* bytes, std::size_t size, const std::string& nameHint,
                         std::uint32_t maxDimension);
