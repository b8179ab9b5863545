#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "LoadedSceneSupport.h"
#include "engine/MeshInstance.h"
#include "engine/ShadowVolume.h"
#include "scenes/ShadowVolumeContext.h"

namespace {

using ShadowVolumeContextTest = scenetest::LoadedScene;

void expectLightAt(const float* light, float x, float y, float z, const char* what) {
  EXPECT_NEAR(light[0], x, 1e-5f) << what;
  EXPECT_NEAR(light[1], y, 1e-5f) << what;
  EXPECT_NEAR(light[2], z, 1e-5f) << what;
  EXPECT_EQ(light[3], 1.0f) << what;
}

TEST_F(ShadowVolumeContextTest, WithoutAnEightBitStencilOnlyTheNoticeShows) {
  open({D3DFMT_D24X8, D3DFMT_D16, D3DFMT_D32});
  ShadowVolumeContext context;
  context.init();
  EXPECT_FALSE(ShadowVolumeContext::hasStencil());
  EXPECT_TRUE(context.scene().instances().empty());
  EXPECT_TRUE(context.scene().objects().empty());
  EXPECT_EQ(context.light(), nullptr);
  Timer::instance().tick();
  context.update();
  device->clearCalls();
  rendererHolder()->beginFrame();
  context.render();
  rendererHolder()->endFrame();
  const auto texts = device->callsNamed("drawText");
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().text, "No 8 bit stencil supported");
  EXPECT_EQ(texts.back().ints[1], 5);   // left
  EXPECT_EQ(texts.back().ints[2], 80);  // top
  EXPECT_EQ(device->callCount("drawIndexedPrimitive"), 0);
  EXPECT_EQ(device->callCount("drawPrimitive"), 0);
}

TEST_F(ShadowVolumeContextTest, BuildsTheRoomTheTwoBoxesAndTheTiger) {
  open();
  ShadowVolumeContext context;
  EXPECT_EQ(context.name(), "ShadowVolumeContext");
  EXPECT_EQ(context.fireEmitter().capacity(), 16u);  // trunc(30 · 0.5 · 1.1)
  context.init();
  const Scene& scene = context.scene();
  ASSERT_EQ(scene.instances().size(), 3u);
  ASSERT_EQ(scene.objects().size(), 1u);
  ASSERT_EQ(scene.lights().size(), 1u);
  EXPECT_EQ(context.light()->range(), 60.0f);
  const MeshInstance& box = *scene.instances()[0];
  const MeshInstance& boxCopy = *scene.instances()[1];
  const MeshInstance& room = *scene.instances()[2];
  EXPECT_EQ(box.node()->world().translation(), Vector3(-2, -1, 0));
  EXPECT_EQ(boxCopy.node()->world().translation(), Vector3(2, 1, 0));
  EXPECT_EQ(boxCopy.mesh(), box.mesh());
  EXPECT_TRUE(box.castsShadow());
  EXPECT_TRUE(boxCopy.castsShadow());
  EXPECT_FALSE(room.castsShadow());
  for (const auto& instance : scene.objects()[0]->instances()) EXPECT_TRUE(instance->castsShadow());
  // The room is seen from inside: every face's front looks towards its centre.
  const Mesh& walls = *room.mesh();
  const auto& p = walls.current().positions;
  for (std::uint32_t t = 0; t < walls.triangleCount(); ++t) {
    const Vector3 a = p[walls.corner(t, 0)], b = p[walls.corner(t, 1)], c = p[walls.corner(t, 2)];
    EXPECT_LT((b - a).cross(c - a).dot(a + b + c), 0.0f) << t;
  }
  EXPECT_EQ(context.camera().node()->world().translation(), Vector3(0, 0, -5));
  EXPECT_FLOAT_EQ(context.camera().nearDist(), 0.3f);
  EXPECT_FLOAT_EQ(context.camera().farDist(), 100000.0f);
}

TEST_F(ShadowVolumeContextTest, TheLightAndTheFireCircleWithTheClock) {
  open();
  ShadowVolumeContext context;
  context.init();
  const Scene& scene = context.scene();
  context.update();  // time 0
  expectLightAt(context.light()->position(), 3.0f, 1.5f, 0.0f, "light at 0 ms");
  expectLightAt(scene.instances()[0]->light(), 3.0f, 1.5f, 0.0f, "box at 0 ms");
  for (int i = 0; i < 50; ++i) Timer::instance().tick();
  context.update();  // 1000 ms: half a radian on
  const float x = 3.0f * std::cos(0.5f), z = 3.0f * std::sin(0.5f);
  expectLightAt(context.light()->position(), x, 1.5f, z, "light at 1 s");
  expectLightAt(scene.instances()[1]->light(), x, 1.5f, z, "box copy at 1 s");
  expectLightAt(scene.objects()[0]->instances()[0]->light(), x, 1.5f, z, "tiger at 1 s");
  EXPECT_NEAR(context.fireEmitter().position().x, x, 1e-5f);
  EXPECT_NEAR(context.fireEmitter().position().z, z, 1e-5f);
}

TEST_F(ShadowVolumeContextTest, AFrameCountsTheCastersVolumesAndDrawsTheFire) {
  open();
  ShadowVolumeContext context;
  context.init();
  for (int i = 0; i < 10; ++i) {
    Timer::instance().tick();
    context.update();
  }
  EXPECT_GT(context.fireEmitter().liveCount(), 0);
  device->clearCalls();
  rendererHolder()->beginFrame();
  context.render();
  rendererHolder()->endFrame();
  const Scene& scene = context.scene();
  for (const MeshInstance* caster : {scene.instances()[0].get(), scene.instances()[1].get(),
                                     scene.objects()[0]->instances()[0].get()}) {
    ASSERT_NE(caster->shadow(), nullptr);
    EXPECT_GT(caster->shadow()->vertexCount(), 0u);
  }
  // The depth-fail passes count into the stencil buffer, then lit pixels must have stencil 0.
  bool countsUp = false;
  for (const DeviceCall& call : device->callsNamed("setRenderState")) {
    countsUp = countsUp || (call.ints[0] == D3DRS_STENCILZFAIL && call.ints[1] == D3DSTENCILOP_INCR);
  }
  EXPECT_TRUE(countsUp);
  EXPECT_GT(device->callCount("drawPrimitive"), 0);
}

}  // namespace
