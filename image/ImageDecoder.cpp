#include "image/ImageDecoder.h"

#include <jerror.h>
#include <png.h>
#include <stdio.h>  // jpeglib.h needs FILE and size_t declared before it

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/Path.h"
#include "foundation/StringUtils.h"
#include "image/Image.h"
#include "image/ImageProbe.h"

// stb_image, compiled here for its TGA and BMP readers only; every function stays private to this
// file. Its own size limit matches the engine's.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

static_assert(Image::kMaxDimension <= STBI_MAX_DIMENSIONS, "stb_image must accept every size the engine does");

// Deflate expands at most 1032 to 1: PNG pixel data longer than this times the file cannot be in it.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
// libjpeg's working memory. Progressive and arithmetic-coded files keep every coefficient, two
// bytes a sample: this admits about 9000 x 9000 pixels in full-resolution colour; larger ones are
// refused as too large.
constexpr long kMaxJpegWorkingBytes = 512L << 20;
// Progressive JPEG files with thousands of tiny scans cost seconds of work for nothing.
constexpr int kMaxJpegScans = 1000;

enum class FileKind { kUnknown, kTga, kBmp, kJpeg, kPng };

std::uint32_t little16(const unsigned char* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
std::uint32_t little32(const unsigned char* p) { return little16(p) | (little16(p + 2) << 16); }

DecodedImage failed(ImageFailure failure, std::string detail) {
  DecodedImage image;
  image.failure = failure;
  image.detail = std::move(detail);
  return image;
}

std::string bytesExpected(std::uint64_t expected, std::size_t present) {
  return "needs " + std::to_string(expected) + " bytes, has " + std::to_string(present);
}

std::string sizeText(std::uint64_t width, std::uint64_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

DecodedImage tooLarge(std::uint64_t width, std::uint64_t height, std::uint32_t maxDimension) {
  return failed(ImageFailure::kTooLarge,
                sizeText(width, height) + ", at most " + std::to_string(maxDimension) + " on a side");
}

bool hasPngSignature(const unsigned char* bytes, std::size_t size) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return size >= 8 && std::equal(kSignature, kSignature + 8, bytes);
}

bool hasJpegSignature(const unsigned char* bytes, std::size_t size) {
  return size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool hasBmpSignature(const unsigned char* bytes, std::size_t size) {
  return size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// TGA has no signature: a header whose fields all hold values the format defines.
bool plausibleTgaHeader(const unsigned char* bytes, std::size_t size) {
  if (size < 18) return false;
  const unsigned colourMapType = bytes[1], imageType = bytes[2], depth = bytes[16];
  const bool mapped = imageType == 1 || imageType == 9;
  const bool trueColour = imageType == 2 || imageType == 10;
  const bool grey = imageType == 3 || imageType == 11;
  if (colourMapType > 1 || !(mapped || trueColour || grey)) return false;
  if (mapped) {
    const unsigned entryBits = bytes[7];
    return colourMapType == 1 && (depth == 8 || depth == 16) &&
           (entryBits == 15 || entryBits == 16 || entryBits == 24 || entryBits == 32);
  }
  if (grey) return depth == 8 || depth == 16;
  return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

FileKind recognise(const unsigned char* bytes, std::size_t size, const std::string& nameHint) {
  const bool tgaName = toLower(Path(nameHint).extension()) == ".tga";
  if (tgaName && plausibleTgaHeader(bytes, size)) return FileKind::kTga;
  if (hasPngSignature(bytes, size)) return FileKind::kPng;
  if (hasJpegSignature(bytes, size)) return FileKind::kJpeg;
  if (hasBmpSignature(bytes, size)) return FileKind::kBmp;
  if (plausibleTgaHeader(bytes, size)) return FileKind::kTga;
  // A ".tga" file cut inside its header is damaged rather than foreign.
  if (tgaName && size < 18) return FileKind::kTga;
  return FileKind::kUnknown;
}

void flipRows(DecodedImage& image) {
  const std::size_t rowBytes = std::size_t(image.width) * image.bytesPerPixel;
  std::uint8_t* top = image.pixels.data();
  std::uint8_t* bottom = top + rowBytes * (image.height ? image.height - 1 : 0);
  for (; top < bottom; top += rowBytes, bottom -= rowBytes) std::swap_ranges(top, top + rowBytes, bottom);
}

// stb_image's result (top row first, R G B order) in the layout the engine's TGA and BMP pictures
// have always had: B G R order, grey as luminance, grey with alpha widened to BGRA.
DecodedImage fromStb(stbi_uc* pixels, int width, int height, int channels) {
  DecodedImage image;
  image.width = static_cast<std::uint32_t>(width);
  image.height = static_cast<std::uint32_t>(height);
  image.topRowFirst = true;
  const std::size_t count = std::size_t(width) * std::size_t(height);
  if (channels == 1) {
    image.format = ImageFormat::kLuminance;
    image.bytesPerPixel = 1;
    image.pixels.assign(pixels, pixels + count);
    return image;
  }
  image.bytesPerPixel = channels == 3 ? 3 : 4;
  image.format = channels == 3 ? ImageFormat::kBgr : ImageFormat::kBgra;
  image.pixels.resize(count * image.bytesPerPixel);
  for (std::size_t i = 0; i < count; ++i) {
    const stbi_uc* in = pixels + i * static_cast<std::size_t>(channels);
    std::uint8_t* out = image.pixels.data() + i * image.bytesPerPixel;
    if (channels == 2) {
      out[0] = out[1] = out[2] = in[0];
      out[3] = in[1];
    } else {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      if (channels == 4) out[3] = in[3];
    }
  }
  return image;
}

DecodedImage decodeWithStb(const unsigned char* bytes, std::size_t size, std::uint32_t width,
                           std::uint32_t height) {
  int x = 0, y = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &x, &y, &channels, 0);
  if (!pixels) return failed(ImageFailure::kCannotDecode, stbi_failure_reason());
  DecodedImage image;
  if (std::uint32_t(x) != width || std::uint32_t(y) != height || channels < 1 || channels > 4) {
    image = failed(ImageFailure::kCannotDecode, "the decoder disagrees with the header");
  } else {
    image = fromStb(pixels, x, y, channels);
  }
  stbi_image_free(pixels);
  return image;
}

DecodedImage decodeTga(const unsigned char* bytes, std::size_t size, std::uint32_t maxDimension) {
  if (size < 18) return failed(ImageFailure::kTruncated, "the header " + bytesExpected(18, size));
  if (!plausibleTgaHeader(bytes, size)) return failed(ImageFailure::kCannotDecode, "not a TGA header");
  const std::uint32_t width = little16(bytes + 12), height = little16(bytes + 14);
  if (width == 0 || height == 0) return failed(ImageFailure::kCannotDecode, "no pixels");
  if (width > maxDimension || height > maxDimension) return tooLarge(width, height, maxDimension);

  const unsigned imageType = bytes[2];
  const std::uint64_t bytesPerPixel = (bytes[16] + 7u) / 8u;
  std::uint64_t offset = 18u + bytes[0];
  if (bytes[1] == 1) offset += std::uint64_t(little16(bytes + 5)) * ((bytes[7] + 7u) / 8u);
  const std::uint64_t pixels = std::uint64_t(width) * height;
  if (imageType < 8) {
    const std::uint64_t expected = offset + pixels * bytesPerPixel;
    if (expected > size) return failed(ImageFailure::kTruncated, bytesExpected(expected, size));
  } else {
    // Run-length packets: a count byte, then one pixel (a run) or count pixels (raw).
    std::uint64_t at = offset, covered = 0;
    while (covered < pixels) {
      if (at >= size) return failed(ImageFailure::kTruncated, "the run-length data ends early");
      const unsigned packet = bytes[at++];
      const std::uint64_t count = (packet & 0x7Fu) + 1u;
      at += (packet & 0x80u) ? bytesPerPixel : count * bytesPerPixel;
      if (at > size) return failed(ImageFailure::kTruncated, "the run-length data ends early");
      covered += count;
    }
  }
  DecodedImage image = decodeWithStb(bytes, size, width, height);
  // The file's own row order: its origin bit says whether the top row comes first.
  if (image.ok() && (bytes[17] & 0x20) == 0) {
    flipRows(image);
    image.topRowFirst = false;
  }
  return image;
}

DecodedImage decodeBmp(const unsigned char* bytes, std::size_t size, std::uint32_t maxDimension) {
  if (size < 18) return failed(ImageFailure::kTruncated, "the header " + bytesExpected(18, size));
  const std::uint32_t infoSize = little32(bytes + 14);
  const bool core = infoSize == 12;
  if (!core && infoSize < 40) return failed(ImageFailure::kCannotDecode, "unknown BMP header");
  const std::uint64_t headerEnd = 14u + std::uint64_t(infoSize);
  if (headerEnd > size) return failed(ImageFailure::kTruncated, "the header " + bytesExpected(headerEnd, size));

  std::int64_t width, height;
  std::uint32_t bitsPerPixel, compression = 0;
  if (core) {
    width = little16(bytes + 18);
    height = little16(bytes + 20);
    bitsPerPixel = little16(bytes + 24);
  } else {
    width = static_cast<std::int32_t>(little32(bytes + 18));
    height = static_cast<std::int32_t>(little32(bytes + 22));
    bitsPerPixel = little16(bytes + 28);
    compression = little32(bytes + 30);
  }
  // A negative height marks rows stored top first.
  const bool topDown = height < 0;
  const std::uint64_t rows = static_cast<std::uint64_t>(topDown ? -height : height);
  if (width <= 0 || rows == 0) return failed(ImageFailure::kCannotDecode, "no pixels");
  if (std::uint64_t(width) > maxDimension || rows > maxDimension) return tooLarge(std::uint64_t(width), rows, maxDimension);
  if (compression == 1 || compression == 2) {
    return failed(ImageFailure::kCannotDecode, "run-length BMP is not supported");
  }
  const std::uint64_t rowBytes = (std::uint64_t(width) * bitsPerPixel + 31u) / 32u * 4u;
  const std::uint64_t expected = std::uint64_t(little32(bytes + 10)) + rowBytes * rows;
  if (expected > size) return failed(ImageFailure::kTruncated, bytesExpected(expected, size));

  DecodedImage image = decodeWithStb(bytes, size, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(rows));
  if (image.ok() && !topDown) {
    flipRows(image);
    image.topRowFirst = false;
  }
  return image;
}

// ---- JPEG through libjpeg-turbo. Its errors unwind with longjmp back into decodeJpeg.

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf unwind;
  ImageFailure failure = ImageFailure::kCannotDecode;
  char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void jpegStop(j_common_ptr info, ImageFailure failure) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  errors->failure = failure;
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->unwind, 1);
}

[[noreturn]] void jpegErrorExit(j_common_ptr info) {
  const int code = info->err->msg_code;
  jpegStop(info, code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY ? ImageFailure::kTooLarge
                                                                               : ImageFailure::kCannotDecode);
}

// Warnings are ignored, except the one that says the data ended: that picture is incomplete.
void jpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) jpegStop(info, ImageFailure::kTruncated);
}

void jpegProgress(j_common_ptr info) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxJpegScans) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    std::snprintf(errors->message, sizeof errors->message, "more than %d scans", kMaxJpegScans);
    errors->failure = ImageFailure::kCannotDecode;
    std::longjmp(errors->unwind, 1);
  }
}

// Adobe's CMYK (stored inverted, as Photoshop writes it, or plain) to RGB.
void cmykToRgb(std::vector<std::uint8_t>& pixels, bool inverted) {
  const std::size_t count = pixels.size() / 4;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* in = pixels.data() + 4 * i;
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    std::uint8_t* out = pixels.data() + 3 * i;
    out[0] = static_cast<std::uint8_t>(c * k / 255);
    out[1] = static_cast<std::uint8_t>(m * k / 255);
    out[2] = static_cast<std::uint8_t>(y * k / 255);
  }
  pixels.resize(count * 3);
}

// Everything that longjmp crosses is plain data or lives in image, which is declared before setjmp
// and only touched through memory.
void runJpeg(const unsigned char* bytes, std::size_t size, std::uint32_t maxDimension, DecodedImage& image) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  jpeg_progress_mgr progress{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegErrorExit;
  errors.manager.emit_message = jpegMessage;
  if (setjmp(errors.unwind)) {
    jpeg_destroy_decompress(&info);
    image.pixels.clear();
    image.failure = errors.failure;
    image.detail = errors.message;
    return;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxJpegWorkingBytes;
  progress.progress_monitor = jpegProgress;
  info.progress = &progress;
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    image.failure = ImageFailure::kCannotDecode;
    image.detail = "no picture in the file";
    return;
  }
  if (info.image_width > maxDimension || info.image_height > maxDimension) {
    image = tooLarge(info.image_width, info.image_height, maxDimension);
    jpeg_destroy_decompress(&info);
    return;
  }
  // Huffman coding spends at least one bit on every 8 x 8 block of a scan, so a file of n bytes
  // holds at most 8n blocks of its first component. Checking that first keeps a short file that
  // states a huge progressive picture from making libjpeg set aside memory for all of it.
  const std::uint64_t blocks = ((std::uint64_t(info.image_width) + 7) / 8) * ((std::uint64_t(info.image_height) + 7) / 8);
  if (!info.arith_code && blocks > 8 * std::uint64_t(size)) {
    image.failure = ImageFailure::kTruncated;
    image.detail = "too little data for " + sizeText(info.image_width, info.image_height);
    jpeg_destroy_decompress(&info);
    return;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  const std::size_t rowBytes = std::size_t(info.output_width) * info.output_components;
  // Rows are added as they decode, so memory follows the data that is really there.
  while (info.output_scanline < info.output_height) {
    const std::size_t done = std::size_t(info.output_scanline) * rowBytes;
    image.pixels.resize(done + rowBytes);
    JSAMPROW row = image.pixels.data() + done;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) {
      std::snprintf(errors.message, sizeof errors.message, "no progress at row %u", info.output_scanline);
      jpeg_destroy_decompress(&info);
      image.pixels.clear();
      image.failure = ImageFailure::kCannotDecode;
      image.detail = errors.message;
      return;
    }
  }
  // Every row is there; a missing end marker after them changes nothing, so it is not read.
  image.width = info.output_width;
  image.height = info.output_height;
  if (cmyk) cmykToRgb(image.pixels, info.saw_Adobe_marker);
  const bool grey = info.output_components == 1;
  image.bytesPerPixel = grey ? 1 : 3;
  image.format = grey ? ImageFormat::kLuminance : ImageFormat::kRgb;
  image.topRowFirst = true;
  jpeg_destroy_decompress(&info);
}

DecodedImage decodeJpeg(const unsigned char* bytes, std::size_t size, std::uint32_t maxDimension) {
  DecodedImage image;
  runJpeg(bytes, size, maxDimension, image);
  return image;
}

// ---- PNG through libpng, which unwinds with longjmp as well.

struct PngSource {
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t at = 0;
  bool ranOut = false;
  std::string message;
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->size - source->at) {
    source->ranOut = true;
    png_error(png, "the data ends early");
  }
  std::memcpy(out, source->bytes + source->at, length);
  source->at += length;
}

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
  static_cast<PngSource*>(png_get_error_ptr(png))->message = message ? message : "";
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

std::uint32_t big32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Every chunk up to the end chunk must lie inside the data: libpng sets memory aside for a chunk by
// its stated length before it reads it. The chunk data's total bounds the pixel data as well.
bool pngChunksFit(const unsigned char* bytes, std::size_t size, std::string& detail) {
  std::uint64_t at = 8;
  while (true) {
    if (at + 12 > size) {
      detail = "the data ends inside a chunk header";
      return false;
    }
    const std::uint64_t length = big32(bytes + at);
    const bool end = std::memcmp(bytes + at + 4, "IEND", 4) == 0;
    at += 12 + length;
    if (at > size) {
      detail = "a chunk of " + std::to_string(length) + " bytes runs past the end of the data";
      return false;
    }
    if (end) return true;
  }
}

void runPng(png_structp png, png_infop info, PngSource& source, std::uint32_t maxDimension, DecodedImage& image) {
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    image.pixels.clear();
    image.failure = source.ranOut ? ImageFailure::kTruncated : ImageFailure::kCannotDecode;
    image.detail = source.message;
    return;
  }
  png_set_read_fn(png, &source, pngRead);
  png_set_user_limits(png, maxDimension, maxDimension);
  png_set_chunk_malloc_max(png, 8u << 20);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const std::uint64_t fileRowBits = std::uint64_t(width) * png_get_bit_depth(png, info) * png_get_channels(png, info);
  const std::uint64_t storedBytes = (fileRowBits / 8 + 2) * height;
  if (storedBytes > kMaxDeflateRatio * source.size) {
    image.failure = ImageFailure::kTruncated;
    image.detail = "too little compressed data for " + sizeText(width, height);
    return;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  // Palette pictures have always arrived in the palette's own B G R order.
  const bool bgr = colourType == PNG_COLOR_TYPE_PALETTE;
  if (bgr) png_set_bgr(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR) &&
      ((colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS))) {
    png_set_gray_to_rgb(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if ((channels != 1 && channels != 3 && channels != 4) || rowBytes != std::size_t(width) * channels) {
    image.failure = ImageFailure::kCannotDecode;
    image.detail = "unexpected pixel layout";
    return;
  }
  image.pixels.resize(rowBytes * height);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels.data() + std::size_t(y) * rowBytes;
  png_read_image(png, rows.data());
  image.width = width;
  image.height = height;
  image.bytesPerPixel = static_cast<std::uint32_t>(channels);
  if (channels == 1) {
    image.format = ImageFormat::kLuminance;
  } else if (channels == 3) {
    image.format = bgr ? ImageFormat::kBgr : ImageFormat::kRgb;
  } else {
    image.format = bgr ? ImageFormat::kBgra : ImageFormat::kRgba;
  }
  image.topRowFirst = true;
}

DecodedImage decodePng(const unsigned char* bytes, std::size_t size, std::uint32_t maxDimension) {
  std::string chunkProblem;
  if (!pngChunksFit(bytes, size, chunkProblem)) return failed(ImageFailure::kTruncated, chunkProblem);
  PngSource source;
  source.bytes = bytes;
  source.size = size;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, pngError, pngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  DecodedImage image;
  if (!info) {
    image = failed(ImageFailure::kTooLarge, "out of memory");
  } else {
    runPng(png, info, source, maxDimension, image);
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  return image;
}

}  // namespace

const char* imageFailureText(ImageFailure failure) {
  switch (failure) {
    case ImageFailure::kNone: return "";
    case ImageFailure::kMissing: return "missing";
    case ImageFailure::kUnreadable: return "unreadable";
    case ImageFailure::kTooLarge: return "too large";
    case ImageFailure::kCannotDecode: return "cannot decode";
    case ImageFailure::kTruncated: return "truncated";
  }
  return "";
}

DecodedImage decodeImage(const unsigned char* bytes, std::size_t size, const std::string& nameHint,
                         std::uint32_t maxDimension) {
  if (!bytes || size == 0) return failed(ImageFailure::kTruncated, "no data");
  const ImageExtent extent = probeImageExtent(bytes, size, nameHint);
  if (extent.known && (extent.width > maxDimension || extent.height > maxDimension)) {
    return tooLarge(extent.width, extent.height, maxDimension);
  }
  DecodedImage image;
  switch (recognise(bytes, size, nameHint)) {
    case FileKind::kTga: image = decodeTga(bytes, size, maxDimension); break;
    case FileKind::kBmp: image = decodeBmp(bytes, size, maxDimension); break;
    case FileKind::kJpeg: image = decodeJpeg(bytes, size, maxDimension); break;
    case FileKind::kPng: image = decodePng(bytes, size, maxDimension); break;
    case FileKind::kUnknown:
      return failed(ImageFailure::kCannotDecode, "not a TGA, BMP, JPEG or PNG file");
  }
  if (image.ok() && (image.width == 0 || image.height == 0 ||
                     image.pixels.size() != std::size_t(image.width) * image.height * image.bytesPerPixel)) {
    return failed(ImageFailure::kCannotDecode, "no pixels");
  }
  return image;
}
