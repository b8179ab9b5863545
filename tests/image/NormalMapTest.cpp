#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/Image.h"
#include "image/NormalMap.h"
#include "tests/image/ImageTestSupport.h"

using imagetest::pixelAt;
using imagetest::pixelBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes pixel(const Image& image, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* p = pixelAt(image, x, y);
  return Bytes(p, p + image.bytesPerPixel());
}

const Bytes kFlat = {127, 127, 255};    // (0, 0, 1) encoded: 0.5 * 255 truncates to 127
const Bytes kBorder = {128, 128, 255};  // written as such on the last row and column

TEST(NormalMapTest, ConstantHeightsGiveTheFlatNormalAndABorder) {
  const std::uint32_t width = 4, height = 3;
  Image heights(width, height, ImageFormat::kLuminance, Bytes(width * height, 100).data());
  RefPtr<Image> normals = heights.makeNormalMap(30.0f, ImageFormat::kRgb);
  ASSERT_EQ(normals->width(), width);
  ASSERT_EQ(normals->height(), height);
  EXPECT_EQ(normals->format(), ImageFormat::kRgb);
  EXPECT_EQ(normals->bitsPerPixel(), 24u);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool border = x == width - 1 || y == height - 1;
      EXPECT_EQ(pixel(*normals, x, y), border ? kBorder : kFlat) << x << "," << y;
    }
  }
}

TEST(NormalMapTest, SinglePixelIsAllBorder) {
  Image heights(1, 1, ImageFormat::kLuminance, Bytes{42}.data());
  RefPtr<Image> normals = heights.makeNormalMap(30.0f, ImageFormat::kRgb);
  EXPECT_EQ(pixelBytes(*normals), kBorder);
}

// Slopes of 10 per pixel. n = (-scale dx, scale dy, scale^2) / |n|; for scale 30 and a slope of 10
// that is (-/+0.316228, 0.948683): bytes trunc(0.341886 * 255) = 87, trunc(0.658114 * 255) = 167,
// trunc(0.974342 * 255) = 248. With scale 300: (-0.033315, 0.999445) gives 123 and 254.
TEST(NormalMapTest, SlopesTiltTheNormalAgainstTheRiseAndScaleFlattensThem) {
  struct Case {
    const char* what;
    Bytes heights;  // 3 x 2
    float scale;
    Bytes interior;  // pixels (0, 0) and (1, 0)
  };
  const Case cases[] = {
      {"rising towards +x", {0, 10, 20, 0, 10, 20}, 30.0f, {87, 127, 248}},
      {"rising towards the next row", {5, 5, 5, 15, 15, 15}, 30.0f, {127, 167, 248}},
      {"falling towards +x", {20, 10, 0, 20, 10, 0}, 30.0f, {167, 127, 248}},
      {"rising towards +x, larger scale", {0, 10, 20, 0, 10, 20}, 300.0f, {123, 127, 254}},
  };
  for (const Case& c : cases) {
    Image heights(3, 2, ImageFormat::kLuminance, c.heights.data());
    RefPtr<Image> normals = heights.makeNormalMap(c.scale, ImageFormat::kRgb);
    EXPECT_EQ(pixel(*normals, 0, 0), c.interior) << c.what;
    EXPECT_EQ(pixel(*normals, 1, 0), c.interior) << c.what;
    EXPECT_EQ(pixel(*normals, 2, 0), kBorder) << c.what;
    EXPECT_EQ(pixel(*normals, 0, 1), kBorder) << c.what;
  }
}

TEST(NormalMapTest, ColourSourceIsReadThroughALuminanceCopy) {
  const Bytes grey(3 * 3 * 3, 90);
  Image source(3, 3, ImageFormat::kRgb, grey.data());
  RefPtr<Image> normals = source.makeNormalMap(30.0f, ImageFormat::kRgb);
  EXPECT_EQ(pixel(*normals, 0, 0), kFlat);
  EXPECT_EQ(pixel(*normals, 1, 1), kFlat);
  EXPECT_EQ(pixel(*normals, 2, 2), kBorder);
  EXPECT_EQ(source.format(), ImageFormat::kRgb);
  EXPECT_EQ(source.bitsPerPixel(), 24u);
  EXPECT_EQ(pixelBytes(source), grey);
}

TEST(NormalMapTest, ColourSlopeIsMeasuredOnLuminance) {
  // Grey ramps along +x in RGB give the same map as the luminance ramp.
  Bytes rgb;
  for (int y = 0; y < 2; ++y) {
    for (std::uint8_t v : {0, 10, 20}) rgb.insert(rgb.end(), {v, v, v});
  }
  Image source(3, 2, ImageFormat::kRgb, rgb.data());
  RefPtr<Image> normals = source.makeNormalMap(30.0f, ImageFormat::kRgb);
  EXPECT_EQ(pixel(*normals, 0, 0), (Bytes{87, 127, 248}));
}

TEST(NormalMapTest, ResultIsConvertedToTheRequestedFormat) {
  Image heights(2, 2, ImageFormat::kLuminance, Bytes(4, 7).data());
  RefPtr<Image> normals = heights.makeNormalMap(30.0f, ImageFormat::kBgra);
  EXPECT_EQ(normals->format(), ImageFormat::kBgra);
  EXPECT_EQ(normals->bitsPerPixel(), 32u);
  EXPECT_EQ(pixel(*normals, 0, 0), (Bytes{255, 127, 127, 255}));
  EXPECT_EQ(pixel(*normals, 1, 1), (Bytes{255, 128, 128, 255}));
}

TEST(NormalMapTest, ZeroScaleAndEmptySourceStayWellDefined) {
  Image heights(3, 2, ImageFormat::kLuminance, Bytes{0, 50, 100, 0, 50, 100}.data());
  RefPtr<Image> flat = heights.makeNormalMap(0.0f, ImageFormat::kRgb);
  EXPECT_EQ(pixel(*flat, 0, 0), kBorder);

  Image empty;
  RefPtr<Image> none = empty.makeNormalMap(30.0f, ImageFormat::kRgb);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->isEmpty());
}

}  // namespace
