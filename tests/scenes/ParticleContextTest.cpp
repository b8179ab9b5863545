#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Renderer.h"
#include "foundation/Timer.h"
#include "scenes/ParticleContext.h"

namespace {

class ParticleContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Timer::instance().reset();
    Timer::instance().setFixedStep(20.0);
  }
  void TearDown() override { Timer::instance().reset(); }
};

TEST_F(ParticleContextTest, PoolsHoldRateTimesLifetimeWithTenPercentSpare) {
  ParticleContext context;
  EXPECT_EQ(context.name(), "ParticleContext");
  EXPECT_EQ(context.fireEmitter().capacity(), 22u);   // trunc(20 · 1.0 · 1.1)
  EXPECT_EQ(context.smokeEmitter().capacity(), 16u);  // trunc(5 · 3.0 · 1.1)
  EXPECT_FLOAT_EQ(context.fireEmitter().lifetime(), 1.0f);
  EXPECT_FLOAT_EQ(context.smokeEmitter().lifetime(), 3.0f);
  // The camera starts 5 units behind the origin, looking along +z.
  const Matrix34& view = context.camera().node()->world();
  EXPECT_FLOAT_EQ(view[3], 0.0f);
  EXPECT_FLOAT_EQ(view[11], -5.0f);
  EXPECT_FLOAT_EQ(view[10], 1.0f);
}

TEST_F(ParticleContextTest, EmittersAreSetUpAsFireAndSmoke) {
  ParticleContext context;
  context.init();
  const ParticleEmitter& fire = context.fireEmitter();
  const ParticleEmitter& smoke = context.smokeEmitter();
  EXPECT_FLOAT_EQ(fire.position().x, -2.0f);
  EXPECT_FLOAT_EQ(smoke.position().x, 2.0f);
  EXPECT_FLOAT_EQ(fire.speed(), 1.0f);
  EXPECT_FLOAT_EQ(smoke.speed(), 1.5f);
  EXPECT_NEAR(fire.spread(), 0.34906587f, 1e-6f);   // 20°
  EXPECT_NEAR(smoke.spread(), 0.08726647f, 1e-6f);  // 5°
  EXPECT_EQ(fire.colors().first.value, 0xFFFF00FFu);
  EXPECT_EQ(fire.colors().second.value, 0xFF00007Fu);
  EXPECT_EQ(smoke.colors().first.value, 0x333333CCu);
  EXPECT_EQ(smoke.colors().second.value, 0xE5E5E500u);
  EXPECT_FLOAT_EQ(fire.sizes().first, 1.0f);
  EXPECT_FLOAT_EQ(fire.sizes().second, 0.8f);
  EXPECT_FLOAT_EQ(smoke.sizes().first, 0.8f);
  EXPECT_FLOAT_EQ(smoke.sizes().second, 2.0f);
  EXPECT_NE(fire.material(), nullptr);
  EXPECT_NE(smoke.material(), nullptr);
}

TEST_F(ParticleContextTest, UpdateEmitsAtEachRate) {
  ParticleContext context;
  context.init();
  // 25 frames of 20 ms: 0.5 s, so 10 fire and 2.5 smoke particles, none old enough to die.
  for (int i = 0; i < 25; ++i) {
    Timer::instance().tick();
    context.update();
  }
  EXPECT_EQ(context.fireEmitter().liveCount(), 10);
  EXPECT_EQ(context.smokeEmitter().liveCount(), 2);
  // After 2 s the fire has turned over and is capped by its pool; smoke keeps accumulating.
  for (int i = 0; i < 75; ++i) {
    Timer::instance().tick();
    context.update();
  }
  EXPECT_LE(context.fireEmitter().liveCount(), 22);
  EXPECT_GE(context.fireEmitter().liveCount(), 19);
  EXPECT_EQ(context.smokeEmitter().liveCount(), 10);
}

}  // namespace

namespace {

// Records what the particle scene asks of the renderer.
class RecordingRenderer : public Renderer {
 public:
  RecordingRenderer() : Renderer(Color(0.2f, 0.2f, 0.2f, 1.0f)) {}
  std::vector<const ParticleEmitter*> emitters;
  std::vector<std::string> calls;
  float view[16] = {};

  void beginFrame() override {}
  void endFrame() override {}
  void drawParticles(const ParticleEmitter& emitter) override {
    emitters.push_back(&emitter);
    calls.push_back("particles");
  }
  void drawShadowVolume(const ShadowVolume&) override { calls.push_back("shadow"); }
  void drawMesh(Mesh&) override { calls.push_back("mesh"); }
  void addLight(const Light&) override { calls.push_back("light"); }
  std::uint32_t maxLights() const override { return 8; }
  void setAmbient(const Color&) override {}
  void setWorldMatrix(const float*) override {}
  void setMaterial(Material*) override {}
  void applyRenderFlags(const RenderFlags&) override {}
  void printText(int, int, const std::string&) override {}
  void setProjectionMatrix(const float*) override { calls.push_back("projection"); }
  void setViewMatrix(const float* m) override {
    for (int i = 0; i < 16; ++i) view[i] = m[i];
    calls.push_back("view");
  }
  GraphicsDevice* device() override { return nullptr; }
  void setLightsEnabled(bool) override {}
  void setSelector(int, std::uint8_t) override {}
  const float* viewMatrix() const override { return view; }
};

TEST_F(ParticleContextTest, RenderAppliesTheCameraThenDrawsFireThenSmoke) {
  RefPtr<RecordingRenderer> renderer = new RecordingRenderer();
  rendererHolder() = renderer;
  ParticleContext context;
  context.init();
  context.render();
  rendererHolder() = nullptr;

  EXPECT_EQ(renderer->camera(), &context.camera());
  const std::vector<std::string> expected{"view", "projection", "particles", "particles"};
  EXPECT_EQ(renderer->calls, expected);
  ASSERT_EQ(renderer->emitters.size(), 2u);
  EXPECT_EQ(renderer->emitters[0], &context.fireEmitter());
  EXPECT_EQ(renderer->emitters[1], &context.smokeEmitter());
  // The view is the inverse of the camera at (0, 0, −5): translation (0, 0, 5).
  EXPECT_FLOAT_EQ(renderer->view[11], 5.0f);
}

}  // namespace
