#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "foundation/FrameStats.h"
#include "render/HardwareMesh.h"
#include "tests/render/RendererTestSupport.h"

namespace {

// A triangle list of n vertices without indices.
RefPtr<Mesh> triangleList(std::uint32_t n) {
  std::vector<Vector3> positions(n);
  for (std::uint32_t i = 0; i < n; ++i) positions[i] = Vector3(float(i), float(i % 3), 0.0f);
  return RefPtr<Mesh>(new Mesh(1, n, positions));
}

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  float f;
  std::memcpy(&f, bytes.data() + offset, 4);
  return f;
}

std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t w;
  std::memcpy(&w, bytes.data() + offset, 4);
  return w;
}

struct MeshDraw : ::testing::Test {
  void SetUp() override {
    r.open();
    r.startRecording();
  }
  HardwareMesh* buffers(Mesh& mesh) { return dynamic_cast<HardwareMesh*>(mesh.listener()); }
  RecordingRenderer r;
};

TEST_F(MeshDraw, SameMeshTwiceCreatesAndFillsOnce) {
  RefPtr<Mesh> quad = Mesh::createQuad(2.0f, 2.0f);
  r.renderer->drawMesh(*quad);
  r.renderer->drawMesh(*quad);
  EXPECT_EQ(r.device->callCount("createVertexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("lockVertexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("lockIndexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 2);
  ASSERT_NE(buffers(*quad), nullptr);
  EXPECT_EQ(buffers(*quad)->mesh(), quad.get());
}

TEST_F(MeshDraw, QuadVerticesAreWrittenPositionNormalCoordinates) {
  RefPtr<Mesh> quad = Mesh::createQuad(4.0f, 2.0f);
  r.renderer->drawMesh(*quad);
  HardwareMesh* hw = buffers(*quad);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw->format(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
  const DeviceCall* create = r.device->lastCall("createVertexBuffer");
  // {length, usage, fvf, pool, id}: 4 vertices of 32 bytes, static mesh in the managed pool.
  EXPECT_EQ(create->ints[0], 4 * 32);
  EXPECT_EQ(create->ints[1], D3DUSAGE_WRITEONLY);
  EXPECT_EQ(create->ints[3], D3DPOOL_MANAGED);
  EXPECT_EQ(r.device->lastCall("lockVertexBuffer")->ints[3], 0);

  const std::vector<std::uint8_t>& bytes = r.device->contents(hw->vertexBuffer());
  ASSERT_EQ(bytes.size(), 128u);
  // Vertex 3: position (2, 1, 0), normal (0, 0, -1), (u, v) = (1, 0).
  const float expected[8] = {2.0f, 1.0f, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(floatAt(bytes, 3 * 32 + 4 * k), expected[k]) << k;

  const std::vector<std::uint8_t>& index = r.device->contents(hw->indexBuffer());
  const std::vector<std::uint8_t> expectedIndex = {0, 0, 1, 0, 2, 0, 1, 0, 3, 0, 2, 0};
  EXPECT_EQ(index, expectedIndex);
  // {type, minIndex, numVertices, startIndex, count}
  EXPECT_EQ(r.device->lastCall("drawIndexedPrimitive")->ints,
            (std::vector<std::int64_t>{D3DPT_TRIANGLELIST, 0, 4, 0, 2}));
  EXPECT_EQ(r.device->lastCall("setStreamSource")->ints[2], 32);
  EXPECT_EQ(r.device->lastCall("setVertexShader")->ints[0], 0x112);
}

TEST_F(MeshDraw, ColoursAreWrittenInDeviceOrderAfterNormals) {
  std::vector<Vector3> positions = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
  std::vector<Vector3> normals(3, Vector3(0, 0, -1));
  std::vector<Color> colors = {Color(0x11223344u), Color(0x55667788u), Color(0x99AABBCCu)};
  RefPtr<Mesh> mesh(new Mesh(1, 3, positions, normals, {}, colors));
  mesh->setColors(1, {Color(0xFF0000FFu), Color(0x00FF00FFu), Color(0x0000FFFFu)});
  r.renderer->drawMesh(*mesh);
  HardwareMesh* hw = buffers(*mesh);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw->format(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
  const std::vector<std::uint8_t>& bytes = r.device->contents(hw->vertexBuffer());
  ASSERT_EQ(bytes.size(), 3u * 32u);
  // Vertex 1: RGBA 0x55667788 becomes ARGB 0x88556677; 0x00FF00FF becomes 0xFF00FF00.
  EXPECT_EQ(wordAt(bytes, 32 + 24), 0x88556677u);
  EXPECT_EQ(wordAt(bytes, 32 + 28), 0xFF00FF00u);
  EXPECT_EQ(floatAt(bytes, 32 + 4), 1.0f);
}

TEST_F(MeshDraw, SecondChannelAloneTakesTwoPairsOfWhichTheFirstIsFilled) {
  RefPtr<Mesh> mesh = triangleList(3);
  mesh->setTexCoords(1, Mesh::TexExplicit, {{0.25f, 0.5f}, {0.75f, 1.0f}, {1.0f, 0.0f}});
  r.renderer->drawMesh(*mesh);
  HardwareMesh* hw = buffers(*mesh);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw->format(), D3DFVF_XYZ | D3DFVF_TEX2);
  const std::vector<std::uint8_t>& bytes = r.device->contents(hw->vertexBuffer());
  ASSERT_EQ(bytes.size(), 3u * 28u);
  EXPECT_EQ(floatAt(bytes, 28 + 12), 0.75f);
  EXPECT_EQ(floatAt(bytes, 28 + 16), 1.0f);
}

TEST_F(MeshDraw, BothChannelsAreWrittenInOrder) {
  RefPtr<Mesh> mesh = triangleList(3);
  mesh->setTexCoords(0, Mesh::TexExplicit, {{1, 2}, {3, 4}, {5, 6}});
  mesh->setTexCoords(1, Mesh::TexExplicit, {{7, 8}, {9, 10}, {11, 12}});
  r.renderer->drawMesh(*mesh);
  const std::vector<std::uint8_t>& bytes = r.device->contents(buffers(*mesh)->vertexBuffer());
  ASSERT_EQ(bytes.size(), 3u * 28u);
  const float expected[4] = {5, 6, 11, 12};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(floatAt(bytes, 2 * 28 + 12 + 4 * k), expected[k]);
}

TEST_F(MeshDraw, DynamicMeshUsesDiscardedDefaultPoolBuffers) {
  RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
  quad->setDynamic(true);
  r.renderer->drawMesh(*quad);
  quad->notifyChanged();
  for (const char* name : {"createVertexBuffer", "createIndexBuffer"}) {
    const DeviceCall* create = r.device->lastCall(name);
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(create->ints[1], D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC) << name;
    EXPECT_EQ(create->ints[3], D3DPOOL_DEFAULT) << name;
  }
  // The change refills the same buffers.
  EXPECT_EQ(r.device->callCount("createVertexBuffer"), 1);
  const std::vector<DeviceCall> locks = r.device->callsNamed("lockVertexBuffer");
  ASSERT_EQ(locks.size(), 2u);
  for (const DeviceCall& lock : locks) EXPECT_EQ(lock.ints[3], D3DLOCK_DISCARD);
  EXPECT_EQ(r.device->lastCall("lockIndexBuffer")->ints[3], D3DLOCK_DISCARD);
}

TEST_F(MeshDraw, GainingNormalsRecreatesTheVertexBufferWithTheLargerStride) {
  RefPtr<Mesh> mesh = triangleList(3);
  r.renderer->drawMesh(*mesh);
  EXPECT_EQ(r.device->lastCall("createVertexBuffer")->ints[0], 3 * 12);
  const std::int64_t firstId = r.device->lastCall("createVertexBuffer")->ints[4];
  mesh->frame(0)->normals = std::vector<Vector3>(3, Vector3(0, 0, -1));
  mesh->notifyChanged();
  EXPECT_EQ(r.device->callCount("createVertexBuffer"), 2);
  EXPECT_EQ(r.device->lastCall("createVertexBuffer")->ints[0], 3 * 24);
  EXPECT_NE(r.device->idOf(buffers(*mesh)->vertexBuffer()), firstId);
  EXPECT_EQ(buffers(*mesh)->format(), D3DFVF_XYZ | D3DFVF_NORMAL);
}

TEST_F(MeshDraw, MeshWithoutIndicesDrawsAPlainTriangleList) {
  RefPtr<Mesh> mesh = triangleList(9);
  r.renderer->drawMesh(*mesh);
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 0);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 0);
  EXPECT_EQ(r.device->lastCall("drawPrimitive")->ints,
            (std::vector<std::int64_t>{D3DPT_TRIANGLELIST, 0, 3}));
  EXPECT_EQ(r.device->lastCall("setIndices")->ints[0], 0);
}

TEST_F(MeshDraw, IndexBufferRecreatedOnlyWhenTheCountChanges) {
  RefPtr<Mesh> box = Mesh::createBox(1, 1, 1);
  r.renderer->drawMesh(*box);
  box->setIndices(std::vector<std::uint16_t>(box->indices().rbegin(), box->indices().rend()));
  box->notifyChanged();
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("lockIndexBuffer"), 2);
  box->setIndices({0, 1, 2});
  box->notifyChanged();
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 2);
  EXPECT_EQ(r.device->lastCall("createIndexBuffer")->ints[0], 6);
}

TEST_F(MeshDraw, FailedCreationDrawsNothingAndTheNextChangeRetries) {
  RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
  r.device->failOn("createVertexBuffer");
  r.renderer->drawMesh(*quad);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 0);
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 0);
  r.device->clearFailures();
  quad->notifyChanged();
  r.renderer->drawMesh(*quad);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 1);
}

// The quad's six indices name four vertices: drawn without its index buffer it would be read as
// a plain list of six vertices, two past the end of the vertex buffer.
TEST_F(MeshDraw, IndexedMeshWithoutItsIndexBufferDrawsNothing) {
  for (const char* failing : {"createIndexBuffer", "lockVertexBuffer"}) {
    SCOPED_TRACE(failing);
    RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
    r.device->failOn(failing);
    r.renderer->drawMesh(*quad);
    r.device->clearFailures();
    EXPECT_EQ(r.device->callCount("drawPrimitive"), 0);
    EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 0);
    quad->notifyChanged();
    r.renderer->drawMesh(*quad);
    EXPECT_EQ(r.device->callCount("drawPrimitive"), 0);
    EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 1);
    r.device->clearCalls();
  }
}

TEST_F(MeshDraw, FailedLockStopsBeforeTheIndexBuffer) {
  RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
  r.device->failOn("lockVertexBuffer");
  r.renderer->drawMesh(*quad);
  EXPECT_EQ(r.device->callCount("createVertexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("createIndexBuffer"), 0);
}

TEST_F(MeshDraw, TwoPassMaterialDrawsTwiceAndCountsOnce) {
  RefPtr<Mesh> box = Mesh::createBox(1, 1, 1);
  RefPtr<Material> twoPass(new Material(2));
  FrameStats& stats = FrameStats::instance();
  stats.frame(0.0);
  r.renderer->setMaterial(twoPass.get());
  r.renderer->drawMesh(*box);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 2);
  EXPECT_EQ(r.device->callCount("setMaterial"), 2);  // applied once per pass
  stats.frame(0.0);
  EXPECT_EQ(stats.lastVertices(), 24u);
  EXPECT_EQ(stats.lastTriangles(), 12u);
}

TEST_F(MeshDraw, MeshDrawnByAnEarlierRendererGetsNewBuffers) {
  RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
  r.renderer->drawMesh(*quad);
  RecordingRenderer second;
  second.open();
  second.startRecording();
  second.renderer->drawMesh(*quad);
  EXPECT_EQ(second.device->callCount("createVertexBuffer"), 1);
  EXPECT_EQ(second.device->callCount("drawIndexedPrimitive"), 1);
}

TEST_F(MeshDraw, MeshOutlivingItsRendererRefreshesNothing) {
  RefPtr<Mesh> quad = Mesh::createQuad(1.0f, 1.0f);
  r.renderer->drawMesh(*quad);
  r.close();
  r.startRecording();
  quad->notifyChanged();
  EXPECT_TRUE(r.device->callsNamed("lockVertexBuffer").empty());
  EXPECT_TRUE(r.device->callsNamed("createVertexBuffer").empty());
}

// A water grid changes its vertices every frame and its triangles never: only the vertices go to
// the device again, until the indices change.
TEST_F(MeshDraw, ChangedVerticesAloneLeaveTheIndexBufferAsFilled) {
  RefPtr<Mesh> box = Mesh::createBox(1, 1, 1);
  box->setDynamic(true);
  r.renderer->drawMesh(*box);
  box->frame(0)->positions[0] = Vector3(9.0f, 8.0f, 7.0f);
  box->notifyChanged();
  box->notifyChanged();
  EXPECT_EQ(r.device->callCount("lockVertexBuffer"), 3);
  EXPECT_EQ(r.device->callCount("lockIndexBuffer"), 1);
  HardwareMesh* hw = buffers(*box);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(floatAt(r.device->contents(hw->vertexBuffer()), 0), 9.0f);

  const std::vector<std::uint16_t> before = box->indices();
  box->flipWinding();  // notifies
  EXPECT_EQ(r.device->callCount("lockIndexBuffer"), 2);
  const std::vector<std::uint8_t>& index = r.device->contents(hw->indexBuffer());
  ASSERT_EQ(index.size(), 72u);
  // Triangle 0 (a, b, c) became (a, c, b).
  EXPECT_EQ(index[2], before[2]);
  EXPECT_EQ(index[4], before[1]);

  // An index fill that failed is tried again at the next change.
  box->setIndices(before);
  r.device->failOn("lockIndexBuffer");
  box->notifyChanged();
  r.device->clearFailures();
  box->notifyChanged();
  box->notifyChanged();
  EXPECT_EQ(r.device->callCount("lockIndexBuffer"), 4);
  EXPECT_EQ(r.device->contents(hw->indexBuffer())[4], before[2]);
}

// Every part of the format is written, or zeroed when the mesh has nothing for it.
TEST_F(MeshDraw, PartsWithoutDataAreZeroedWhateverTheBufferHeld) {
  RefPtr<Mesh> mesh = triangleList(3);
  mesh->setTexCoords(0, Mesh::TexExplicit, {{1, 2}, {3, 4}, {5, 6}});
  mesh->setTexCoords(1, Mesh::TexExplicit, {{7, 8}, {9, 10}, {11, 12}});
  r.renderer->drawMesh(*mesh);
  HardwareMesh* hw = buffers(*mesh);
  ASSERT_NE(hw, nullptr);
  // Channel 0 dropped: channel 1 moves into the first pair and the second pair is zeroed, in the
  // same buffer (same vertex count and format).
  mesh->setTexCoords(0, Mesh::TexUnused);
  EXPECT_EQ(r.device->callCount("createVertexBuffer"), 1);
  const std::vector<std::uint8_t>& bytes = r.device->contents(hw->vertexBuffer());
  ASSERT_EQ(bytes.size(), 3u * 28u);
  const float expected[7] = {2.0f, 2.0f, 0.0f, 11.0f, 12.0f, 0.0f, 0.0f};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(floatAt(bytes, 2 * 28 + 4 * k), expected[k]) << k;
}

// The water grids' format: every vertex, the last one included, holds its own position and normal.
TEST_F(MeshDraw, PositionsAndNormalsAreInterleavedToTheLastVertex) {
  const std::uint32_t n = 5;
  std::vector<Vector3> positions(n), normals(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    positions[i] = Vector3(float(i), 10.0f + i, 20.0f + i);
    normals[i] = Vector3(-1.0f - i, -10.0f - i, -20.0f - i);
  }
  RefPtr<Mesh> mesh(new Mesh(1, n, positions, normals));
  mesh->setDynamic(true);
  r.renderer->drawMesh(*mesh);
  mesh->notifyChanged();
  HardwareMesh* hw = buffers(*mesh);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw->format(), D3DFVF_XYZ | D3DFVF_NORMAL);
  const std::vector<std::uint8_t>& bytes = r.device->contents(hw->vertexBuffer());
  ASSERT_EQ(bytes.size(), n * 24u);
  for (std::uint32_t i = 0; i < n; ++i) {
    const float expected[6] = {positions[i].x, positions[i].y, positions[i].z,
                               normals[i].x,   normals[i].y,   normals[i].z};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(floatAt(bytes, i * 24 + 4 * k), expected[k]) << i << " " << k;
  }
}

}  // namespace
