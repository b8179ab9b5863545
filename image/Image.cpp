#include "image/Image.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <vector>

#include "foundation/FileResolver.h"
#include "foundation/Logger.h"
#include "foundation/ZipInputStream.h"
#include "image/ImageDecoder.h"
#include "image/NormalMap.h"

namespace {

constexpr double kByteToUnit = 0.00392156862745098;  // 1/255
constexpr double kSixth = 0.16666666666666666;
// Largest archive member read for decoding: the biggest accepted picture, uncompressed, plus room
// for headers.
constexpr std::size_t kMaxEncodedBytes =
    std::size_t(Image::kMaxDimension) * Image::kMaxDimension * 4 + (1u << 20);

// The library writes each 16-bit origin field of a TGA header from a one-byte variable, so the
// second byte of each is whatever lay beside it in memory and the file differs from run to run.
// Pictures are written from their lower-left corner: both fields are 0.
void clearTgaOrigin(const std::string& path) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  const char zeros[4] = {0, 0, 0, 0};
  if (file.seekp(8)) file.write(zeros, sizeof zeros);
}

void initialiseLibrary() {
  static const bool initialised = [] {
    ilInit();
    iluInit();
    ilEnable(IL_FILE_OVERWRITE);
    // Palette images arrive as true colour, so every pixel holds its own channels.
    ilEnable(IL_CONV_PAL);
    return true;
  }();
  (void)initialised;
}

// The library is ready before any other static object could make an image.
const struct LibraryInitialiser {
  LibraryInitialiser() { initialiseLibrary(); }
} libraryInitialiser;

// The library keeps failures on a stack; drop them so the next caller sees only its own.
void clearLibraryErrors() {
  for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
  }
}

// The fixed "not found." line, then, unless the file is simply not there, one line with the reason.
void logFailure(const std::string& label, ImageFailure failure, const std::string& detail) {
  Logger::instance().line(2) << "\"" << label << "\" not found." << std::endl;
  if (failure == ImageFailure::kMissing) return;
  std::ostream& line = Logger::instance().line(2);
  line << "\"" << label << "\": " << imageFailureText(failure);
  if (!detail.empty()) line << " (" << detail << ")";
  line << std::endl;
}

std::uint32_t bitsForFormat(std::uint32_t format) {
  switch (format) {
    case ImageFormat::kLuminance: return 8;
    case ImageFormat::kRgb:
    case ImageFormat::kBgr: return 24;
    default: return 32;
  }
}

bool isBgrOrder(std::uint32_t format) {
  return format == ImageFormat::kBgr || format == ImageFormat::kBgra;
}

bool withinLimit(std::uint32_t width, std::uint32_t height) {
  return width <= Image::kMaxDimension && height <= Image::kMaxDimension;
}

// Reads at most limit bytes in chunks, so memory follows the bytes that really arrive rather than
// a size a damaged header or directory claims.
void readUpTo(std::istream& in, std::size_t limit, std::vector<unsigned char>& bytes) {
  constexpr std::size_t kChunk = 1u << 20;
  bytes.clear();
  while (bytes.size() < limit && in) {
    const std::size_t start = bytes.size();
    const std::size_t want = std::min(kChunk, limit - start);
    bytes.resize(start + want);
    in.read(reinterpret_cast<char*>(bytes.data() + start), static_cast<std::streamsize>(want));
    bytes.resize(start + static_cast<std::size_t>(in.gcount()));
  }
}

std::uint8_t toByte(double unit) { return static_cast<std::uint8_t>(unit * 255.0); }

}  // namespace

Image::Image(std::uint32_t width, std::uint32_t height, std::uint32_t format, const void* pixels)
    : widthPixels(width), heightPixels(height), bits(bitsForFormat(format)), pixelFormat(format) {
  initialiseLibrary();
  bool created = false;
  if (withinLimit(width, height)) {
    ilGenImages(1, &name);
    ilBindImage(name);
    created = ilTexImage(width, height, 1, static_cast<ILubyte>(bits / 8), format, IL_UNSIGNED_BYTE,
                         const_cast<void*>(pixels)) == IL_TRUE;
  }
  if (!created) {
    clearLibraryErrors();
    clear();
    Logger::instance().line(2) << "Image creation failed" << std::endl;
  }
}

Image::Image(const std::string& path) {
  initialiseLibrary();
  const std::string resolved = resolveFilePath(path);
  const FileKind kind = fileKind(resolved);
  if (kind == FileKind::kMissing) {
    logFailure(path, ImageFailure::kMissing, "");
    return;
  }
  // Only regular files: a texture name in a model file may name a pipe, whose opening would wait
  // for a writer, or a device that blocks or never ends.
  if (kind != FileKind::kRegular) {
    logFailure(path, ImageFailure::kUnreadable, fileKindText(kind));
    return;
  }
  std::ifstream file(resolved, std::ios::binary);
  if (!file.is_open()) {
    logFailure(path, ImageFailure::kUnreadable, std::strerror(errno));
    return;
  }
  std::vector<unsigned char> bytes;
  readUpTo(file, kMaxEncodedBytes + 1, bytes);
  if (file.bad()) {
    logFailure(path, ImageFailure::kUnreadable, "read error");
  } else if (bytes.size() > kMaxEncodedBytes) {
    logFailure(path, ImageFailure::kTooLarge, "more than " + std::to_string(kMaxEncodedBytes) + " bytes");
  } else if (bytes.empty()) {
    logFailure(path, ImageFailure::kTruncated, "the file is empty");
  } else {
    decode(bytes.data(), bytes.size(), path);
  }
}

Image::Image(ZipArchive& archive, const std::string& memberName) {
  initialiseLibrary();
  ZipInputStream stream(archive, memberName, std::ios::in | std::ios::binary);
  if (stream.fail() || stream.bad()) return;
  const int size = stream.memberSize();
  if (size < 0) return;
  if (static_cast<std::size_t>(size) > kMaxEncodedBytes) {
    logFailure(memberName, ImageFailure::kTooLarge, std::to_string(size) + " bytes");
    return;
  }
  std::vector<unsigned char> bytes;
  readUpTo(stream, static_cast<std::size_t>(size), bytes);
  if (bytes.size() < static_cast<std::size_t>(size)) {
    // The archive's data ended or failed its check before the member's stated size.
    logFailure(memberName, ImageFailure::kTruncated,
               "the archive gave " + std::to_string(bytes.size()) + " of " + std::to_string(size) + " bytes");
    return;
  }
  decode(bytes.data(), bytes.size(), memberName);
}

Image::Image(const unsigned char* bytes, std::size_t size, const std::string& label) {
  initialiseLibrary();
  if (size > kMaxEncodedBytes) {
    logFailure(label, ImageFailure::kTooLarge, std::to_string(size) + " bytes");
    return;
  }
  decode(bytes, size, label);
}

Image::Image(const Image& other)
    : RefCounted(other),
      widthPixels(other.widthPixels),
      heightPixels(other.heightPixels),
      bits(other.bits),
      pixelFormat(other.pixelFormat) {
  if (other.name == 0) return;
  ilBindImage(other.name);
  name = ilCloneCurImage();
  if (name == 0) {
    clearLibraryErrors();
    clear();
  }
}

Image::~Image() {
  if (name != 0) ilDeleteImages(1, &name);
}

void Image::decode(const unsigned char* bytes, std::size_t size, const std::string& label) {
  const DecodedImage decoded = decodeImage(bytes, size, label, kMaxDimension);
  if (!decoded.ok()) {
    logFailure(label, decoded.failure, decoded.detail);
    return;
  }
  ilGenImages(1, &name);
  ilBindImage(name);
  if (ilTexImage(decoded.width, decoded.height, 1, static_cast<ILubyte>(decoded.bytesPerPixel), decoded.format,
                 IL_UNSIGNED_BYTE, const_cast<std::uint8_t*>(decoded.pixels.data())) != IL_TRUE) {
    clearLibraryErrors();
    clear();
    logFailure(label, ImageFailure::kTooLarge, "no memory for " + std::to_string(decoded.width) + " x " +
                                                  std::to_string(decoded.height) + " pixels");
    return;
  }
  // Saving honours the origin: the rows stay in the file's order and are written back the same way.
  ilRegisterOrigin(decoded.topRowFirst ? IL_ORIGIN_UPPER_LEFT : IL_ORIGIN_LOWER_LEFT);
  readFields();
}

void Image::readFields() {
  widthPixels = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH));
  heightPixels = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT));
  bits = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_BITS_PER_PIXEL));
  pixelFormat = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
}

void Image::clear() {
  if (name != 0) ilDeleteImages(1, &name);
  name = widthPixels = heightPixels = bits = pixelFormat = 0;
}

bool Image::bind() const {
  if (name == 0) return false;
  ilBindImage(name);
  return true;
}

bool Image::save(std::uint32_t type, const std::string& path) {
  std::remove(path.c_str());
  if (!bind()) return false;
  const bool saved = ilSave(type, path.c_str()) == IL_TRUE;
  if (!saved) clearLibraryErrors();
  if (saved && type == ImageFileType::kTga) clearTgaOrigin(path);
  return saved;
}

void Image::flip() {
  if (bind()) iluFlipImage();
}

std::uint8_t* Image::data() const {
  if (!bind()) return nullptr;
  return ilGetData();
}

void Image::copyTo(void* dest, int pitch) const { copyTo(dest, pitch, heightPixels, rowBytes()); }

void Image::copyTo(void* dest, int pitch, std::uint32_t maxRows, std::uint32_t maxRowBytes) const {
  const std::uint32_t rowSize = rowBytes();
  const std::uint32_t bytes = std::min(rowSize, maxRowBytes);
  if (!dest || pitch < 0 || static_cast<std::uint32_t>(pitch) < bytes) return;
  const std::uint8_t* source = data();
  if (!source) return;
  const std::uint32_t rows = std::min(heightPixels, maxRows);
  auto* out = static_cast<std::uint8_t*>(dest);
  for (std::uint32_t y = 0; y < rows; ++y) {
    std::memcpy(out + std::size_t(y) * pitch, source + std::size_t(y) * rowSize, bytes);
  }
}

void Image::copyFrom(const void* src, int pitch) {
  const std::uint32_t rowSize = rowBytes();
  if (!src || pitch < 0 || static_cast<std::uint32_t>(pitch) < rowSize) return;
  std::uint8_t* target = data();
  if (!target) return;
  const auto* in = static_cast<const std::uint8_t*>(src);
  for (std::uint32_t y = 0; y < heightPixels; ++y) {
    std::memcpy(target + std::size_t(y) * rowSize, in + std::size_t(y) * pitch, rowSize);
  }
}

void Image::convert(std::uint32_t target) {
  if (target == pixelFormat || !bind()) return;
  if (pixelFormat == ImageFormat::kHls) {
    hlsToRgb(target);
  } else if (target == ImageFormat::kHls) {
    // Hue, saturation and lightness need three bytes per pixel.
    if (bytesPerPixel() < 3) convert(ImageFormat::kRgb);
    if (bytesPerPixel() < 3) return;
    rgbToHls();
    pixelFormat = ImageFormat::kHls;
  } else {
    ilConvertImage(target, IL_UNSIGNED_BYTE);
    clearLibraryErrors();
    bits = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_BITS_PER_PIXEL));
    pixelFormat = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
  }
}

// Foley and van Dam's RGB to HLS, each of h, l, s scaled to a byte.
void Image::rgbToHls() {
  std::uint8_t* pixels = data();
  if (!pixels) return;
  const bool bgr = isBgrOrder(pixelFormat);
  const std::uint32_t step = bytesPerPixel();
  const std::size_t count = std::size_t(widthPixels) * heightPixels;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = pixels + i * step;
    const double c0 = p[0] * kByteToUnit, c1 = p[1] * kByteToUnit, c2 = p[2] * kByteToUnit;
    const double r = bgr ? c2 : c0, g = c1, b = bgr ? c0 : c2;
    const double M = std::max({r, g, b}), m = std::min({r, g, b});
    const double l = (M + m) * 0.5;
    double h = 0.0, s = 0.0;
    const double d = M - m;
    if (l > 0.0 && d > 0.0) {
      s = l <= 0.5 ? d / (M + m) : d / (2.0 - M - m);
      const double rc = (M - r) / d, gc = (M - g) / d, bc = (M - b) / d;
      if (r == M) {
        h = g == m ? 5.0 + bc : 1.0 - gc;
      } else if (g == M) {
        h = b == m ? 1.0 + rc : 3.0 - bc;
      } else {
        h = r == m ? 3.0 + gc : 5.0 - rc;
      }
      h *= kSixth;
    }
    p[0] = toByte(h);
    p[1] = toByte(s);
    p[2] = toByte(l);
  }
}

// The inverse of rgbToHls. The pixels are written in the channel order the library holds them in,
// and then converted by the library if the target differs, so the fields always describe the bytes.
void Image::hlsToRgb(std::uint32_t target) {
  std::uint8_t* pixels = data();
  if (!pixels) return;
  const std::uint32_t stored = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
  const bool bgr = isBgrOrder(stored);
  const std::uint32_t step = bytesPerPixel();
  const std::size_t count = std::size_t(widthPixels) * heightPixels;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = pixels + i * step;
    const double h = p[0] * kByteToUnit, s = p[1] * kByteToUnit, l = p[2] * kByteToUnit;
    const double v = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
    double r = 0.0, g = 0.0, b = 0.0;
    if (v > 0.0) {
      const double m = 2.0 * l - v;
      const double sv = (v - m) / v;
      const double h6 = h * 6.0;
      // Hue 1.0 (the byte 255, which pure red maps to) is the same angle as hue 0.
      const int sextant = static_cast<int>(h6) % 6;
      const double fract = h6 - static_cast<int>(h6);
      const double vsf = v * sv * fract;
      const double mid1 = m + vsf, mid2 = v - vsf;
      switch (sextant) {
        case 0: r = v; g = mid1; b = m; break;
        case 1: r = mid2; g = v; b = m; break;
        case 2: r = m; g = v; b = mid1; break;
        case 3: r = m; g = mid2; b = v; break;
        case 4: r = mid1; g = m; b = v; break;
        default: r = v; g = m; b = mid2; break;
      }
    }
    p[0] = toByte(bgr ? b : r);
    p[1] = toByte(g);
    p[2] = toByte(bgr ? r : b);
  }
  pixelFormat = stored;
  if (target != stored) convert(target);
}

RefPtr<Image> Image::makeNormalMap(float scale, std::uint32_t format) const {
  return ::makeNormalMap(*this, scale, format);
}
