#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "effects/TangentFrames.h"
#include "engine/Mesh.h"
#include "foundation/LogCapture.h"

namespace {

void expectVector(const Vector3& v, float x, float y, float z, const char* what) {
  EXPECT_NEAR(v.x, x, 1e-5f) << what;
  EXPECT_NEAR(v.y, y, 1e-5f) << what;
  EXPECT_NEAR(v.z, z, 1e-5f) << what;
}

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// An indexed one-frame mesh facing −z with channel 0 from the given coordinates.
RefPtr<Mesh> flatMesh(std::vector<Vector3> positions, std::vector<TexCoord> uv, std::vector<std::uint16_t> indices) {
  const auto n = static_cast<std::uint32_t>(positions.size());
  return RefPtr<Mesh>(new Mesh(1, n, std::move(positions), std::vector<Vector3>(n, Vector3(0, 0, -1)), std::move(uv),
                               {}, std::move(indices)));
}

TEST(TriangleTangents, FirstTriangleOfAQuadRunsAlongUAndDownAlongV) {
  // createQuad(w, h): corners 0, 1, 2 at (−w/2, −h/2), (−w/2, h/2), (w/2, −h/2) with (u, v) (0, 1),
  // (0, 0), (1, 1): u grows by w along x, v by h downwards.
  struct Case {
    float w, h;
  } cases[] = {{2, 2}, {3, 5}, {0.5f, 4}};
  for (const Case& c : cases) {
    RefPtr<Mesh> quad = Mesh::createQuad(c.w, c.h);
    const auto& positions = quad->frame(0)->positions;
    const auto& uv = quad->texCoords(0);
    const Vector3 p[3] = {positions[0], positions[1], positions[2]};
    const TexCoord t[3] = {uv[0], uv[1], uv[2]};
    const TriangleTangents plain = triangleTangents(p, t, false);
    expectVector(plain.tangent, c.w, 0, 0, "T");
    expectVector(plain.binormal, 0, -c.h, 0, "B");
    const TriangleTangents flipped = triangleTangents(p, t, true);
    expectVector(flipped.tangent, c.w, 0, 0, "T with flipV");
    expectVector(flipped.binormal, 0, c.h, 0, "B with flipV");
  }
}

TEST(TriangleTangents, TexturesWithoutAreaContributeZero) {
  const Vector3 p[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  struct Case {
    const char* what;
    TexCoord uv[3];
  } cases[] = {
      {"three equal coordinates", {{0.3f, 0.7f}, {0.3f, 0.7f}, {0.3f, 0.7f}}},
      {"coordinates on a line", {{0, 0}, {0.5f, 0.5f}, {1, 1}}},
      {"two equal coordinates", {{0.2f, 0.2f}, {0.2f, 0.2f}, {0.9f, 0.1f}}},
  };
  for (const Case& c : cases) {
    const TriangleTangents t = triangleTangents(p, c.uv, false);
    EXPECT_EQ(t.tangent, Vector3()) << c.what;
    EXPECT_EQ(t.binormal, Vector3()) << c.what;
  }
  // An area so small that the slopes overflow a float gives zero too, not infinities.
  const Vector3 far[3] = {{0, 0, 0}, {3e38f, 0, 0}, {0, 3e38f, 0}};
  const TexCoord sliver[3] = {{0, 0}, {1e-20f, 0}, {0, 1e-20f}};
  const TriangleTangents huge = triangleTangents(far, sliver, false);
  EXPECT_EQ(huge.tangent, Vector3());
  EXPECT_EQ(huge.binormal, Vector3());
}

TEST(BuildTangentFrames, QuadGetsOneFrameAlongUVAndNormalAndWhiteColourStreams) {
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  ASSERT_TRUE(buildTangentFrames(*quad, false, 0));
  EXPECT_EQ(quad->vertexCount(), 4u);
  const auto& frames = quad->current().tangentFrames;
  ASSERT_EQ(frames.size(), 4u);
  for (const TangentFrame& f : frames) {
    expectVector(f.tangent, 1, 0, 0, "T");
    expectVector(f.binormal, 0, -1, 0, "B");
    expectVector(f.normal, 0, 0, -1, "N");
  }
  for (int stream = 0; stream < 2; ++stream) {
    ASSERT_EQ(quad->colors(stream).size(), 4u);
    for (const Color& c : quad->colors(stream)) EXPECT_EQ(c.value, 0xFFFFFFFFu);
  }
}

TEST(BuildTangentFrames, NothingHappensWithoutExplicitCoordinatesInTheChannel) {
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  EXPECT_FALSE(buildTangentFrames(*quad, false, 1));  // channel 1 unused
  quad->setTexCoords(2, Mesh::TexReflection);
  EXPECT_FALSE(buildTangentFrames(*quad, false, 2));
  EXPECT_FALSE(buildTangentFrames(*quad, false, 7));
  EXPECT_TRUE(quad->current().tangentFrames.empty());
  EXPECT_TRUE(quad->colors(0).empty());
}

// Two quads side by side sharing the edge x = 0, the right one's u mirrored (1 at the seam back to
// 0): the two seam vertices are split once each, and the right quad's triangles use the copies.
TEST(BuildTangentFrames, MirroredSeamSplitsEachSeamVertexOnce) {
  // 0 (−1, 1)  1 (0, 1)  2 (1, 1)
  // 3 (−1,−1)  4 (0,−1)  5 (1,−1)
  RefPtr<Mesh> mesh = flatMesh({{-1, 1, 0}, {0, 1, 0}, {1, 1, 0}, {-1, -1, 0}, {0, -1, 0}, {1, -1, 0}},
                               {{0, 0}, {1, 0}, {0, 0}, {0, 1}, {1, 1}, {0, 1}},
                               {3, 0, 4, 0, 1, 4, 4, 1, 5, 1, 2, 5});
  ASSERT_TRUE(buildTangentFrames(*mesh, false, 0));
  ASSERT_EQ(mesh->vertexCount(), 8u);
  // Triangle (4, 1, 5) meets vertex 4 first: its copy is 6, vertex 1's is 7.
  const std::vector<std::uint16_t> expected = {3, 0, 4, 0, 1, 4, 6, 7, 5, 7, 2, 5};
  EXPECT_EQ(mesh->indices(), expected);
  const VertexFrame& f = *mesh->frame(0);
  EXPECT_EQ(f.positions[6], f.positions[4]);
  EXPECT_EQ(f.positions[7], f.positions[1]);
  EXPECT_EQ(mesh->texCoords(0)[6], mesh->texCoords(0)[4]);
  EXPECT_EQ(mesh->texCoords(0)[7], mesh->texCoords(0)[1]);
  // Left of the seam u runs along +x, right of it along −x; v runs down on both sides.
  const auto& frames = mesh->current().tangentFrames;
  for (std::uint32_t v : {0u, 1u, 3u, 4u}) expectVector(frames[v].tangent, 1, 0, 0, "left T");
  for (std::uint32_t v : {2u, 5u, 6u, 7u}) expectVector(frames[v].tangent, -1, 0, 0, "right T");
  for (const TangentFrame& frame : frames) expectVector(frame.binormal, 0, -1, 0, "B");
  EXPECT_EQ(mesh->colors(0).size(), 8u);
  EXPECT_EQ(mesh->colors(1).size(), 8u);
}

TEST(BuildTangentFrames, SliverAndAreaLessTrianglesSplitNothingAndLeaveNoNaN) {
  // The quad of createQuad(2, 2), a sliver (2, 3, 4) along its right edge (corner 4 a ten-millionth
  // off the edge, its coordinates nearly on a line), and a triangle (3, 5, 6) whose three corners
  // share one coordinate.
  RefPtr<Mesh> mesh = flatMesh({{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}, {1 + 1e-7f, 0, 0}, {2, 2, 0}, {2, 1, 0}},
                               {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1.0001f, 0.5f}, {1, 0}, {1, 0}},
                               {0, 1, 2, 1, 3, 2, 2, 3, 4, 3, 5, 6});
  ASSERT_TRUE(buildTangentFrames(*mesh, false, 0));
  EXPECT_EQ(mesh->vertexCount(), 7u);
  const auto& frames = mesh->current().tangentFrames;
  for (const TangentFrame& f : frames) EXPECT_TRUE(finite(f.tangent) && finite(f.binormal) && finite(f.normal));
  for (std::uint32_t v : {0u, 1u, 2u, 3u}) {
    expectVector(frames[v].tangent, 1, 0, 0, "quad T");
    expectVector(frames[v].binormal, 0, -1, 0, "quad B");
  }
  // Vertices 5 and 6 belong only to the triangle without texture area: no tangent, no binormal.
  for (std::uint32_t v : {5u, 6u}) {
    EXPECT_EQ(frames[v].tangent, Vector3());
    EXPECT_EQ(frames[v].binormal, Vector3());
    expectVector(frames[v].normal, 0, 0, -1, "N");
  }
}

// Vertices that are not used by any triangle fill the mesh up to the 16-bit limit; a mirrored pair
// of triangles at the start needs `twins` more.
RefPtr<Mesh> nearlyFullMesh(std::uint32_t vertexCount) {
  std::vector<Vector3> positions(vertexCount, Vector3(5, 5, 5));
  std::vector<TexCoord> uv(vertexCount);
  positions[0] = {-1, 0, 0};
  positions[1] = {0, 1, 0};
  positions[2] = {0, -1, 0};
  positions[3] = {1, 0, 0};
  uv[0] = {0, 0.5f};
  uv[1] = {1, 0};
  uv[2] = {1, 1};
  uv[3] = {0, 0.5f};
  // Triangle (0, 1, 2) left of the shared edge 1-2, (1, 3, 2) right of it with u mirrored: the
  // two edge vertices are split.
  return flatMesh(std::move(positions), std::move(uv), {0, 1, 2, 1, 3, 2});
}

TEST(BuildTangentFrames, RefusesASplitPastWhatSixteenBitIndicesName) {
  {
    RefPtr<Mesh> fits = nearlyFullMesh(65534);
    ASSERT_TRUE(buildTangentFrames(*fits, false, 0));
    EXPECT_EQ(fits->vertexCount(), 65536u);
    EXPECT_EQ(fits->indices()[3], 65534);
  }
  RefPtr<Mesh> full = nearlyFullMesh(65535);
  const std::vector<std::uint16_t> before = full->indices();
  LogCapture log;
  EXPECT_FALSE(buildTangentFrames(*full, false, 0));
  EXPECT_EQ(log.messages().size(), 1u);
  EXPECT_TRUE(log.contains("Tangent frames need 65537 vertices, more than 16-bit indices can name"));
  EXPECT_EQ(full->vertexCount(), 65535u);
  EXPECT_EQ(full->indices(), before);
  EXPECT_TRUE(full->current().tangentFrames.empty());
  EXPECT_TRUE(full->colors(0).empty());
}

TEST(BuildTangentFrames, LaterFramesGetTheirOwnFramesAndBlendingMixesThem) {
  // Frame 1 is frame 0 turned a quarter turn about z: its tangent turns with it.
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  RefPtr<Mesh> mesh(new Mesh(2, 4, quad->frame(0)->positions, quad->frame(0)->normals, quad->texCoords(0), {},
                             quad->indices()));
  VertexFrame& turned = *mesh->frame(1);
  for (const Vector3& p : mesh->frame(0)->positions) turned.positions.push_back(Vector3(-p.y, p.x, p.z));
  turned.normals = mesh->frame(0)->normals;
  mesh->computeBounds();
  ASSERT_TRUE(buildTangentFrames(*mesh, false, 0));
  ASSERT_EQ(mesh->frame(1)->tangentFrames.size(), 4u);
  expectVector(mesh->frame(0)->tangentFrames[0].tangent, 1, 0, 0, "frame 0 T");
  expectVector(mesh->frame(1)->tangentFrames[0].tangent, 0, 1, 0, "frame 1 T");
  expectVector(mesh->frame(1)->tangentFrames[0].binormal, 1, 0, 0, "frame 1 B");
  mesh->setFrames(0, 1, 0.5f);
  ASSERT_EQ(mesh->current().tangentFrames.size(), 4u);
  expectVector(mesh->current().tangentFrames[0].tangent, 0.5f, 0.5f, 0, "blended T (not renormalised)");
}

TEST(BuildTangentFrames, FramesWithoutNormalsUseTheTriangleNormal) {
  RefPtr<Mesh> mesh(new Mesh(1, 4, {{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}}, {},
                             {{0, 1}, {0, 0}, {1, 1}, {1, 0}}, {}, {0, 1, 2, 1, 3, 2}));
  ASSERT_TRUE(buildTangentFrames(*mesh, true, 0));
  for (const TangentFrame& f : mesh->current().tangentFrames) {
    expectVector(f.tangent, 1, 0, 0, "T");
    expectVector(f.binormal, 0, 1, 0, "B (flipped)");
    expectVector(f.normal, 0, 0, -1, "N: clockwise front face towards −z");
  }
}

}  // namespace
