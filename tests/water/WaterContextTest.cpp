#include <gtest/gtest.h>

#include <cmath>

#include "foundation/InputSource.h"
#include "foundation/KeyCodes.h"
#include "foundation/Keyboard.h"
#include "foundation/Mouse.h"
#include "foundation/Timer.h"
#include "tests/support/HeldInput.h"
#include "water/ChoppyWavesContext.h"
#include "water/GerstnerWavesContext.h"
#include "water/NewaveContext.h"
#include "water/Water2DContext.h"

namespace {

class FakeWindow : public PickerWindow {
 public:
  void screenToClient(int&, int&) const override {}
  void clientSize(int& width, int& height) const override {
    width = 640;
    height = 480;
  }
};

class WaterContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Timer::instance().reset();
    Timer::instance().setFixedStep(16.0);
    InputSource::install(&input);
    Keyboard::instance().reset();
    Mouse::instance().reset();
  }
  void TearDown() override {
    InputSource::install(nullptr);
    Keyboard::instance().reset();
    Mouse::instance().reset();
    Timer::instance().reset();
  }
  // One frame as the application runs it, up to the context's update.
  void frame(Context& context) {
    Timer::instance().tick();
    Mouse::instance().poll();
    Keyboard::instance().poll();
    context.update();
  }

  testsupport::HeldInput input;
};

TEST_F(WaterContextTest, BaseSetUpLooksAtTheOriginWithADirectionalLight) {
  ChoppyWavesContext context;
  context.init();
  EXPECT_EQ(context.name(), "ChoppyWavesContext");
  const Scene& scene = context.scene();
  EXPECT_EQ(scene.camera(), &context.camera());
  ASSERT_EQ(scene.lights().size(), 1u);
  const float* light = scene.lights()[0]->position();
  EXPECT_FLOAT_EQ(light[0], 0.0f);
  EXPECT_FLOAT_EQ(light[1], 18.0f);
  EXPECT_FLOAT_EQ(light[2], -24.0f);
  EXPECT_FLOAT_EQ(light[3], 0.0f);
  const Matrix34& view = context.camera().node()->world();
  EXPECT_FLOAT_EQ(view[3], 0.0f);
  EXPECT_FLOAT_EQ(view[7], 18.0f);
  EXPECT_FLOAT_EQ(view[11], -24.0f);
  // Local z looks at the origin: (0, −18, 24)/30; x stays the world x axis.
  EXPECT_NEAR(view[2], 0.0f, 1e-6f);
  EXPECT_NEAR(view[6], -0.6f, 1e-6f);
  EXPECT_NEAR(view[10], 0.8f, 1e-6f);
  EXPECT_NEAR(view[0], 1.0f, 1e-6f);
  EXPECT_NEAR(view[5], 0.8f, 1e-6f);

  ASSERT_EQ(scene.instances().size(), 1u);
  Mesh* mesh = context.mesh();
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(scene.instances()[0]->mesh(), mesh);
  EXPECT_EQ(mesh->vertexCount(), 64u * 64u);
  EXPECT_EQ(mesh->indexCount(), (6u * 64 - 6) * 63);
  EXPECT_TRUE(mesh->isDynamic());
  EXPECT_EQ(mesh->texCoordMode(0), static_cast<std::uint32_t>(Mesh::TexReflection));
  EXPECT_EQ(mesh->current().normals.size(), 64u * 64u);
}

TEST_F(WaterContextTest, HoldingSFlattensTheOceanButKeepsTheChoppyDisplacement) {
  ChoppyWavesContext context;
  context.init();
  input.held = {kKeyS};
  for (int i = 0; i < 300; ++i) frame(context);
  EXPECT_EQ(context.verticalScale(), 0.0f);
  const VertexFrame& f = context.mesh()->current();
  float largestShift = 0.0f;
  for (std::uint32_t v = 0; v < f.positions.size(); ++v) {
    ASSERT_EQ(f.positions[v].y, 0.0f) << v;
    const float restX = -31.5f + static_cast<float>(v % 64);
    largestShift = std::max(largestShift, std::fabs(f.positions[v].x - restX));
  }
  EXPECT_GT(largestShift, 1e-3f);

  // W raises the scale again by its step.
  input.held = {kKeyW};
  frame(context);
  EXPECT_FLOAT_EQ(context.verticalScale(), 0.3f);
}

TEST_F(WaterContextTest, HoldingAStopsTheChoppinessAtZeroAndDMakesItMoreNegative) {
  ChoppyWavesContext context;
  context.init();
  input.held = {kKeyA};
  for (int i = 0; i < 300; ++i) frame(context);
  EXPECT_EQ(context.fftOcean().getChoppiness(), 0.0f);
  const VertexFrame& f = context.mesh()->current();
  for (std::uint32_t v = 0; v < f.positions.size(); ++v) {
    ASSERT_EQ(f.positions[v].x, -31.5f + static_cast<float>(v % 64)) << v;
    ASSERT_EQ(f.positions[v].z, 31.5f - static_cast<float>(v / 64)) << v;
  }
  input.held = {kKeyD};
  for (int i = 0; i < 300; ++i) frame(context);
  EXPECT_LT(context.fftOcean().getChoppiness(), -0.3f);
}

TEST_F(WaterContextTest, GerstnerScaleKeysChangeNothingAndNormalsFollowTheWaves) {
  GerstnerWavesContext context;
  context.init();
  ASSERT_NE(context.mesh(), nullptr);
  EXPECT_EQ(context.mesh()->vertexCount(), 3600u);
  EXPECT_TRUE(context.mesh()->current().normals.empty());
  input.held = {kKeyW};
  for (int i = 0; i < 50; ++i) frame(context);
  EXPECT_EQ(context.verticalScale(), 0.0f);
  const VertexFrame& f = context.mesh()->current();
  ASSERT_EQ(f.normals.size(), 3600u);
  // The mesh shows the field at the timer's time (50 frames of 16 ms).
  GerstnerWaveField expected(60, 60, 60.0f, 60.0f);
  ASSERT_EQ(context.waveField().waves().size(), 4u);
  expected.addWave(1, 1, 5, 0.1f, 1);
  expected.addWave(2, 1, 20, 0.8f, 3);
  expected.addWave(3, 2, 10, 0.3f, 2);
  expected.addWave(2, 1, 40, 1.4f, 9);
  expected.evaluate(0.8);
  for (std::uint32_t v = 0; v < 3600; v += 97) {
    EXPECT_FLOAT_EQ(f.positions[v].y, expected.positions()[3 * v + 1]) << v;
    EXPECT_NEAR(f.normals[v].length(), 1.0f, 1e-5f) << v;
    EXPECT_GT(f.normals[v].y, 0.5f) << v;
  }
}

TEST_F(WaterContextTest, GridScenesStepOncePerTenMillisecondsAtMostFourTimes) {
  struct Case {
    double frameMs;
    int steps;
  };
  const Case cases[] = {{9.0, 0}, {16.0, 1}, {100.0, 4}};
  for (const Case& test : cases) {
    Timer::instance().reset();
    Timer::instance().setFixedStep(test.frameMs);
    NewaveContext context;
    context.init();
    SpringWaterGrid expected(60, 0.01f);
    expected.reset(7);
    for (int i = 0; i < 1 + test.steps; ++i) expected.step();
    frame(context);
    for (std::uint32_t x = 40; x < 60; ++x)
      ASSERT_EQ(context.springGrid().heightAt(x, 50), expected.heightAt(x, 50)) << test.frameMs << " ms, x " << x;
  }
}

TEST_F(WaterContextTest, Water2DMeshShowsTheBufferThatBecameCurrent) {
  Timer::instance().setFixedStep(10.0);
  Water2DContext context;
  context.init();
  EXPECT_EQ(context.verticalScale(), 15.0f);
  frame(context);  // one step
  const float* heights = context.heightField().current();
  const VertexFrame& f = context.mesh()->current();
  int nonZero = 0;
  for (std::uint32_t i = 0; i < 3600; ++i) {
    const int level = HeightSource::quantise(heights[i], -60.0f, 120.0f);
    const float t = static_cast<float>(level) / 255.0f;
    ASSERT_NEAR(f.positions[i].y, -15.0f * (1.0f - t) + 15.0f * t, 1e-5f) << i;
    nonZero += heights[i] != 0.0f;
  }
  // Two steps from the three drops: each has spread to its second ring.
  EXPECT_GT(nonZero, 3 * 13);
}

TEST_F(WaterContextTest, PointingWithTheSpaceBarDisturbsTheCellUnderTheCursor) {
  Timer::instance().setFixedStep(5.0);  // no simulation steps, so the raised cell stays as set
  FakeWindow window;
  NewaveContext newave;
  Water2DContext water2D;
  newave.setPickerWindow(&window);
  water2D.setPickerWindow(&window);
  newave.init();
  water2D.init();
  // The cursor at the centre of the window looks straight at the origin: cell (30, 30).
  frame(newave);
  EXPECT_NE(newave.springGrid().heightAt(30, 30), 12.0f);
  input.held = {kKeySpace};
  frame(newave);
  EXPECT_EQ(newave.springGrid().heightAt(30, 30), 12.0f);
  frame(water2D);
  EXPECT_EQ(water2D.heightField().current()[60 * 30 + 30], 3.0f);
  EXPECT_EQ(water2D.heightField().current()[60 * 30 + 31], 1.5f);
}

TEST_F(WaterContextTest, HeldSpaceBarWithoutMouseMotionDoesNothing) {
  Timer::instance().setFixedStep(5.0);
  FakeWindow window;
  NewaveContext newave;
  newave.setPickerWindow(&window);
  newave.init();
  input.held = {kKeySpace};
  input.cursorX = 400.0f;  // somewhere right of the centre
  frame(newave);           // pressed this frame: raises the cell under that cursor
  input.cursorX = 320.0f;
  frame(newave);  // still held, cursor moved but no motion reported
  EXPECT_NE(newave.springGrid().heightAt(30, 30), 12.0f);
  input.motionX = 3.0f;
  frame(newave);
  EXPECT_EQ(newave.springGrid().heightAt(30, 30), 12.0f);
}

TEST(WaterContext, OnlyInteriorCellsCanBePointedAt) {
  struct Case {
    float x, z;
    bool hit;
    std::uint32_t cellX, cellY;
  };
  const Case cases[] = {
      {0.0f, 0.0f, true, 30, 30},     {-28.5f, 0.0f, true, 1, 30},  {28.0f, -28.0f, true, 58, 58},
      {-29.5f, 0.0f, false, 0, 0},    {28.9f, 0.0f, false, 0, 0},   {0.0f, 29.5f, false, 0, 0},
      {-100.0f, 0.0f, false, 0, 0},   {0.0f, -100.0f, false, 0, 0}, {10.7f, 5.2f, true, 40, 24},
  };
  for (const Case& test : cases) {
    std::uint32_t x = 99, y = 99;
    const bool hit = [&] {
      struct Probe : WaterContext {
        Probe() : WaterContext("probe", 0.0f, 0.0f) {}
        void release() override {}
        static bool cell(const Vector3& p, std::uint32_t& x, std::uint32_t& y) {
          return interiorCellAt(p, 60, 60, x, y);
        }
      };
      return Probe::cell(Vector3(test.x, 0.0f, test.z), x, y);
    }();
    EXPECT_EQ(hit, test.hit) << test.x << "," << test.z;
    if (test.hit) {
      EXPECT_EQ(x, test.cellX) << test.x << "," << test.z;
      EXPECT_EQ(y, test.cellY) << test.x << "," << test.z;
    }
  }
}

}  // namespace
