#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "water/ByteHeightSource.h"
#include "water/ComplexHeightSource.h"
#include "water/FloatHeightSource.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/ImageHeightSource.h"
#include "image/Image.h"

namespace {

using Complex = std::complex<float>;

struct Arrays {
  std::uint32_t vertexCount = 0;
  std::uint32_t indexCount = 0;
  float* positions = nullptr;
  float* normals = nullptr;
  float* texCoords = nullptr;
  std::uint16_t* indices = nullptr;

  bool build(const HeightFieldMeshBuilder& builder, bool allocate = true) {
    return builder.build(allocate, vertexCount, &positions, &normals, &texCoords, &indexCount,
                         &indices);
  }
  ~Arrays() {
    delete[] positions;
    delete[] normals;
    delete[] texCoords;
    delete[] indices;
  }
};

TEST(HeightSource, FloatAndComplexHeightsQuantiseOverTheRangeAndWrap) {
  // min −60, max 60: trunc((v + 60)·255/120), low 8 bits.
  struct Case {
    float value;
    int expected;
  };
  const Case cases[] = {
      {-60.0f, 0}, {60.0f, 255}, {0.0f, 127},  // 127.5 truncates
      {60.5f, 0},                               // 256.06: one step above max wraps to 0
      {61.0f, 1},                               // 257.1
      {-61.0f, 254},                            // −2.125 truncates to −2, low byte 254
      {-59.0f, 2},                              // 2.125
  };
  for (const Case& test : cases) {
    const float floats[2] = {0.0f, test.value};
    const Complex complexes[2] = {{0.0f, 0.0f}, {test.value, 1000.0f}};
    RefPtr<FloatHeightSource> floatSource = new FloatHeightSource(floats, 2, 1, -60.0f, 60.0f);
    RefPtr<ComplexHeightSource> complexSource = new ComplexHeightSource(complexes, 2, 1, -60.0f, 60.0f);
    EXPECT_EQ(floatSource->get(1, 0), test.expected) << test.value;
    EXPECT_EQ(complexSource->get(1, 0), test.expected) << test.value;
  }
}

TEST(HeightSource, CellsAreRowMajorAndOutsideReadsZero) {
  const std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};  // 3 columns, 2 rows
  RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes, 3, 2);
  EXPECT_EQ(source->width(), 3u);
  EXPECT_EQ(source->height(), 2u);
  EXPECT_EQ(source->get(2, 0), 3);
  EXPECT_EQ(source->get(0, 1), 4);
  EXPECT_EQ(source->get(2, 1), 6);
  EXPECT_EQ(source->get(3, 0), 0);
  EXPECT_EQ(source->get(0, 2), 0);
  // A source without a range cannot map anything.
  const float flat[1] = {5.0f};
  RefPtr<FloatHeightSource> empty = new FloatHeightSource(flat, 1, 1, 5.0f, 5.0f);
  EXPECT_EQ(empty->get(0, 0), 0);
}

TEST(HeightFieldMeshBuilder, TwoByTwoGridIsCentredWithRowsTowardsMinusZ) {
  const std::uint8_t bytes[4] = {0, 255, 51, 0};
  RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes, 2, 2);
  HeightFieldMeshBuilder builder(source);
  builder.setVerticalRange(-3.0f, 5.0f);
  Arrays out;
  ASSERT_TRUE(out.build(builder));
  ASSERT_EQ(out.vertexCount, 4u);
  ASSERT_EQ(out.indexCount, 6u);
  // 0 → lo, 255 → hi, 51 → −3 + 8·0.2.
  const float expected[12] = {-0.5f, -3.0f, 0.5f, 0.5f, 5.0f, 0.5f,
                              -0.5f, -1.4f, -0.5f, 0.5f, -3.0f, -0.5f};
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(out.positions[i], expected[i], 1e-6f) << i;
  const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(out.texCoords[i], uv[i]) << i;
}

TEST(HeightFieldMeshBuilder, EqualRangeEndsGiveAFlatSurfaceAtThatHeight) {
  const std::uint8_t bytes[4] = {0, 17, 200, 255};
  RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes, 2, 2);
  HeightFieldMeshBuilder builder(source);
  builder.setVerticalRange(0.3f, 0.3f);
  Arrays out;
  ASSERT_TRUE(out.build(builder));
  for (int v = 0; v < 4; ++v) EXPECT_EQ(out.positions[3 * v + 1], 0.3f) << v;
}

TEST(HeightFieldMeshBuilder, GridsTooThinOrTooLargeBuildNothing) {
  struct Case {
    std::uint32_t width, height;
  };
  const Case cases[] = {{1, 5}, {5, 1}, {256, 256}, {65536, 1}};
  std::vector<std::uint8_t> bytes(256 * 256, 7);
  for (const Case& test : cases) {
    RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes.data(), test.width, test.height);
    HeightFieldMeshBuilder builder(source);
    Arrays out;
    out.vertexCount = 99;
    EXPECT_FALSE(out.build(builder)) << test.width << "x" << test.height;
    EXPECT_EQ(out.vertexCount, 0u);
    EXPECT_EQ(out.positions, nullptr);
    EXPECT_EQ(out.normals, nullptr);
    EXPECT_EQ(out.texCoords, nullptr);
  }
  // The largest grid that fits 16-bit indices still builds.
  RefPtr<ByteHeightSource> largest = new ByteHeightSource(bytes.data(), 255, 257);
  Arrays out;
  ASSERT_TRUE(out.build(HeightFieldMeshBuilder(largest)));
  EXPECT_EQ(out.vertexCount, 65535u);
  EXPECT_EQ(out.indexCount, (6u * 255 - 6) * 256);
  // Equal heights split the last quad (q0 = 65278) as B, ending on q3 = q0 + 255.
  EXPECT_EQ(out.indices[out.indexCount - 1], 65533);
}

TEST(HeightFieldMeshBuilder, SplitModesChooseTheQuadDiagonal) {
  // Corner heights h0 (0,0), h1 (1,0), h2 (1,1), h3 (0,1); the bytes are row-major.
  struct Case {
    int mode;
    std::uint8_t h0, h1, h2, h3;
    bool splitA;
  };
  const Case cases[] = {
      {0, 10, 0, 12, 50, true},    // |h0 − h2| = 2 < |h1 − h3| = 50
      {0, 10, 40, 90, 50, false},  // 80 > 10
      {0, 5, 5, 5, 5, false},      // a tie takes split B
      {1, 10, 0, 12, 50, false},
      {1, 10, 40, 90, 50, true},
      {1, 5, 5, 5, 5, false},
      {2, 10, 40, 90, 50, true},
      {3, 10, 0, 12, 50, false},
  };
  const std::uint16_t splitA[6] = {0, 3, 2, 0, 1, 3};
  const std::uint16_t splitB[6] = {0, 1, 2, 1, 3, 2};
  for (const Case& test : cases) {
    const std::uint8_t bytes[4] = {test.h0, test.h1, test.h3, test.h2};
    RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes, 2, 2);
    HeightFieldMeshBuilder builder(source);
    builder.setSplitMode(test.mode);
    Arrays out;
    ASSERT_TRUE(out.build(builder));
    const std::uint16_t* expected = test.splitA ? splitA : splitB;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out.indices[i], expected[i]) << "mode " << test.mode << " index " << i;
  }
}

TEST(HeightFieldMeshBuilder, IndicesCoverEveryQuadInRowOrder) {
  const std::vector<std::uint8_t> bytes(4 * 3, 0);
  RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes.data(), 4, 3);
  HeightFieldMeshBuilder builder(source);
  builder.setSplitMode(2);
  Arrays out;
  ASSERT_TRUE(out.build(builder));
  ASSERT_EQ(out.indexCount, 36u);
  // Quad (row 1, column 2): q0 = 6, q1 = 7, q2 = 11, q3 = 10.
  const std::uint16_t expected[6] = {6, 11, 10, 6, 7, 11};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out.indices[30 + i], expected[i]);
}

TEST(HeightFieldMeshBuilder, FlatGridNormalsPointUpWithAndWithoutDisplacement) {
  const std::vector<float> heights(5 * 4, 12.0f);
  const std::vector<Complex> displacement(5 * 4, Complex(0.25f, 3.0f));
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights.data(), 5, 4, -60.0f, 60.0f);
  HeightFieldMeshBuilder plain(source);
  HeightFieldMeshBuilder displaced(source, 5, 4, displacement.data(), displacement.data());
  for (const HeightFieldMeshBuilder* builder : {&plain, &displaced}) {
    Arrays out;
    ASSERT_TRUE(out.build(*builder));
    for (std::uint32_t v = 0; v < out.vertexCount; ++v) {
      EXPECT_FLOAT_EQ(out.normals[3 * v], 0.0f) << v;
      EXPECT_FLOAT_EQ(out.normals[3 * v + 1], 1.0f) << v;
      EXPECT_FLOAT_EQ(out.normals[3 * v + 2], 0.0f) << v;
    }
  }
  // The displacement's real part moves x forward and z back, the imaginary part is ignored.
  Arrays plainOut, displacedOut;
  ASSERT_TRUE(plainOut.build(plain));
  ASSERT_TRUE(displacedOut.build(displaced));
  EXPECT_FLOAT_EQ(displacedOut.positions[0], plainOut.positions[0] + 0.25f);
  EXPECT_FLOAT_EQ(displacedOut.positions[1], plainOut.positions[1]);
  EXPECT_FLOAT_EQ(displacedOut.positions[2], plainOut.positions[2] - 0.25f);
}

TEST(HeightFieldMeshBuilder, SlopedGridNormalsTiltAgainstTheSlope) {
  // Heights rise by 10 per column (or per row) over the range (0, 255), so one step of the
  // source is one unit of height: every normal, border included, is normalize(−10, 1, 0) for the
  // column ramp and normalize(0, 1, 10) for the row ramp (rows run towards −z).
  const float a = 10.0f / std::sqrt(101.0f);
  const float b = 1.0f / std::sqrt(101.0f);
  struct Case {
    bool alongColumns;
    bool displaced;
    float nx, ny, nz;
  };
  const Case cases[] = {{true, false, -a, b, 0.0f}, {true, true, -a, b, 0.0f},
                        {false, false, 0.0f, b, a}, {false, true, 0.0f, b, a}};
  const std::vector<Complex> zero(5 * 5, Complex(0.0f, 0.0f));
  for (const Case& test : cases) {
    std::vector<std::uint8_t> bytes(5 * 5);
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 5; ++c) bytes[r * 5 + c] = static_cast<std::uint8_t>(10 * (test.alongColumns ? c : r));
    RefPtr<ByteHeightSource> source = new ByteHeightSource(bytes.data(), 5, 5);
    HeightFieldMeshBuilder builder = test.displaced
                                         ? HeightFieldMeshBuilder(source, 5, 5, zero.data(), zero.data())
                                         : HeightFieldMeshBuilder(source);
    builder.setVerticalRange(0.0f, 255.0f);
    Arrays out;
    ASSERT_TRUE(out.build(builder));
    for (std::uint32_t v = 0; v < 25; ++v) {
      EXPECT_NEAR(out.normals[3 * v], test.nx, 1e-5f) << v;
      EXPECT_NEAR(out.normals[3 * v + 1], test.ny, 1e-5f) << v;
      EXPECT_NEAR(out.normals[3 * v + 2], test.nz, 1e-5f) << v;
    }
  }
}

TEST(HeightFieldMeshBuilder, RefreshWithoutAllocationRewritesTheCallersArrays) {
  std::vector<float> heights(3 * 3, -60.0f);
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights.data(), 3, 3, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source);
  Arrays out;
  ASSERT_TRUE(out.build(builder));
  float* const positions = out.positions;
  float* const normals = out.normals;
  EXPECT_FLOAT_EQ(positions[4 * 3 + 1], 0.0f);

  heights[4] = 60.0f;  // the centre cell rises to the top of the range
  builder.setVerticalRange(-2.0f, 2.0f);
  std::uint32_t vertexCount = 0;
  float* p = positions;
  float* n = normals;
  ASSERT_TRUE(builder.build(false, vertexCount, &p, &n, nullptr, nullptr, nullptr));
  EXPECT_EQ(p, positions);
  EXPECT_EQ(n, normals);
  EXPECT_EQ(vertexCount, 9u);
  EXPECT_FLOAT_EQ(positions[4 * 3 + 1], 2.0f);
  EXPECT_FLOAT_EQ(positions[0 * 3 + 1], -2.0f);
  // Vertex (column 0, row 1), left of the peak, is on the border: gx = (255 − 0)·2 and
  // q = 4/255, so the normal is normalize(−8, 2, 0).
  const float expectedLength = std::sqrt(8.0f * 8.0f + 2.0f * 2.0f);
  EXPECT_NEAR(normals[3 * 3], -8.0f / expectedLength, 1e-5f);
  EXPECT_NEAR(normals[3 * 3 + 1], 2.0f / expectedLength, 1e-5f);
}

TEST(HeightFieldMeshBuilder, RefreshWithoutPositionsBuildsNothing) {
  const std::vector<float> heights(3 * 3, 0.0f);
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights.data(), 3, 3, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source);
  std::uint32_t vertexCount = 7;
  float* positions = nullptr;
  EXPECT_FALSE(builder.build(false, vertexCount, &positions, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(vertexCount, 0u);
}

TEST(HeightFieldMeshBuilder, MismatchedDisplacementIsIgnored) {
  const std::vector<float> heights(3 * 3, 0.0f);
  const std::vector<Complex> displacement(2 * 2, Complex(5.0f, 0.0f));
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights.data(), 3, 3, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source, 2, 2, displacement.data(), displacement.data());
  Arrays out;
  ASSERT_TRUE(out.build(builder));
  EXPECT_FLOAT_EQ(out.positions[8 * 3], 1.0f);
  EXPECT_FLOAT_EQ(out.positions[8 * 3 + 2], -1.0f);
}

}  // namespace

namespace {

TEST(ImageHeightSource, ReadsTheFirstByteOfEachPixelInTheImagesOwnRowOrder) {
  // 3 × 2 RGB picture, memory rows (10, 20, 25) then (30, 40, 45) in the red channel.
  const std::uint8_t rgb[18] = {10, 1, 2, 20, 3, 4, 25, 9, 9, 30, 5, 6, 40, 7, 8, 45, 9, 9};
  RefPtr<Image> image = new Image(3, 2, ImageFormat::kRgb, rgb);
  ASSERT_FALSE(image->isEmpty());
  RefPtr<ImageHeightSource> source = new ImageHeightSource(image);
  EXPECT_EQ(source->width(), 3u);
  EXPECT_EQ(source->height(), 2u);
  EXPECT_EQ(source->get(0, 0), 10);
  EXPECT_EQ(source->get(1, 0), 20);
  EXPECT_EQ(source->get(0, 1), 30);
  EXPECT_EQ(source->get(1, 1), 40);
  EXPECT_EQ(source->get(3, 1), 0);
  EXPECT_EQ(source->get(0, 2), 0);
  // Row reads agree, and cells past the edge read 0.
  std::uint8_t row[4] = {99, 99, 99, 99};
  source->readRow(1, 1, 4, row);
  EXPECT_EQ(row[0], 40);
  EXPECT_EQ(row[1], 45);
  EXPECT_EQ(row[2], 0);
  EXPECT_EQ(row[3], 0);
  source->readRow(0, 2, 2, row);
  EXPECT_EQ(row[0], 0);
  EXPECT_EQ(row[1], 0);
  // An empty image gives a grid the builder refuses.
  RefPtr<ImageHeightSource> empty = new ImageHeightSource(RefPtr<Image>(new Image()));
  EXPECT_EQ(empty->width(), 0u);
  EXPECT_EQ(empty->get(0, 0), 0);
}

}  // namespace

namespace {

TEST(HeightSource, RowReadsMatchSingleCellReads) {
  const float floats[6] = {-60.0f, 0.0f, 60.0f, 61.0f, -61.0f, 30.0f};
  const Complex complexes[6] = {{-60.0f, 1}, {0.0f, 2}, {60.0f, 3}, {61.0f, 4}, {-61.0f, 5}, {30.0f, 6}};
  RefPtr<FloatHeightSource> floatSource = new FloatHeightSource(floats, 3, 2, -60.0f, 60.0f);
  RefPtr<ComplexHeightSource> complexSource = new ComplexHeightSource(complexes, 3, 2, -60.0f, 60.0f);
  for (const HeightSource* source : {static_cast<const HeightSource*>(floatSource.get()),
                                     static_cast<const HeightSource*>(complexSource.get())}) {
    for (std::uint32_t y = 0; y < 3; ++y) {
      std::uint8_t row[4] = {9, 9, 9, 9};
      source->readRow(1, y, 4, row);  // runs past the last column
      for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(row[i], source->get(1 + i, y)) << y << "," << i;
    }
  }
  const std::uint8_t expected[2] = {255, 1};
  std::uint8_t row[2];
  floatSource->readRow(2, 0, 1, row);
  floatSource->readRow(0, 1, 1, row + 1);
  EXPECT_EQ(row[0], expected[0]);
  EXPECT_EQ(row[1], expected[1]);
}

}  // namespace
