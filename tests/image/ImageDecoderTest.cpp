#include <IL/il.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/Image.h"
#include "image/ImageDecoder.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/TestFiles.h"

using imagetest::pixelBytes;
using testfiles::Bytes;
using testfiles::concat;
using testfiles::tgaHeader;

namespace {

// What DevIL's own readers, which decoded every file before, make of the same bytes.
struct LibraryResult {
  bool loaded = false;
  std::uint32_t width = 0, height = 0, bits = 0, format = 0;
  Bytes pixels;
};

LibraryResult decodeWithLibrary(const Bytes& bytes, ILenum type) {
  Image initialiser(1, 1, ImageFormat::kRgb, nullptr);  // makes sure the library is set up
  LibraryResult result;
  ILuint name = 0;
  ilGenImages(1, &name);
  ilBindImage(name);
  if (ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())) == IL_TRUE) {
    result.loaded = true;
    result.width = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH));
    result.height = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT));
    result.bits = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_BITS_PER_PIXEL));
    result.format = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
    const ILubyte* data = ilGetData();
    result.pixels.assign(data, data + std::size_t(result.width) * result.height * (result.bits / 8));
  }
  ilDeleteImages(1, &name);
  while (ilGetError() != IL_NO_ERROR) {
  }
  return result;
}

ILenum libraryTypeFor(const std::string& file) {
  const std::string extension = std::filesystem::path(file).extension().string();
  if (extension == ".tga" || extension == ".TGA") return IL_TGA;
  if (extension == ".bmp") return IL_BMP;
  if (extension == ".jpg") return IL_JPG;
  return IL_PNG;
}

void expectSameAsLibrary(const std::string& file, const Bytes& bytes) {
  const LibraryResult expected = decodeWithLibrary(bytes, libraryTypeFor(file));
  ASSERT_TRUE(expected.loaded) << file;
  Image image(bytes.data(), bytes.size(), file);
  EXPECT_EQ(image.width(), expected.width) << file;
  EXPECT_EQ(image.height(), expected.height) << file;
  EXPECT_EQ(image.format(), expected.format) << file;
  EXPECT_EQ(image.bitsPerPixel(), expected.bits) << file;
  EXPECT_EQ(pixelBytes(image), expected.pixels) << file;
}

Bytes pngOf(std::uint32_t width, std::uint32_t height, std::uint32_t format, const Bytes& pixels,
            const Bytes& colourMap = {}) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  image.colormap_entries = static_cast<png_uint_32>(colourMap.size() / PNG_IMAGE_SAMPLE_CHANNELS(format & ~PNG_FORMAT_FLAG_COLORMAP));
  png_alloc_size_t size = 0;
  const void* map = colourMap.empty() ? nullptr : colourMap.data();
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, map)) return {};
  Bytes bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, map)) return {};
  bytes.resize(size);
  return bytes;
}

Bytes withPalette(Bytes bmp, std::uint32_t width, std::uint32_t height) {
  // An 8-bit BMP: the 24-bit writer's header with a 2-entry palette (B, G, R, 0) and index rows.
  bmp.resize(54);
  testfiles::putLittle32(bmp, 10, 54 + 8);
  bmp[28] = 8;
  testfiles::putLittle32(bmp, 46, 2);
  const Bytes palette = {10, 20, 30, 0, 200, 210, 220, 0};
  bmp.insert(bmp.end(), palette.begin(), palette.end());
  const std::uint32_t padded = (width + 3) & ~3u;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < padded; ++x) bmp.push_back(static_cast<std::uint8_t>(x < width ? (x + y) % 2 : 0));
  }
  testfiles::putLittle32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
  return bmp;
}

Bytes greyJpeg() {
  const Bytes rows = {0, 40, 80, 120, 160, 200, 240, 255, 0, 40, 80, 120, 160, 200, 240, 255};
  Image image(4, 4, ImageFormat::kLuminance, rows.data());
  const std::string path = testfiles::scratchPath("grey.jpg");
  if (!image.save(ImageFileType::kJpg, path)) return {};
  return testfiles::readFile(path);
}

TEST(ImageDecoderTest, DecodesTheVariantsOfEachFormatAsTheOldReadersDid) {
  const Bytes rgb6 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  Bytes topOrigin = concat(tgaHeader(2, 3, 2, 24, 0x20), rgb6);
  Bytes grey = concat(tgaHeader(3, 3, 2, 8), {1, 2, 3, 4, 5, 6});
  // A run of four crosses from the first row into the second.
  Bytes runAcrossRows = concat(tgaHeader(10, 3, 2, 24), {0x83, 9, 8, 7, 0x01, 1, 2, 3, 4, 5, 6});
  Bytes greyRuns = concat(tgaHeader(11, 4, 2, 8), {0x82, 50, 0x04, 1, 2, 3, 4, 5});
  Bytes alphaTopOrigin = concat(tgaHeader(2, 2, 1, 32, 0x28), {1, 2, 3, 4, 5, 6, 7, 8});
  Bytes topDownBmp = testfiles::bmp24(3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19});
  testfiles::putLittle32(topDownBmp, 22, static_cast<std::uint32_t>(-2));
  const Bytes paletteBmp = withPalette(testfiles::bmp24(3, 2, Bytes(18, 0)), 3, 2);

  const Bytes greyPixels = {0, 64, 128, 255, 30, 90};
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"top.tga", topOrigin},
      {"grey.tga", grey},
      {"runs.tga", runAcrossRows},
      {"greyruns.tga", greyRuns},
      {"alpha.tga", alphaTopOrigin},
      {"topdown.bmp", topDownBmp},
      {"palette.bmp", paletteBmp},
      {"grey.png", pngOf(3, 2, PNG_FORMAT_GRAY, greyPixels)},
      {"rgb.png", pngOf(3, 2, PNG_FORMAT_RGB, rgb6)},
      {"rgba.png", pngOf(2, 2, PNG_FORMAT_RGBA, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})},
      {"palette.png", pngOf(3, 2, PNG_FORMAT_RGB_COLORMAP, {0, 1, 1, 0, 0, 1}, {10, 20, 30, 200, 100, 50})},
      {"grey.jpg", greyJpeg()},
  };
  for (const auto& [file, bytes] : files) {
    ASSERT_FALSE(bytes.empty()) << file;
    expectSameAsLibrary(file, bytes);
  }
}

// Two cases where the old readers lost data: they dropped a palette's transparency, and widened
// 5-bit channels by a shift, so that white came out as 248.
TEST(ImageDecoderTest, KeepsPaletteAlphaAndWidensFiveBitChannelsToTheFullRange) {
  const Bytes alphaPalette =
      pngOf(2, 2, PNG_FORMAT_RGBA_COLORMAP, {0, 1, 1, 0}, {10, 20, 30, 40, 200, 100, 50, 255});
  Image palette(alphaPalette.data(), alphaPalette.size(), "alphapalette.png");
  EXPECT_EQ(palette.format(), ImageFormat::kBgra);
  EXPECT_EQ(pixelBytes(palette), (Bytes{30, 20, 10, 40, 50, 100, 200, 255, 50, 100, 200, 255, 30, 20, 10, 40}));

  // 1-5-5-5 bits, little-endian: pure blue, then red and green (yellow).
  const Bytes sixteenBits = concat(tgaHeader(2, 2, 1, 16), {0x1F, 0x00, 0xE0, 0x7F});
  Image sixteen(sixteenBits.data(), sixteenBits.size(), "sixteen.tga");
  EXPECT_EQ(sixteen.format(), ImageFormat::kBgr);
  EXPECT_EQ(pixelBytes(sixteen), (Bytes{255, 0, 0, 0, 255, 255}));
}

TEST(ImageDecoderTest, DecodesTheDataSetAsTheOldReadersDid) {
  const std::filesystem::path data = std::filesystem::path(TESTBED_BINARY_DIR) / "data";
  ASSERT_TRUE(std::filesystem::is_directory(data)) << data;
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".tga" && extension != ".bmp" && extension != ".jpg" && extension != ".png") continue;
    expectSameAsLibrary(entry.path().string(), testfiles::readFile(entry.path().string()));
    ++compared;
  }
  EXPECT_GE(compared, 10);
}

TEST(ImageDecoderTest, StatesTheFileRowOrder) {
  const Bytes pixel = {1, 2, 3};
  struct Case {
    std::string file;
    Bytes bytes;
    bool topRowFirst;
  };
  Bytes topDownBmp = testfiles::bmp24(1, 1, pixel);
  testfiles::putLittle32(topDownBmp, 22, static_cast<std::uint32_t>(-1));
  const std::vector<Case> cases = {
      {"bottom.tga", concat(tgaHeader(2, 1, 1, 24), pixel), false},
      {"top.tga", concat(tgaHeader(2, 1, 1, 24, 0x20), pixel), true},
      {"bottom.bmp", testfiles::bmp24(1, 1, pixel), false},
      {"top.bmp", topDownBmp, true},
      {"any.png", pngOf(1, 1, PNG_FORMAT_RGB, pixel), true},
  };
  for (const Case& c : cases) {
    const DecodedImage decoded = decodeImage(c.bytes.data(), c.bytes.size(), c.file, Image::kMaxDimension);
    ASSERT_TRUE(decoded.ok()) << c.file << ": " << decoded.detail;
    EXPECT_EQ(decoded.topRowFirst, c.topRowFirst) << c.file;
  }
}

TEST(ImageDecoderTest, OnlyTheFourFormatsAreDecoded) {
  // Formats DevIL would have read by content: a GIF, a Photoshop file, a PCX and a DDS header.
  const std::vector<Bytes> foreign = {
      testfiles::toBytes("GIF89a\x01\x00\x01\x00\x00\x00\x00;"),
      testfiles::toBytes("8BPS\x00\x01\x00\x00\x00\x00\x00\x00\x00\x03"),
      Bytes{0x0A, 0x05, 0x01, 0x08, 0, 0, 0, 0, 1, 0, 1, 0},
      testfiles::toBytes("DDS |\x00\x00\x00"),
  };
  for (const Bytes& bytes : foreign) {
    const DecodedImage decoded = decodeImage(bytes.data(), bytes.size(), "picture", Image::kMaxDimension);
    EXPECT_EQ(decoded.failure, ImageFailure::kCannotDecode);
    EXPECT_TRUE(decoded.pixels.empty());
  }
}

TEST(ImageDecoderTest, HeadersStatingMoreThanTheDataHoldsAreTruncatedBeforeDecoding) {
  // Each header promises a big picture (or chunk) that a few bytes cannot hold; refusing it before
  // decoding keeps the decoders from reserving memory for it.
  Bytes bmp = testfiles::bmp24(1, 1, {1, 2, 3});
  testfiles::putLittle32(bmp, 18, 16000);
  testfiles::putLittle32(bmp, 22, 16000);
  Bytes png = pngOf(1, 1, PNG_FORMAT_RGB, {1, 2, 3});
  for (int i = 0; i < 2; ++i) {  // IHDR width and height: 16000 each
    png[16 + 4 * i] = 0;
    png[17 + 4 * i] = 0;
    png[18 + 4 * i] = 0x3E;
    png[19 + 4 * i] = 0x80;
  }
  const uLong crc = crc32(0, png.data() + 12, 17);  // over "IHDR" and its 13 bytes
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  // A text chunk after the header that says it holds 704 MB.
  Bytes longChunk = pngOf(1, 1, PNG_FORMAT_RGB, {1, 2, 3});
  const Bytes text = {0x2A, 0x00, 0x00, 0x0C, 't', 'E', 'X', 't', 'a', 0, 'b', 0, 0, 0, 0};
  longChunk.insert(longChunk.begin() + 33, text.begin(), text.end());
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"big.tga", concat(tgaHeader(2, 16000, 16000, 32), Bytes(64, 1))},
      {"longchunk.png", longChunk},
      {"bigruns.tga", concat(tgaHeader(10, 16000, 16000, 32), Bytes(64, 0xFF))},
      {"big.bmp", bmp},
      {"big.png", png},
  };
  for (const auto& [file, bytes] : files) {
    const DecodedImage decoded = decodeImage(bytes.data(), bytes.size(), file, Image::kMaxDimension);
    EXPECT_EQ(decoded.failure, ImageFailure::kTruncated) << file << ": " << decoded.detail;
  }
}

}  // namespace
