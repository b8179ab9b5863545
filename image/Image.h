#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

class ZipArchive;

// Pixel formats and file types of the image library, by value, so users need not include its
// headers.
namespace ImageFormat {
constexpr std::uint32_t kRgb = 0x1907;
constexpr std::uint32_t kRgba = 0x1908;
constexpr std::uint32_t kLuminance = 0x1909;
constexpr std::uint32_t kBgr = 0x80E0;
constexpr std::uint32_t kBgra = 0x80E1;
// Marks pixels whose first three bytes hold hue, saturation and lightness. The library itself
// never sees this code (it is the library's luminance-alpha number).
constexpr std::uint32_t kHls = 0x190A;
}  // namespace ImageFormat

namespace ImageFileType {
constexpr std::uint32_t kBmp = 0x0420;
constexpr std::uint32_t kJpg = 0x0425;
constexpr std::uint32_t kPng = 0x042A;
constexpr std::uint32_t kTga = 0x042D;
}  // namespace ImageFileType

// A picture in main memory, held by the DevIL image library: 8-bit channels, rows tightly packed
// in the order the file stores them (TGA and BMP files bottom row first, JPEG and PNG top row
// first; created images are taken as bottom row first when saved). Files are decoded by
// ImageDecoder (TGA, BMP, JPEG and PNG only), never by DevIL's own readers. Every operation binds
// this image first, so no binding is assumed to survive between calls.
//
// An empty image (nothing loaded) has name 0 and all fields 0; every operation on it is harmless.
class Image : public RefCounted {
 public:
  // Pictures larger than this on either side are refused rather than decoded.
  static constexpr std::uint32_t kMaxDimension = 16384;

  // The empty image.
  Image() = default;
  // A blank picture (data null: contents undefined) or one filled from tightly packed rows.
  // bitsPerPixel follows the format: luminance 8, RGB and BGR 24, anything else 32.
  // Logs "Image creation failed" and stays empty when the library refuses.
  Image(std::uint32_t width, std::uint32_t height, std::uint32_t format, const void* data);
  // Decodes a file, the format recognised from its bytes. Failure leaves the image empty and logs
  // "\"<path>\" not found."; when the file exists, a second line gives the reason:
  // "\"<path>\": unreadable", "too large", "cannot decode" or "truncated", with details.
  explicit Image(const std::string& path);
  // Decodes a member of an archive. A missing member (or a closed archive) leaves the image empty
  // without a message; one that cannot be read whole or decoded logs the same lines as a file, with
  // the member name.
  Image(ZipArchive& archive, const std::string& memberName);
  // Decodes bytes held in memory; label names them in log lines and its extension hints the format
  // of signature-less data (".tga").
  Image(const unsigned char* bytes, std::size_t size, const std::string& label);
  // A deep copy with the source's format.
  Image(const Image& other);
  Image& operator=(const Image&) = delete;
  ~Image() override;

  // Replaces any file at path. type is an ImageFileType value.
  bool save(std::uint32_t type, const std::string& path);
  bool saveTga(const std::string& path) { return save(ImageFileType::kTga, path); }
  bool savePng(const std::string& path) { return save(ImageFileType::kPng, path); }

  // Vertical flip.
  void flip();
  // Pixel bytes, null for the empty image.
  std::uint8_t* data() const;

  // Copies every row into dest, rows pitch bytes apart; nothing when pitch is below a row's bytes.
  void copyTo(void* dest, int pitch) const;
  // The same, bounded to a destination of maxRows rows of maxRowBytes bytes.
  void copyTo(void* dest, int pitch, std::uint32_t maxRows, std::uint32_t maxRowBytes) const;
  // Fills every row from src, rows pitch bytes apart; nothing when pitch is below a row's bytes.
  void copyFrom(const void* src, int pitch);

  // To a library format, or to and from ImageFormat::kHls (in place, alpha untouched).
  void convert(std::uint32_t format);

  // Tangent-space normal map of this picture's heights (its luminance); see NormalMap.h.
  RefPtr<Image> makeNormalMap(float scale, std::uint32_t format) const;

  std::uint32_t width() const { return widthPixels; }
  std::uint32_t height() const { return heightPixels; }
  std::uint32_t bitsPerPixel() const { return bits; }
  std::uint32_t bytesPerPixel() const { return bits >> 3; }
  std::uint32_t rowBytes() const { return widthPixels * bytesPerPixel(); }
  std::uint32_t format() const { return pixelFormat; }
  // The library's name for the picture; 0 for the empty image.
  std::uint32_t libraryName() const { return name; }
  bool isEmpty() const { return name == 0 || widthPixels == 0 || heightPixels == 0; }

 private:
  bool bind() const;
  void decode(const unsigned char* bytes, std::size_t size, const std::string& label);
  void readFields();
  void clear();
  void rgbToHls();
  void hlsToRgb(std::uint32_t target);

  std::uint32_t name = 0;
  std::uint32_t widthPixels = 0;
  std::uint32_t heightPixels = 0;
  std::uint32_t bits = 0;
  std::uint32_t pixelFormat = 0;
};
