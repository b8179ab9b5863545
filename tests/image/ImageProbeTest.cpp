#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/ImageProbe.h"
#include "tests/image/TestFiles.h"

using testfiles::Bytes;

namespace {

Bytes pngHeader(std::uint32_t width, std::uint32_t height) {
  Bytes bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  return bytes;
}

// SOI, an APP0 segment of 16 bytes, then a frame header (marker given) of height 0x0102, width 0x0304.
Bytes jpegHeader(std::uint8_t frameMarker) {
  Bytes bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
  bytes.resize(bytes.size() + 14, 0);
  const Bytes frame = {0xFF, frameMarker, 0x00, 0x11, 8, 0x01, 0x02, 0x03, 0x04, 3};
  bytes.insert(bytes.end(), frame.begin(), frame.end());
  return bytes;
}

TEST(ImageProbeTest, ReadsTheStatedSizeOfEachFormat) {
  Bytes topDownBmp = testfiles::bmp24(1, 1, {0, 0, 0});
  testfiles::putLittle32(topDownBmp, 18, 7);
  testfiles::putLittle32(topDownBmp, 22, static_cast<std::uint32_t>(-5));
  Bytes withHuffmanTable = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x04, 0xAA, 0xBB};
  const Bytes sof0 = jpegHeader(0xC0);
  withHuffmanTable.insert(withHuffmanTable.end(), sof0.begin() + 2, sof0.end());
  Bytes cutShortPng = pngHeader(1, 1);
  cutShortPng.resize(20);
  struct Case {
    const char* what;
    Bytes bytes;
    std::string name;
    ImageExtent expected;
  };
  const std::vector<Case> cases = {
      {"png", pngHeader(640, 480), "a.png", {true, 640, 480}},
      {"bmp", testfiles::bmp24(3, 2, Bytes(18, 0)), "a.bmp", {true, 3, 2}},
      {"top-down bmp", topDownBmp, "a.bmp", {true, 7, 5}},
      {"baseline jpeg", jpegHeader(0xC0), "a.jpg", {true, 0x0304, 0x0102}},
      {"progressive jpeg", jpegHeader(0xC2), "photo", {true, 0x0304, 0x0102}},
      {"jpeg with a table first", withHuffmanTable, "a.jpg", {true, 0x0304, 0x0102}},
      {"tga", testfiles::tgaHeader(2, 300, 20000, 24), "skins/A.TGA", {true, 300, 20000}},
      {"tga without its name", testfiles::tgaHeader(2, 300, 200, 24), "a.bin", {}},
      {"tga of an unknown type", testfiles::tgaHeader(7, 300, 200, 24), "a.tga", {}},
      {"cut-short png", cutShortPng, "a.png", {}},
      {"jpeg without a frame", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, "a.jpg", {}},
      {"text", testfiles::toBytes("hello world, this is text"), "a.txt", {}},
      {"nothing", {}, "a.tga", {}},
  };
  for (const Case& c : cases) {
    const ImageExtent extent = probeImageExtent(c.bytes.data(), c.bytes.size(), c.name);
    EXPECT_EQ(extent.known, c.expected.known) << c.what;
    EXPECT_EQ(extent.width, c.expected.width) << c.what;
    EXPECT_EQ(extent.height, c.expected.height) << c.what;
  }
}

}  // namespace
