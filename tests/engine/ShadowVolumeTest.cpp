#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

#include "engine/Mesh.h"
#include "engine/ShadowVolume.h"

namespace {

RefPtr<Mesh> preparedBox() {
  RefPtr<Mesh> box = Mesh::createBox(2, 2, 2);
  box->computeFacePlanes();
  box->buildAdjacency();
  return box;
}

using Key = std::tuple<float, float, float, float>;
Key key(const ShadowVertex& v) { return {v.x, v.y, v.z, v.w}; }

// A closed, consistently wound surface uses every directed edge as often as its reverse.
bool isClosed(const std::vector<ShadowVertex>& v) {
  std::map<std::pair<Key, Key>, int> balance;
  for (std::size_t t = 0; t + 2 < v.size(); t += 3) {
    for (int e = 0; e < 3; ++e) {
      const Key a = key(v[t + e]), b = key(v[t + (e + 1) % 3]);
      if (a == b) continue;
      ++balance[{a, b}];
      --balance[{b, a}];
    }
  }
  for (const auto& [edge, count] : balance)
    if (count != 0) return false;
  return true;
}

TEST(ShadowVolumeTest, ConvexMeshVertexCountFromSilhouette) {
  RefPtr<Mesh> box = preparedBox();
  const struct {
    float light[4];
    std::uint32_t silhouetteEdges;
  } cases[] = {
      {{0, 0, -10, 1}, 4},    // one face lit: its four outer edges
      {{10, 10, -10, 1}, 6},  // three faces lit: a hexagon
      {{10, 0, -10, 1}, 6},   // two faces lit: two rings of three edges
  };
  for (const auto& c : cases) {
    ShadowVolume volume(box.get());
    ASSERT_TRUE(volume.build(c.light[0], c.light[1], c.light[2], c.light[3]));
    EXPECT_EQ(volume.vertexCount(), 3 * (12 + 2 * c.silhouetteEdges)) << c.light[0] << " " << c.light[1];
    EXPECT_TRUE(isClosed(volume.vertices()));
  }
}

TEST(ShadowVolumeTest, LitTriangleStaysAndUnlitIsExtrudedAwayFromPointLight) {
  RefPtr<Mesh> box = preparedBox();
  ShadowVolume volume(box.get());
  volume.build(0, 0, -10, 1);
  const auto& v = volume.vertices();
  // Triangle 0 (face −z, lit) comes first, in place: corners 0, 1, 2 of the box.
  EXPECT_EQ(v[0], (ShadowVertex{-1, -1, -1, 1}));
  EXPECT_EQ(v[1], (ShadowVertex{-1, 1, -1, 1}));
  EXPECT_EQ(v[2], (ShadowVertex{1, 1, -1, 1}));
  // Its first edge (corner 0 → 1) meets the unlit −x face: quad (b, a, ext a), (b, ext a, ext b).
  const float d = ShadowVolume::extrusionDistance();
  EXPECT_EQ(d, 10000.0f);
  const ShadowVertex extA{-1 * d, -1 * d, (-1 + 10) * d, 0}, extB{-1 * d, 1 * d, (-1 + 10) * d, 0};
  EXPECT_EQ(v[3], (ShadowVertex{-1, 1, -1, 1}));
  EXPECT_EQ(v[4], (ShadowVertex{-1, -1, -1, 1}));
  EXPECT_EQ(v[5], extA);
  EXPECT_EQ(v[6], (ShadowVertex{-1, 1, -1, 1}));
  EXPECT_EQ(v[7], extA);
  EXPECT_EQ(v[8], extB);
}

TEST(ShadowVolumeTest, DirectionalLightExtrudesEverythingToOnePoint) {
  RefPtr<Mesh> box = preparedBox();
  ShadowVolume volume(box.get());
  ASSERT_TRUE(volume.build(1, 2, 3, 0));
  const float d = ShadowVolume::extrusionDistance();
  int extruded = 0;
  for (const ShadowVertex& v : volume.vertices()) {
    if (v.w != 0.0f) continue;
    ++extruded;
    EXPECT_EQ(v, (ShadowVertex{-1 * d, -2 * d, -3 * d, 0}));
  }
  // Three faces lit (+x, +y, +z), six silhouette edges: 6 unlit triangles · 3 + 6 quads · 3.
  EXPECT_EQ(extruded, 6 * 3 + 6 * 3);
}

TEST(ShadowVolumeTest, LightInTrianglePlaneCountsAsUnlit) {
  RefPtr<Mesh> box = preparedBox();
  ShadowVolume volume(box.get());
  // (5, 1, 0) lies in the plane of the +y face: only +x is lit, four silhouette edges.
  ASSERT_TRUE(volume.build(5, 1, 0, 1));
  EXPECT_EQ(volume.vertexCount(), 3u * (12 + 2 * 4));
  EXPECT_TRUE(isClosed(volume.vertices()));
}

TEST(ShadowVolumeTest, OpenMeshVolumeIsClosed) {
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  quad->computeFacePlanes();
  quad->buildAdjacency();
  ShadowVolume volume(quad.get());
  // In front (the quad faces −z): both lit, the four open outer edges are silhouette edges, and the
  // far cap is the lit pair pushed away: 6 + 4·6 + 6 vertices.
  ASSERT_TRUE(volume.build(0.5f, 0.25f, -5, 1));
  EXPECT_EQ(volume.vertexCount(), 36u);
  EXPECT_TRUE(isClosed(volume.vertices()));
  // From behind nothing is lit and nothing is shadowed.
  volume.build(0, 0, 5, 1);
  EXPECT_EQ(volume.vertexCount(), 0u);

  // A box without its +z face: the rim edges are open wherever the lit part reaches them.
  RefPtr<Mesh> box = Mesh::createBox(2, 2, 2);
  std::vector<std::uint16_t> indices = box->indices();
  indices.erase(indices.begin() + 6, indices.begin() + 12);
  ASSERT_TRUE(box->setIndices(indices));
  box->computeFacePlanes();
  box->buildAdjacency();
  ShadowVolume cup(box.get());
  const float lights[][4] = {{0.3f, 3, 5, 1}, {4, 3, 5, 1}, {0.3f, 0.2f, -5, 1}, {1, 2, 3, 0}};
  for (const auto& l : lights) {
    ASSERT_TRUE(cup.build(l[0], l[1], l[2], l[3]));
    EXPECT_GT(cup.vertexCount(), 0u);
    EXPECT_TRUE(isClosed(cup.vertices())) << l[0] << " " << l[2];
  }
}

TEST(ShadowVolumeTest, MissingPlanesOrAdjacencyGiveEmptyVolume) {
  RefPtr<Mesh> box = Mesh::createBox(1, 1, 1);
  ShadowVolume volume(box.get());
  EXPECT_FALSE(volume.build(0, 0, -5, 1));
  EXPECT_EQ(volume.vertexCount(), 0u);
  box->computeFacePlanes();
  EXPECT_FALSE(volume.build(0, 0, -5, 1));
  box->buildAdjacency();
  EXPECT_TRUE(volume.build(0, 0, -5, 1));
  ShadowVolume none(nullptr);
  EXPECT_FALSE(none.build(0, 0, -5, 1));
}

}  // namespace
