#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/Md3Fixtures.h"
#include "foundation/LogCapture.h"
#include "loaders/Md3File.h"

using namespace md3fixtures;

namespace {

constexpr std::size_t kNumFrames = 76, kNumTags = 80, kNumSurfaces = 84, kOfsFrames = 92, kOfsTags = 96,
                      kOfsSurfaces = 100;
// Surface header fields, from the surface's start.
constexpr std::size_t kSurfFrames = 72, kSurfShaders = 76, kSurfVerts = 80, kSurfTriangles = 84,
                      kSurfOfsTriangles = 88, kSurfOfsSt = 96, kSurfOfsXyz = 100, kSurfOfsEnd = 104;

// The one-frame head: 108 header + 56 frame + 112 tag, then one 236-byte surface = 512 bytes.
std::vector<std::uint8_t> smallFile() { return Md3Writer::encode(head()); }

std::size_t surfaceStart(const std::vector<std::uint8_t>& b) { return static_cast<std::size_t>(getS32(b, kOfsSurfaces)); }

bool parses(const std::vector<std::uint8_t>& bytes, Md3File& out) {
  return Md3File::parse(bytes.data(), bytes.size(), "test.md3", out);
}

}  // namespace

TEST(Md3File, ReadsTagsSurfacesAndVerticesOfAValidFile) {
  const std::vector<std::uint8_t> bytes = Md3Writer::encode(lower());
  Md3File file;
  ASSERT_TRUE(parses(bytes, file));
  EXPECT_EQ(file.frameCount, 12u);
  EXPECT_EQ(file.tagCount, 1u);
  ASSERT_EQ(file.tags.size(), 12u);
  EXPECT_EQ(file.tags[5].name, "tag_torso");
  EXPECT_EQ(file.tags[5].origin, Vector3(0.0f, 0.0f, 25.0f));
  EXPECT_EQ(file.tags[5].rotation, Matrix33::identity());
  ASSERT_EQ(file.surfaces.size(), 1u);
  const Md3Surface& s = file.surfaces[0];
  EXPECT_EQ(s.name, "lower");
  EXPECT_EQ(s.shader, "models/players/tiny/lower.tga");
  EXPECT_EQ(s.vertexCount, 3u);
  EXPECT_EQ(s.frameCount, 12u);
  EXPECT_EQ(s.triangles, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(s.texCoords, (std::vector<float>{0.25f, 0.0f, 1.0f, 0.25f, 0.0f, 1.0f}));
  ASSERT_EQ(s.vertices.size(), 36u);
  // Vertex 0 of every frame is stored as (64, −128, 32); vertex 1 of frame 7 at x = 7.
  EXPECT_EQ(s.vertices[3 * 7].x, 64);
  EXPECT_EQ(s.vertices[3 * 7].y, -128);
  EXPECT_EQ(s.vertices[3 * 7].z, 32);
  EXPECT_EQ(s.vertices[3 * 7 + 1].x, 7 * 64);
}

TEST(Md3File, VertexScaleAndNormalAngles) {
  Md3Vertex v;
  v.x = 64, v.y = -128, v.z = 32;
  EXPECT_EQ(md3Position(v), Vector3(1.0f, -2.0f, 0.5f));
  struct Case {
    std::uint8_t a, b;
    Vector3 normal;
  };
  const Case cases[] = {{0, 0, {0, 0, 1}}, {64, 0, {1, 0, 0}}, {64, 64, {0, 1, 0}}, {128, 0, {0, 0, -1}},
                        {64, 192, {0, -1, 0}}};
  for (const Case& c : cases) {
    v.normal[0] = c.a, v.normal[1] = c.b;
    const Vector3 n = md3Normal(v);
    EXPECT_NEAR(n.x, c.normal.x, 1e-6f) << int(c.a) << "," << int(c.b);
    EXPECT_NEAR(n.y, c.normal.y, 1e-6f) << int(c.a) << "," << int(c.b);
    EXPECT_NEAR(n.z, c.normal.z, 1e-6f) << int(c.a) << "," << int(c.b);
  }
  v.normal[0] = v.normal[1] = 0;
  EXPECT_EQ(md3Normal(v), Vector3(0.0f, 0.0f, 1.0f));
}

TEST(Md3File, TagAxesBecomeTheColumnsOfTheRotation) {
  Md3Data d = head();
  // Stored axes: x → (0, 1, 0), y → (−1, 0, 0), z → (0, 0, 1): a quarter turn about z.
  d.frameTags[0][0].axis = {Vec3{0, 1, 0}, Vec3{-1, 0, 0}, Vec3{0, 0, 1}};
  Md3File file;
  ASSERT_TRUE(parses(Md3Writer::encode(d), file));
  const Matrix33& r = file.tags[0].rotation;
  EXPECT_EQ(r * Vector3(1, 0, 0), Vector3(0, 1, 0));
  EXPECT_EQ(r * Vector3(0, 1, 0), Vector3(-1, 0, 0));
}

TEST(Md3File, LumpsAreReadAtTheirRecordedOffsets) {
  // One frame of three vertices: texture coordinates and vertices are both 24 bytes, so the two
  // lumps can change places with their offsets.
  std::vector<std::uint8_t> bytes = smallFile();
  const std::size_t s = surfaceStart(bytes);
  const std::int32_t st = getS32(bytes, s + kSurfOfsSt), xyz = getS32(bytes, s + kSurfOfsXyz);
  ASSERT_EQ(xyz - st, 24);
  std::vector<std::uint8_t> swapped = bytes;
  std::copy(bytes.begin() + s + st, bytes.begin() + s + st + 24, swapped.begin() + s + xyz);
  std::copy(bytes.begin() + s + xyz, bytes.begin() + s + xyz + 24, swapped.begin() + s + st);
  putS32(swapped, s + kSurfOfsSt, xyz);
  putS32(swapped, s + kSurfOfsXyz, st);
  Md3File a, b;
  ASSERT_TRUE(parses(bytes, a));
  ASSERT_TRUE(parses(swapped, b));
  EXPECT_EQ(a.surfaces[0].texCoords, b.surfaces[0].texCoords);
  EXPECT_EQ(md3Position(a.surfaces[0].vertices[2]), md3Position(b.surfaces[0].vertices[2]));
}

TEST(Md3File, NamesWithoutTerminatorEndWithTheirField) {
  std::vector<std::uint8_t> bytes = smallFile();
  const std::size_t s = surfaceStart(bytes);
  const std::size_t tag = static_cast<std::size_t>(getS32(bytes, kOfsTags));
  std::fill(bytes.begin() + s + 4, bytes.begin() + s + 68, 'n');        // surface name
  std::fill(bytes.begin() + s + 108, bytes.begin() + s + 172, 's');      // shader name
  std::fill(bytes.begin() + tag, bytes.begin() + tag + 64, 't');         // tag name
  Md3File file;
  ASSERT_TRUE(parses(bytes, file));
  EXPECT_EQ(file.surfaces[0].name, std::string(64, 'n'));
  EXPECT_EQ(file.surfaces[0].shader, std::string(64, 's'));
  EXPECT_EQ(file.tags[0].name, std::string(64, 't'));
}

// Every fault gives no part and exactly one log line naming the file.
TEST(Md3File, RefusesEveryMalformedFile) {
  using Patch = std::function<void(std::vector<std::uint8_t>&, std::size_t surface)>;
  const auto header = [](std::size_t at, std::int32_t v) -> Patch {
    return [at, v](std::vector<std::uint8_t>& b, std::size_t) { putS32(b, at, v); };
  };
  const auto surface = [](std::size_t at, std::int32_t v) -> Patch {
    return [at, v](std::vector<std::uint8_t>& b, std::size_t s) { putS32(b, s + at, v); };
  };
  const auto corner = [](int k, std::int32_t v) -> Patch {
    return [k, v](std::vector<std::uint8_t>& b, std::size_t s) {
      putS32(b, s + static_cast<std::size_t>(getS32(b, s + 88)) + 4 * static_cast<std::size_t>(k), v);
    };
  };
  struct Case {
    const char* fault;
    Patch patch;
  };
  const Case cases[] = {
      {"ident", [](std::vector<std::uint8_t>& b, std::size_t) { b[3] = '2'; }},
      {"version 16", header(4, 16)},
      {"frames not at 108", header(kOfsFrames, 100)},
      {"no frames", header(kNumFrames, 0)},
      {"negative frame count", header(kNumFrames, -1)},
      {"negative tag count", header(kNumTags, -1)},
      {"negative surface count", header(kNumSurfaces, -1)},
      {"frames past the end", header(kNumFrames, 0x7FFFFFFF)},
      {"tags past the end", header(kNumTags, 0x7FFFFFFF)},
      {"frames x tags wraps 32 bits", [](std::vector<std::uint8_t>& b, std::size_t) {
         putS32(b, kNumFrames, 4);
         putS32(b, kNumTags, 0x40000000);
       }},
      {"surface count past the end", header(kNumSurfaces, 0x7FFFFFFF)},
      {"second surface missing", header(kNumSurfaces, 2)},
      {"tags offset past the end", header(kOfsTags, 512)},
      {"tags offset negative", header(kOfsTags, -112)},
      {"surfaces offset past the end", header(kOfsSurfaces, 600)},
      {"surfaces offset negative", header(kOfsSurfaces, -4)},
      {"two frames in the header, one in the surface", header(kNumFrames, 2)},
      {"surface frame count differs", surface(kSurfFrames, 2)},
      {"surface frame count zero", surface(kSurfFrames, 0)},
      {"negative shader count", surface(kSurfShaders, -1)},
      {"negative vertex count", surface(kSurfVerts, -1)},
      {"negative triangle count", surface(kSurfTriangles, -1)},
      {"more vertices than 16-bit indices name", surface(kSurfVerts, 65537)},
      {"shaders past the end", surface(kSurfShaders, 1000)},
      {"triangles past the end", surface(kSurfTriangles, 0x7FFFFFFF)},
      {"triangles x 12 wraps 32 bits", surface(kSurfTriangles, 0x15555556)},
      {"vertices past the end", surface(kSurfVerts, 60000)},
      {"triangle index equal to the vertex count", corner(1, 3)},
      {"negative triangle index", corner(2, -1)},
      {"triangles before the surface", surface(kSurfOfsTriangles, -200)},
      {"texture coordinates past the surface", surface(kSurfOfsSt, 230)},
      {"vertices past the surface", surface(kSurfOfsXyz, 1 << 30)},
      {"surface end zero", surface(kSurfOfsEnd, 0)},
      {"surface end negative", surface(kSurfOfsEnd, -236)},
      {"surface end past the file", surface(kSurfOfsEnd, 237)},
  };
  const std::vector<std::uint8_t> valid = smallFile();
  ASSERT_EQ(valid.size(), 512u);
  {
    Md3File file;
    ASSERT_TRUE(parses(valid, file));
  }
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = valid;
    c.patch(bytes, surfaceStart(valid));
    LogCapture log;
    Md3File file;
    EXPECT_FALSE(Md3File::parse(bytes.data(), bytes.size(), "bad.md3", file)) << c.fault;
    EXPECT_EQ(file.frameCount, 0u) << c.fault;
    EXPECT_TRUE(file.tags.empty()) << c.fault;
    EXPECT_TRUE(file.surfaces.empty()) << c.fault;
    const auto lines = log.messages();
    ASSERT_EQ(lines.size(), 1u) << c.fault;
    EXPECT_NE(lines[0].find("\"bad.md3\""), std::string::npos) << c.fault << ": " << lines[0];
  }
}

TEST(Md3File, SixteenBitLimitIsNamedInTheLogLine) {
  std::vector<std::uint8_t> bytes = smallFile();
  putS32(bytes, surfaceStart(bytes) + kSurfVerts, 65537);
  LogCapture log;
  Md3File file;
  EXPECT_FALSE(parses(bytes, file));
  EXPECT_TRUE(log.contains("65537 vertices, more than 16-bit indices name"));
}

TEST(Md3File, ABrokenSecondSurfaceLeavesNoPartialPart) {
  Md3Data d = lower();
  d.surfaces.push_back(triangleSurface("second", "x.tga", d.frameCount));
  std::vector<std::uint8_t> bytes = Md3Writer::encode(d);
  Md3File file;
  ASSERT_TRUE(parses(bytes, file));
  ASSERT_EQ(file.surfaces.size(), 2u);
  // The second surface's first triangle index points past its three vertices.
  const std::size_t second = surfaceStart(bytes) + static_cast<std::size_t>(getS32(bytes, surfaceStart(bytes) + kSurfOfsEnd));
  putS32(bytes, second + static_cast<std::size_t>(getS32(bytes, second + kSurfOfsTriangles)), 7);
  EXPECT_FALSE(parses(bytes, file));
  EXPECT_TRUE(file.surfaces.empty());
  EXPECT_TRUE(file.tags.empty());
}

TEST(Md3File, EveryTruncationIsRefused) {
  const std::vector<std::uint8_t> valid = smallFile();
  for (std::size_t size = 0; size < valid.size(); size += 16) {
    Md3File file;
    EXPECT_FALSE(Md3File::parse(valid.data(), size, "cut.md3", file)) << size;
    EXPECT_TRUE(file.surfaces.empty()) << size;
  }
  Md3File file;
  EXPECT_FALSE(Md3File::parse(valid.data(), valid.size() - 1, "cut.md3", file));
  EXPECT_FALSE(Md3File::parse(nullptr, 0, "null.md3", file));
}
