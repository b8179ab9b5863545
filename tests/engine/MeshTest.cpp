#include <gtest/gtest.h>

#include <cmath>

#include "engine/Mesh.h"

namespace {

class CountingListener : public MeshChangeListener {
 public:
  void meshChanged(Mesh&) override { ++calls; }
  int calls = 0;
};

// Two frames of two vertices: vertex 1 is the same in both frames.
RefPtr<Mesh> twoFrameMesh() {
  RefPtr<Mesh> mesh(new Mesh(2, 2, {{0, 0, 0}, {1, 1, 1}}, {{0, 0, 1}, {0, 1, 0}}));
  VertexFrame* f1 = mesh->frame(1);
  f1->positions = {{2, 4, 6}, {1, 1, 1}};
  f1->normals = {{0, 0, -1}, {0, 1, 0}};
  mesh->computeBounds();
  return mesh;
}

TEST(MeshBlendTest, EqualElementsAreCopiedNotRecomputed) {
  // 0.027 does not survive 0.027·0.7 + 0.027·0.3 in float; a copied element keeps its bits.
  const float v = 27 * 0.001f, t = 0.3f;
  volatile float naive = v * (1.0f - t) + v * t;
  ASSERT_NE(naive, v);
  RefPtr<Mesh> mesh(new Mesh(2, 2, {{0, 0, 0}, {v, v, v}}, {{v, 0, 0}, {0, 0, 1}}));
  mesh->frame(1)->positions = {{1, 1, 1}, {v, v, v}};
  mesh->frame(1)->normals = {{v, 0, 0}, {0, 1, 0}};
  mesh->setFrames(0, 1, t);
  EXPECT_EQ(mesh->current().positions[1], Vector3(v, v, v));
  EXPECT_EQ(mesh->current().normals[0], Vector3(v, 0, 0));
  EXPECT_EQ(Vector3::lerp(Vector3(v, v, v), Vector3(v, v, v), t), Vector3(v, v, v));
}

TEST(MeshBlendTest, InterpolatesDifferingElementsAndCopiesEqualOnes) {
  RefPtr<Mesh> mesh = twoFrameMesh();
  mesh->setFrames(0, 1, 0.25f);
  const VertexFrame& cur = mesh->current();
  ASSERT_TRUE(mesh->hasBlendedFrame());
  ASSERT_EQ(cur.positions.size(), 2u);
  EXPECT_EQ(cur.positions[0], Vector3(0.5f, 1.0f, 1.5f));
  EXPECT_EQ(cur.positions[1], Vector3(1, 1, 1));
  // Normals blend without renormalising: (0,0,1)·0.75 + (0,0,−1)·0.25.
  ASSERT_EQ(cur.normals.size(), 2u);
  EXPECT_EQ(cur.normals[0], Vector3(0, 0, 0.5f));
  // Frame 0 bounds: centre (0.5,0.5,0.5), radius √0.75 + 0.001; frame 1: centre (1.5,2.5,3.5),
  // radius √(0.25+2.25+6.25) + 0.001.
  const float r0 = std::sqrt(0.75f) + 0.001f, r1 = std::sqrt(8.75f) + 0.001f;
  EXPECT_TRUE(cur.bounds.center.equals(Vector3(0.75f, 1.0f, 1.25f), 1e-6f));
  EXPECT_NEAR(cur.bounds.radius, 0.75f * r0 + 0.25f * r1, 1e-6f);
}

TEST(MeshBlendTest, NormalsOnlyWhenBothFramesHaveThem) {
  RefPtr<Mesh> mesh = twoFrameMesh();
  mesh->setFrames(0, 1, 0.5f);
  EXPECT_EQ(mesh->current().normals.size(), 2u);
  mesh->frame(1)->normals.clear();
  mesh->setFrames(0, 1, 0.5f);
  EXPECT_TRUE(mesh->current().normals.empty());
  EXPECT_EQ(mesh->current().positions[0], Vector3(1, 2, 3));
}

TEST(MeshBlendTest, ExactEndsSelectKeyFramesWithoutBlendedFrame) {
  RefPtr<Mesh> mesh = twoFrameMesh();
  mesh->setFrames(0, 1, 0.0f);
  EXPECT_EQ(&mesh->current(), mesh->frame(0));
  mesh->setFrames(0, 1, 1.0f);
  EXPECT_EQ(&mesh->current(), mesh->frame(1));
  EXPECT_FALSE(mesh->hasBlendedFrame());
  mesh->setFrames(0, 1, 3.0f);  // clamped to 1
  EXPECT_EQ(&mesh->current(), mesh->frame(1));
  EXPECT_FALSE(mesh->hasBlendedFrame());
}

TEST(MeshBlendTest, OutOfRangeFramesFallBackToFrameZero) {
  RefPtr<Mesh> mesh(new Mesh(3, 1, {{1, 2, 3}}));
  mesh->setFrames(2, 5, 0.5f);
  EXPECT_EQ(mesh->frameA(), 0u);
  EXPECT_EQ(mesh->frameB(), 0u);
  EXPECT_EQ(mesh->blend(), 0.0f);
  EXPECT_EQ(&mesh->current(), mesh->frame(0));
  EXPECT_EQ(mesh->frame(3), nullptr);
}

TEST(MeshBlendTest, FrameWithoutPositionsReadsAsFrameZero) {
  RefPtr<Mesh> mesh(new Mesh(3, 2, {{0, 0, 0}, {2, 2, 2}}));
  mesh->frame(1)->positions = {{9, 9, 9}};  // too short
  mesh->frame(2)->positions = {{4, 4, 4}, {2, 2, 2}};
  mesh->setFrames(1, 1, 0.0f);
  EXPECT_EQ(&mesh->current(), mesh->frame(0));
  mesh->setFrames(1, 2, 0.5f);
  ASSERT_EQ(mesh->current().positions.size(), 2u);
  EXPECT_EQ(mesh->current().positions[0], Vector3(2, 2, 2));
  RefPtr<Mesh> empty(new Mesh(0, 5, {}));
  EXPECT_EQ(empty->vertexCount(), 0u);
  EXPECT_EQ(empty->frame(0), nullptr);
  EXPECT_TRUE(empty->current().positions.empty());
  EXPECT_FALSE(empty->buildAdjacency());
}

TEST(MeshBlendTest, BlendFramesEndsCopyAndOutsideLeavesAlone) {
  VertexFrame a, b, out;
  a.positions = {{0, 0, 0}};
  b.positions = {{4, 4, 4}};
  Mesh::blendFrames(a, b, 1.0f, out, 1, 0);
  EXPECT_EQ(out.positions[0], Vector3(4, 4, 4));
  Mesh::blendFrames(a, b, 0.0f, out, 1, 0);
  EXPECT_EQ(out.positions[0], Vector3(0, 0, 0));
  Mesh::blendFrames(a, b, 1.5f, out, 1, 0);
  EXPECT_EQ(out.positions[0], Vector3(0, 0, 0));
}

TEST(MeshBoundsTest, QuadTwoByTwo) {
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  EXPECT_EQ(quad->current().bounds.center, Vector3(0, 0, 0));
  EXPECT_FLOAT_EQ(quad->current().bounds.radius, std::sqrt(2.0f) + 0.001f);
  EXPECT_EQ(quad->indices(), (std::vector<std::uint16_t>{0, 1, 2, 1, 3, 2}));
  EXPECT_EQ(quad->texCoordMode(0), Mesh::TexExplicit);
  EXPECT_EQ(quad->texCoords(0)[1], (TexCoord{0, 0}));
}

TEST(MeshIndexTest, OutOfRangeIndicesAreRefused) {
  RefPtr<Mesh> mesh(new Mesh(1, 3, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, {}, {}, {0, 1, 3}));
  EXPECT_EQ(mesh->indexCount(), 0u);  // refused at construction, mesh stays non-indexed
  EXPECT_TRUE(mesh->setIndices({0, 1, 2}));
  const struct {
    std::vector<std::uint16_t> indices;
  } bad[] = {{{0, 1, 3}}, {{0, 1}}, {{0, 1, 2, 2}}, {{}}, {{0xFFFF, 0, 1}}};
  for (const auto& c : bad) {
    EXPECT_FALSE(mesh->setIndices(c.indices));
    EXPECT_EQ(mesh->indices(), (std::vector<std::uint16_t>{0, 1, 2}));
  }
}

TEST(MeshIndexTest, MismatchedArraysAreNotKept) {
  RefPtr<Mesh> mesh(new Mesh(1, 3, {{0, 0, 0}}, {{0, 0, 1}}, {{0, 0}}, {Color()}));
  EXPECT_EQ(mesh->current().positions.size(), 3u);
  EXPECT_TRUE(mesh->current().normals.empty());
  EXPECT_EQ(mesh->texCoordMode(0), Mesh::TexUnused);
  EXPECT_TRUE(mesh->colors(0).empty());
  EXPECT_FALSE(mesh->setColors(1, {Color(), Color()}));
  EXPECT_TRUE(mesh->setColors(1, {Color(1u), Color(2u), Color(3u)}));
  EXPECT_FALSE(mesh->setColors(2, {Color(1u), Color(2u), Color(3u)}));
  EXPECT_TRUE(mesh->colors(2).empty());
}

TEST(MeshIndexTest, AppendedVertexCopiesBecomeIndexable) {
  RefPtr<Mesh> quad = Mesh::createQuad(2, 2);
  quad->setColors(1, {Color(1u), Color(2u), Color(3u), Color(4u)});
  EXPECT_FALSE(quad->setIndices({0, 1, 4, 1, 3, 2}));
  ASSERT_TRUE(quad->appendVertexCopies({2, 0}));
  EXPECT_EQ(quad->vertexCount(), 6u);
  EXPECT_EQ(quad->current().positions[4], Vector3(1, -1, 0));
  EXPECT_EQ(quad->current().positions[5], Vector3(-1, -1, 0));
  EXPECT_EQ(quad->current().normals[5], Vector3(0, 0, -1));
  EXPECT_EQ(quad->texCoords(0)[4], (TexCoord{1, 1}));
  EXPECT_EQ(quad->colors(1)[5], Color(1u));
  EXPECT_TRUE(quad->colors(0).empty());
  EXPECT_TRUE(quad->setIndices({5, 1, 4, 1, 3, 2}));
  EXPECT_FALSE(quad->appendVertexCopies({6}));
  EXPECT_EQ(quad->vertexCount(), 6u);
  EXPECT_FALSE(quad->appendVertexCopies(std::vector<std::uint32_t>(65531, 0)));  // 65537 vertices
  EXPECT_TRUE(quad->appendVertexCopies(std::vector<std::uint32_t>(65530, 0)));   // 65536
}

TEST(MeshAdjacencyTest, ClosedBoxNamesOtherTriangles) {
  RefPtr<Mesh> box = Mesh::createBox(2, 4, 6);
  ASSERT_TRUE(box->buildAdjacency());
  const auto& adj = box->adjacency();
  ASSERT_EQ(adj.size(), 36u);
  // Triangle 0 (face −z): its left edge meets triangle 9 (face −x), its top edge triangle 5
  // (face +y), its diagonal triangle 1.
  EXPECT_EQ(adj[0], 9);
  EXPECT_EQ(adj[1], 5);
  EXPECT_EQ(adj[2], 1);
  for (std::uint32_t t = 0; t < 12; ++t) {
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t u = adj[t * 3 + e];
      ASSERT_LT(u, 12) << t;
      EXPECT_NE(u, t);
      // The neighbour names t back across one of its edges.
      EXPECT_TRUE(adj[u * 3] == t || adj[u * 3 + 1] == t || adj[u * 3 + 2] == t) << t << " " << u;
    }
  }
}

TEST(MeshAdjacencyTest, OpenEdgesGetMarkerAndFirstMatchWins) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);
  ASSERT_TRUE(quad->buildAdjacency());
  const std::uint16_t none = Mesh::kNoNeighbour;
  EXPECT_EQ(quad->adjacency(), (std::vector<std::uint16_t>{none, 1, none, none, none, 0}));

  // Triangles 1 and 2 both run edge (1→0) opposite to triangle 0's edge 0 (0→1): the lower wins.
  RefPtr<Mesh> fan(new Mesh(1, 4, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}}, {}, {}, {},
                            {0, 1, 2, 1, 0, 3, 1, 0, 2}));
  ASSERT_TRUE(fan->buildAdjacency());
  EXPECT_EQ(fan->adjacency()[0], 1);
  EXPECT_EQ(fan->adjacency()[3], 0);
  EXPECT_EQ(fan->adjacency()[6], 0);
}

// The quadratic search: first u ≠ t, ascending, with the reversed edge at identical positions.
std::vector<std::uint16_t> referenceAdjacency(const Mesh& mesh) {
  const auto& p = mesh.current().positions;
  const std::uint32_t tris = mesh.triangleCount();
  std::vector<std::uint16_t> adj(tris * 3, Mesh::kNoNeighbour);
  for (std::uint32_t t = 0; t < tris; ++t) {
    for (int e = 0; e < 3; ++e) {
      const Vector3& a = p[mesh.corner(t, e)];
      const Vector3& b = p[mesh.corner(t, (e + 1) % 3)];
      for (std::uint32_t u = 0; u < tris && adj[t * 3 + e] == Mesh::kNoNeighbour; ++u) {
        if (u == t) continue;
        for (int f = 0; f < 3; ++f) {
          if (p[mesh.corner(u, f)] == b && p[mesh.corner(u, (f + 1) % 3)] == a) {
            adj[t * 3 + e] = static_cast<std::uint16_t>(u);
            break;
          }
        }
      }
    }
  }
  return adj;
}

TEST(MeshAdjacencyTest, MatchesQuadraticSearchOnRandomMeshes) {
  // Few distinct points, many duplicated vertices: shared, repeated and degenerate edges abound.
  std::uint32_t state = 12345;
  const auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  for (int round = 0; round < 20; ++round) {
    const std::uint32_t vertices = 30 + next(40);
    std::vector<Vector3> positions(vertices);
    for (Vector3& v : positions) v = Vector3(static_cast<float>(next(3)), static_cast<float>(next(3)), 0.0f);
    std::vector<std::uint16_t> indices(3 * (20 + next(80)));
    for (auto& i : indices) i = static_cast<std::uint16_t>(next(vertices));
    RefPtr<Mesh> mesh(new Mesh(1, vertices, positions, {}, {}, {}, indices));
    ASSERT_EQ(mesh->indexCount(), indices.size());
    ASSERT_TRUE(mesh->buildAdjacency());
    EXPECT_EQ(mesh->adjacency(), referenceAdjacency(*mesh)) << "round " << round;
  }
  // Non-indexed meshes too.
  RefPtr<Mesh> loose(new Mesh(1, 6, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
  ASSERT_TRUE(loose->buildAdjacency());
  EXPECT_EQ(loose->adjacency(), referenceAdjacency(*loose));
  EXPECT_EQ(loose->adjacency()[1], 1);
}

TEST(MeshAdjacencyTest, MatchesQuadraticSearchOnAClosedSphere) {
  // Poles of valence 40, rings of valence 6, every edge shared once each way.
  RefPtr<Mesh> sphere = Mesh::createSphere(1.0f, 40);
  ASSERT_TRUE(sphere->buildAdjacency());
  EXPECT_EQ(sphere->adjacency(), referenceAdjacency(*sphere));
  for (std::uint16_t u : sphere->adjacency()) ASSERT_NE(u, Mesh::kNoNeighbour);
}

// Positions join bit for bit: 0 and −0 compare equal as numbers but are different positions.
TEST(MeshAdjacencyTest, SignedZeroesAreDifferentPositions) {
  const std::uint16_t none = Mesh::kNoNeighbour;
  RefPtr<Mesh> joined(new Mesh(1, 4, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {}, {}, {}, {0, 2, 1, 1, 2, 3}));
  ASSERT_TRUE(joined->buildAdjacency());
  EXPECT_EQ(joined->adjacency(), (std::vector<std::uint16_t>{none, 1, none, 0, none, none}));
  // The second triangle's copy of vertex 2 sits at (−0, 1, 0).
  RefPtr<Mesh> split(new Mesh(1, 6, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {-0.0f, 1, 0}, {1, 1, 0}}));
  ASSERT_TRUE(split->buildAdjacency());
  EXPECT_EQ(split->adjacency(), std::vector<std::uint16_t>(6, none));
}

// A non-indexed mesh with more distinct positions than 16 bits can number: pairs of triangles
// sharing a diagonal, each pair at its own place.
TEST(MeshAdjacencyTest, MoreThan65536PositionsStillJoin) {
  const std::uint32_t pairs = 20000;  // 40000 triangles, 80000 positions
  std::vector<Vector3> positions;
  positions.reserve(pairs * 6);
  for (std::uint32_t q = 0; q < pairs; ++q) {
    const float x = static_cast<float>(q % 200) * 2.0f, y = static_cast<float>(q / 200) * 2.0f;
    const Vector3 a(x, y, 0), b(x + 1, y, 0), c(x, y + 1, 0), d(x + 1, y + 1, 0);
    for (const Vector3& v : {a, c, b, b, c, d}) positions.push_back(v);  // (a, c, b) and (b, c, d)
  }
  RefPtr<Mesh> mesh(new Mesh(1, pairs * 6, positions));
  ASSERT_TRUE(mesh->buildAdjacency());
  const std::vector<std::uint16_t>& adj = mesh->adjacency();
  ASSERT_EQ(adj.size(), pairs * 6u);
  const std::uint16_t none = Mesh::kNoNeighbour;
  for (std::uint32_t q = 0; q < pairs; ++q) {
    // Edge 1 of the first (c → b) meets edge 0 of the second (b → c).
    const std::uint16_t first = static_cast<std::uint16_t>(2 * q), second = static_cast<std::uint16_t>(2 * q + 1);
    const std::vector<std::uint16_t> expected = {none, second, none, first, none, none};
    ASSERT_EQ(std::vector<std::uint16_t>(adj.begin() + 6 * q, adj.begin() + 6 * q + 6), expected) << q;
  }
}

TEST(MeshAdjacencyTest, TooManyTrianglesRefused) {
  const std::uint32_t vertices = 3u * 65536u;
  RefPtr<Mesh> mesh(new Mesh(1, vertices, std::vector<Vector3>(vertices)));
  EXPECT_FALSE(mesh->buildAdjacency());
  EXPECT_TRUE(mesh->adjacency().empty());
}

TEST(MeshWindingTest, FlipTwiceRestoresAndOnceKeepsDerivedDataConsistent) {
  RefPtr<Mesh> box = Mesh::createBox(1, 2, 3);
  box->computeFacePlanes();
  box->buildAdjacency();
  const std::vector<std::uint16_t> indices = box->indices();
  const std::vector<Vector3> normals = box->current().normals;
  const std::vector<FacePlane> planes = box->current().facePlanes;
  const std::vector<std::uint16_t> adjacency = box->adjacency();

  box->flipWinding();
  EXPECT_EQ(box->indices()[1], indices[2]);
  EXPECT_EQ(box->indices()[2], indices[1]);
  EXPECT_EQ(box->current().normals[0], -normals[0]);
  const std::vector<FacePlane> flippedPlanes = box->current().facePlanes;
  const std::vector<std::uint16_t> flippedAdjacency = box->adjacency();
  box->computeFacePlanes();
  EXPECT_EQ(box->current().facePlanes, flippedPlanes);
  box->buildAdjacency();
  EXPECT_EQ(box->adjacency(), flippedAdjacency);

  box->flipWinding();
  EXPECT_EQ(box->indices(), indices);
  EXPECT_EQ(box->current().normals, normals);
  EXPECT_EQ(box->current().facePlanes, planes);
  EXPECT_EQ(box->adjacency(), adjacency);
}

TEST(MeshWindingTest, FlipWithoutIndicesReordersVertices) {
  RefPtr<Mesh> tri(new Mesh(1, 3, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {}, {{0, 0}, {0, 1}, {1, 0}}));
  tri->flipWinding();
  EXPECT_EQ(tri->current().positions[1], Vector3(1, 0, 0));
  EXPECT_EQ(tri->texCoords(0)[1], (TexCoord{1, 0}));
}

// The face plane's normal of every triangle points along its vertices' outward normals.
void expectOutwardFaces(Mesh& mesh) {
  mesh.computeFacePlanes();
  const VertexFrame& f = mesh.current();
  for (std::uint32_t t = 0; t < mesh.triangleCount(); ++t) {
    const FacePlane& p = f.facePlanes[t];
    const Vector3 n(p.a, p.b, p.c);
    for (int k = 0; k < 3; ++k) EXPECT_GT(n.dot(f.normals[mesh.corner(t, k)]), 0.0f) << "triangle " << t;
  }
}

TEST(MeshFactoryTest, BoxFacesAreClockwiseFromOutside) {
  RefPtr<Mesh> box = Mesh::createBox(2, 4, 6);
  EXPECT_EQ(box->vertexCount(), 24u);
  EXPECT_EQ(box->indexCount(), 36u);
  EXPECT_EQ(box->current().positions[4], Vector3(-1, -2, 3));
  EXPECT_EQ(box->current().normals[8], Vector3(0, 1, 0));
  expectOutwardFaces(*box);
  // A point outside the +z face is in front of both +z triangles.
  const FacePlane& p = box->current().facePlanes[2];
  EXPECT_GT(p.a * 0 + p.b * 0 + p.c * 10 + p.d, 0.0f);
}

TEST(MeshFactoryTest, SphereCountsAndOrientation) {
  const struct {
    int segments;
    std::uint32_t vertices;
    std::uint32_t indices;
  } cases[] = {{8, 3 * 8 + 2, 6 * 8 * 3}, {7, 3 * 8 + 2, 6 * 8 * 3}, {4, 1 * 4 + 2, 6 * 4 * 1}, {3, 1 * 4 + 2, 6 * 4 * 1}, {32, 15 * 32 + 2, 6 * 32 * 15}};
  for (const auto& c : cases) {
    RefPtr<Mesh> sphere = Mesh::createSphere(2.0f, c.segments);
    ASSERT_TRUE(sphere) << c.segments;
    EXPECT_EQ(sphere->vertexCount(), c.vertices);
    EXPECT_EQ(sphere->indexCount(), c.indices);
    EXPECT_EQ(sphere->current().positions[0], Vector3(0, 2, 0));
    EXPECT_EQ(sphere->current().positions.back(), Vector3(0, -2, 0));
    expectOutwardFaces(*sphere);
    ASSERT_TRUE(sphere->buildAdjacency());
    for (std::uint16_t a : sphere->adjacency()) EXPECT_NE(a, Mesh::kNoNeighbour);
  }
  EXPECT_FALSE(Mesh::createSphere(1.0f, 512));  // (256 − 1)·512 + 2 vertices
  EXPECT_FALSE(Mesh::createSphere(1.0f, 2));
  RefPtr<Mesh> unit = Mesh::createSphere(-3.0f, 8);
  EXPECT_EQ(unit->current().positions[0], Vector3(0, 1, 0));
}

TEST(MeshNormalsTest, WeightingAndSharingTable) {
  const float c = 1.0f / std::sqrt(3.0f);
  // Cube corner vertex 0 is (−1,−1,−1) on face −z. With shared, angle-weighted normals every face
  // adds π/2 times the same area at each corner, giving the diagonal; otherwise the face normal stays.
  const struct {
    bool angleWeighted;
    bool share;
    Vector3 expected;
  } cases[] = {{true, true, {-c, -c, -c}}, {true, false, {0, 0, -1}}, {false, false, {0, 0, -1}}};
  for (const auto& k : cases) {
    RefPtr<Mesh> cube = Mesh::createBox(2, 2, 2);
    cube->computeNormals(k.angleWeighted, k.share);
    EXPECT_TRUE(cube->current().normals[0].equals(k.expected, 1e-6f)) << k.angleWeighted << k.share;
  }
  // Without angles a corner sums face normals of length 2·area = 4: vertex 1 at (−1, 1, −1) touches
  // one −z triangle, two +y triangles and one −x triangle → (−4, 8, −4) normalised.
  RefPtr<Mesh> cube = Mesh::createBox(2, 2, 2);
  cube->computeNormals(false, true);
  EXPECT_TRUE(cube->current().normals[1].equals(Vector3(-1, 2, -1).normalized(), 1e-6f));
  EXPECT_TRUE(cube->current().normals[0].equals(Vector3(-c, -c, -c), 1e-6f));  // on all three diagonals
}

TEST(MeshNormalsTest, UnusedAndDegenerateVerticesStayFinite) {
  // Vertex 3 is used by no triangle; triangle 1 is degenerate (two corners at one position).
  RefPtr<Mesh> mesh(new Mesh(1, 4, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {5, 5, 5}}, {}, {}, {}, {0, 1, 2, 0, 0, 1}));
  mesh->computeNormals(true, true);
  const auto& n = mesh->current().normals;
  ASSERT_EQ(n.size(), 4u);
  EXPECT_EQ(n[3], Vector3(0, 0, 0));
  EXPECT_TRUE(n[0].equals(Vector3(0, 0, -1), 1e-6f));
  for (const Vector3& v : n) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
  // Without indices nothing is computed.
  RefPtr<Mesh> loose(new Mesh(1, 3, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}));
  loose->computeNormals(true, true);
  EXPECT_TRUE(loose->current().normals.empty());
}

TEST(MeshChannelTest, TexCoordModesAndFlip) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);
  quad->flipTexCoordV(0);
  EXPECT_EQ(quad->texCoords(0)[0], (TexCoord{0, 0}));
  EXPECT_EQ(quad->texCoords(0)[1], (TexCoord{0, 1}));
  quad->setTexCoords(1, Mesh::TexReflection);
  EXPECT_EQ(quad->texCoordMode(1), Mesh::TexReflection);
  EXPECT_TRUE(quad->texCoords(1).empty());
  quad->setTexCoords(2, Mesh::TexExplicit, {});
  EXPECT_EQ(quad->texCoordMode(2), Mesh::TexUnused);
  quad->setTexCoords(2, Mesh::TexExplicit, {{0, 0}, {1, 1}});  // wrong count
  EXPECT_EQ(quad->texCoordMode(2), Mesh::TexUnused);
  quad->setTexCoords(4, Mesh::TexExplicit, std::vector<TexCoord>(4));
  EXPECT_EQ(quad->texCoordMode(4), Mesh::TexUnused);
  quad->setTexCoords(0, Mesh::TexUnused);
  EXPECT_TRUE(quad->texCoords(0).empty());
}

TEST(MeshListenerTest, ChangesNotifyAndMeshReleasesListener) {
  RefPtr<CountingListener> listener(new CountingListener);
  {
    RefPtr<Mesh> mesh = twoFrameMesh();
    mesh->setListener(listener);
    EXPECT_EQ(listener->referenceCount(), 2u);
    mesh->setFrames(0, 1, 0.5f);
    mesh->setTexCoords(0, Mesh::TexReflection);
    mesh->flipWinding();
    EXPECT_EQ(listener->calls, 3);
    mesh->setDynamic(true);
    EXPECT_TRUE(mesh->isDynamic());
  }
  EXPECT_EQ(listener->referenceCount(), 1u);
}

}  // namespace
