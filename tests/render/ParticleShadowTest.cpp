#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/ParticleEmitter.h"
#include "engine/ShadowVolume.h"
#include "tests/render/RendererTestSupport.h"

namespace {

struct Corner {
  float x, y, z;
  std::uint32_t color;
  float u, v;
};

struct Batches : ::testing::Test {
  void SetUp() override {
    r.open();
    const std::vector<DeviceCall> created = r.device->callsNamed("createVertexBuffer");
    shadowId = created.at(0).ints[4];
    particleId = created.at(1).ints[4];
    r.startRecording();
  }
  std::vector<Corner> particleCorners() const {
    const std::vector<std::uint8_t>& bytes = r.device->contents(r.device->streamSource());
    std::vector<Corner> out(bytes.size() / sizeof(Corner));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(Corner));
    return out;
  }
  RecordingRenderer r;
  std::int64_t shadowId = 0;
  std::int64_t particleId = 0;
};

// An emitter at p whose particles stay where they are born, with n living particles.
void emit(ParticleEmitter& emitter, const Vector3& p, int n) {
  emitter.setPosition(p);
  emitter.setDirection(Vector3(0, 0, 0));
  emitter.update(static_cast<double>(n));  // rate 1000/s: one particle per millisecond
}

TEST_F(Batches, EmptyEmitterLocksAndUnlocksButDrawsNothing) {
  ParticleEmitter emitter(1000.0f, 1.0f);
  r.renderer->drawParticles(emitter);
  const std::vector<DeviceCall> locks = r.device->callsNamed("lockVertexBuffer");
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].ints[0], particleId);
  EXPECT_EQ(locks[0].ints[3], D3DLOCK_DISCARD);
  EXPECT_EQ(r.device->callCount("unlockVertexBuffer"), 1);
  EXPECT_EQ(r.device->callCount("drawPrimitive"), 0);
  // Depth test without writes, alpha blending, no lighting, less-or-equal.
  const RenderFlags& cache = r.renderer->renderState();
  EXPECT_EQ(cache.depth, 2);
  EXPECT_EQ(cache.blend, 4);
  EXPECT_EQ(cache.lighting, 1);
  EXPECT_EQ(cache.depthCompare, 1);
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(r.renderer->worldMatrix()[i], identity[i]);
}

TEST_F(Batches, ParticleIsACameraFacingQuadWithItsColour) {
  ParticleEmitter emitter(1000.0f, 1.0f);
  emitter.setSizes(2.0f, 2.0f);
  emitter.setColors(Color(0x11223344u), Color(0x11223344u));
  RefPtr<Material> material(new Material(1));
  emitter.setMaterial(material);
  emit(emitter, Vector3(1, 2, 3), 1);
  ASSERT_EQ(emitter.liveCount(), 1);
  r.renderer->drawParticles(emitter);

  EXPECT_EQ(r.device->callCount("setMaterial"), 1);
  EXPECT_EQ(r.device->lastCall("setStreamSource")->ints, (std::vector<std::int64_t>{0, particleId, 24}));
  EXPECT_EQ(r.device->lastCall("setVertexShader")->ints[0], 0x142);
  EXPECT_EQ(r.device->lastCall("drawPrimitive")->ints,
            (std::vector<std::int64_t>{D3DPT_TRIANGLESTRIP, 0, 2}));
  const std::vector<Corner> corners = particleCorners();
  // Half size 1 around (1, 2, 3) in the view plane of the identity view; RGBA 0x11223344 is ARGB
  // 0x44112233.
  const Corner expected[4] = {{0, 3, 3, 0x44112233u, 0, 0},
                              {2, 3, 3, 0x44112233u, 1, 0},
                              {0, 1, 3, 0x44112233u, 0, 1},
                              {2, 1, 3, 0x44112233u, 1, 1}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(corners[k].x, expected[k].x) << k;
    EXPECT_FLOAT_EQ(corners[k].y, expected[k].y) << k;
    EXPECT_FLOAT_EQ(corners[k].z, expected[k].z) << k;
    EXPECT_EQ(corners[k].color, expected[k].color) << k;
    EXPECT_EQ(corners[k].u, expected[k].u) << k;
    EXPECT_EQ(corners[k].v, expected[k].v) << k;
  }
}

TEST_F(Batches, QuadLiesInTheViewPlaneOfATurnedCamera) {
  // Camera looking along world +x, its right axis world −z: view = Rᵀ.
  const float view[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  r.renderer->setViewMatrix(view);
  ParticleEmitter emitter(1000.0f, 1.0f);
  emitter.setSizes(2.0f, 2.0f);
  emit(emitter, Vector3(0, 0, 0), 1);
  r.renderer->drawParticles(emitter);
  const std::vector<Corner> corners = particleCorners();
  // Corner (−1, +1) of camera space is world (0, 1, 1); (+1, −1) is (0, −1, −1).
  EXPECT_NEAR(corners[0].x, 0.0f, 1e-6f);
  EXPECT_NEAR(corners[0].y, 1.0f, 1e-6f);
  EXPECT_NEAR(corners[0].z, 1.0f, 1e-6f);
  EXPECT_NEAR(corners[3].x, 0.0f, 1e-6f);
  EXPECT_NEAR(corners[3].y, -1.0f, 1e-6f);
  EXPECT_NEAR(corners[3].z, -1.0f, 1e-6f);
}

TEST_F(Batches, MoreParticlesThanOneBatchAreDrawnInSeveralBatches) {
  ParticleEmitter emitter(1000.0f, 1.0f);
  emit(emitter, Vector3(0, 0, 0), 351);
  ASSERT_EQ(emitter.liveCount(), 351);
  r.renderer->drawParticles(emitter);
  EXPECT_EQ(r.device->callCount("lockVertexBuffer"), 2);
  const std::vector<DeviceCall> draws = r.device->callsNamed("drawPrimitive");
  ASSERT_EQ(draws.size(), 351u);
  EXPECT_EQ(draws[299].ints[1], 4 * 299);
  EXPECT_EQ(draws[300].ints[1], 0);
  EXPECT_EQ(draws[350].ints[1], 4 * 50);
}

// 400 two-sided triangles in the z = 0 plane (each with its reversed twin, so the sheet is closed),
// all edge-on to a light along x: every triangle is unlit, so the volume is their 2400 corners,
// each extruded to (−D, 0, 0).
ShadowVolume edgeOnVolume(RefPtr<Mesh>& mesh) {
  const std::uint32_t pairs = 400;
  std::vector<Vector3> positions;
  std::vector<std::uint16_t> indices;
  for (std::uint32_t i = 0; i < pairs; ++i) {
    const float x = 2.0f * static_cast<float>(i);
    const auto base = static_cast<std::uint16_t>(positions.size());
    positions.insert(positions.end(), {Vector3(x, 0, 0), Vector3(x, 1, 0), Vector3(x + 1, 0, 0)});
    indices.insert(indices.end(), {base, std::uint16_t(base + 1), std::uint16_t(base + 2), base,
                                   std::uint16_t(base + 2), std::uint16_t(base + 1)});
  }
  const auto count = static_cast<std::uint32_t>(positions.size());
  mesh = new Mesh(1, count, positions, {}, {}, {}, indices);
  mesh->computeFacePlanes();
  mesh->buildAdjacency();
  ShadowVolume volume(mesh.get());
  volume.build(1.0f, 0.0f, 0.0f, 0.0f);
  return volume;
}

TEST_F(Batches, ShadowVolumeOf2400VerticesIsDrawnIn1800And600TwiceEach) {
  RefPtr<Mesh> mesh;
  ShadowVolume volume = edgeOnVolume(mesh);
  ASSERT_EQ(volume.vertexCount(), 2400u);
  r.renderer->drawShadowVolume(volume);

  std::vector<std::string> sequence;
  for (const DeviceCall& call : r.device->calls()) {
    std::string entry = call.name;
    for (std::int64_t v : call.ints) entry += " " + std::to_string(v);
    sequence.push_back(entry);
  }
  auto state = [](std::uint32_t s, std::int64_t v) {
    return "setRenderState " + std::to_string(s) + " " + std::to_string(v);
  };
  const std::string id = std::to_string(shadowId);
  std::vector<std::string> expected = {state(D3DRS_COLORWRITEENABLE, 0), state(D3DRS_ZENABLE, 1),
                                       state(D3DRS_ZWRITEENABLE, 0), state(D3DRS_ZFUNC, D3DCMP_LESS),
                                       state(D3DRS_STENCILENABLE, 1)};
  for (int triangles : {600, 200}) {
    const std::vector<std::string> batch = {
        "lockVertexBuffer " + id + " 0 0 " + std::to_string(D3DLOCK_DISCARD),
        "unlockVertexBuffer " + id,
        "setStreamSource 0 " + id + " 12",
        "setVertexShader 2",
        state(D3DRS_STENCILFUNC, D3DCMP_ALWAYS),
        state(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu),
        state(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP),
        state(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP),
        state(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCR),
        state(D3DRS_CULLMODE, D3DCULL_CW),
        "drawPrimitive 4 0 " + std::to_string(triangles),
        state(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECR),
        state(D3DRS_CULLMODE, D3DCULL_CCW),
        "drawPrimitive 4 0 " + std::to_string(triangles)};
    expected.insert(expected.end(), batch.begin(), batch.end());
  }
  EXPECT_EQ(sequence, expected);

  // Only x, y, z reach the batch: the last batch's first vertex is (−D, 0, 0).
  const std::vector<std::uint8_t>& bytes = r.device->contents(r.device->streamSource());
  float first[3];
  std::memcpy(first, bytes.data(), sizeof(first));
  EXPECT_EQ(first[0], -ShadowVolume::extrusionDistance());
  EXPECT_EQ(first[1], 0.0f);
  EXPECT_EQ(first[2], 0.0f);
}

TEST_F(Batches, EmptyShadowVolumeSetsStatesButDrawsNothing) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);
  ShadowVolume volume(quad.get());
  r.renderer->drawShadowVolume(volume);
  EXPECT_EQ(r.device->callCount("drawPrimitive"), 0);
  EXPECT_EQ(r.renderer->renderState().stencil, 0);
  EXPECT_EQ(r.renderer->renderState().colorWrite, 1);
}

}  // namespace
