#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/Light.h"
#include "foundation/FrameStats.h"
#include "tests/render/RendererTestSupport.h"

namespace {

using StateList = std::vector<std::pair<std::int64_t, std::int64_t>>;

struct SelectorCase {
  int selector;
  std::uint8_t value;
  StateList sent;
};

void PrintTo(const SelectorCase& c, std::ostream* os) {
  *os << "selector " << c.selector << " value " << int(c.value);
}

class SelectorSetter : public ::testing::TestWithParam<SelectorCase> {};

TEST_P(SelectorSetter, SendsTheTableStatesAndCachesTheValue) {
  const SelectorCase& c = GetParam();
  RecordingRenderer r;
  r.open();
  r.startRecording();
  r.renderer->setSelector(c.selector, c.value);
  EXPECT_EQ(r.renderStates(), c.sent);
  EXPECT_EQ(r.renderer->renderState()[c.selector], c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SelectorSetter,
    ::testing::Values(
        SelectorCase{0, 0, {{D3DRS_ALPHABLENDENABLE, 0}}},
        SelectorCase{0, 1, {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR}, {D3DRS_DESTBLEND, D3DBLEND_ZERO}}},
        SelectorCase{0, 2, {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ONE}}},
        SelectorCase{0, 3, {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR}, {D3DRS_DESTBLEND, D3DBLEND_ONE}}},
        SelectorCase{0, 4, {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}}},
        SelectorCase{0, 5, {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_ONE}}},
        SelectorCase{0, 6, {}},
        SelectorCase{1, 0, {{D3DRS_FILLMODE, D3DFILL_SOLID}}},
        SelectorCase{1, 1, {{D3DRS_FILLMODE, D3DFILL_WIREFRAME}}},
        SelectorCase{1, 2, {{D3DRS_FILLMODE, D3DFILL_POINT}}},
        SelectorCase{2, 0, {{D3DRS_SHADEMODE, D3DSHADE_FLAT}}},
        SelectorCase{2, 1, {{D3DRS_SHADEMODE, D3DSHADE_GOURAUD}}},
        SelectorCase{3, 0, {{D3DRS_SPECULARENABLE, 1}}},
        SelectorCase{3, 1, {{D3DRS_SPECULARENABLE, 0}}},
        SelectorCase{4, 0, {{D3DRS_ZENABLE, 1}, {D3DRS_ZWRITEENABLE, 1}}},
        SelectorCase{4, 1, {{D3DRS_ZENABLE, 0}, {D3DRS_ZWRITEENABLE, 0}}},
        SelectorCase{4, 2, {{D3DRS_ZENABLE, 1}, {D3DRS_ZWRITEENABLE, 0}}},
        SelectorCase{5, 0, {{D3DRS_ZFUNC, D3DCMP_EQUAL}}},
        SelectorCase{5, 1, {{D3DRS_ZFUNC, D3DCMP_LESSEQUAL}}},
        SelectorCase{5, 2, {{D3DRS_ZFUNC, D3DCMP_LESS}}},
        SelectorCase{5, 3, {}},
        SelectorCase{6, 0, {{D3DRS_STENCILENABLE, 1}}},
        SelectorCase{6, 1, {{D3DRS_STENCILENABLE, 0}}},
        SelectorCase{7, 0, {{D3DRS_COLORWRITEENABLE, 0x0F}}},
        SelectorCase{7, 1, {{D3DRS_COLORWRITEENABLE, 0}}},
        SelectorCase{8, 0, {{D3DRS_CULLMODE, D3DCULL_CW}}},
        SelectorCase{8, 1, {{D3DRS_CULLMODE, D3DCULL_CCW}}},
        SelectorCase{8, 2, {{D3DRS_CULLMODE, D3DCULL_NONE}}},
        SelectorCase{9, 0, {{D3DRS_LIGHTING, 1}}},
        SelectorCase{9, 1, {{D3DRS_LIGHTING, 0}}},
        SelectorCase{9, 2, {}}));

TEST(D3D8RendererStateCache, AppliedBlockSendsNothing) {
  RecordingRenderer r;
  r.open();
  RenderFlags flags;
  flags.blend = 4;
  flags.cull = 2;
  r.renderer->applyRenderFlags(flags);
  r.startRecording();
  r.renderer->applyRenderFlags(flags);
  EXPECT_TRUE(r.renderStates().empty());
}

TEST(D3D8RendererStateCache, OnlyChangedSelectorsAreSent) {
  RecordingRenderer r;
  r.open();
  r.startRecording();
  RenderFlags flags;
  flags.depth = 2;
  flags.lighting = 1;
  r.renderer->applyRenderFlags(flags);
  const StateList expected = {{D3DRS_ZENABLE, 1}, {D3DRS_ZWRITEENABLE, 0}, {D3DRS_LIGHTING, 0}};
  EXPECT_EQ(r.renderStates(), expected);
}

TEST(D3D8RendererStateCache, UnknownCacheEntryForcesResend) {
  RecordingRenderer r;
  r.open();
  r.renderer->renderState().cull = D3D8Renderer::kUnknownSelector;
  r.startRecording();
  r.renderer->applyRenderFlags(RenderFlags());
  EXPECT_EQ(r.renderStates(), (StateList{{D3DRS_CULLMODE, D3DCULL_CCW}}));
  EXPECT_EQ(r.renderer->renderState().cull, 1);
}

TEST(D3D8RendererStateCache, RequestedUnknownLeavesTheSelectorAlone) {
  RecordingRenderer r;
  r.open();
  RenderFlags flags;
  flags.blend = D3D8Renderer::kUnknownSelector;
  flags.fill = 1;
  r.startRecording();
  r.renderer->applyRenderFlags(flags);
  EXPECT_EQ(r.renderStates(), (StateList{{D3DRS_FILLMODE, D3DFILL_WIREFRAME}}));
  EXPECT_EQ(r.renderer->renderState().blend, 0);
}

TEST(D3D8RendererStateCache, SetterSendsEvenWhenCachedAlready) {
  RecordingRenderer r;
  r.open();
  r.startRecording();
  r.renderer->setSelector(Renderer::kStencil, 1);  // the default, already cached
  EXPECT_EQ(r.renderStates(), (StateList{{D3DRS_STENCILENABLE, 0}}));
}

TEST(D3D8RendererFrame, BeginFrameClearsAndDisablesLastFramesLights) {
  RecordingRenderer r;
  r.open();
  r.renderer->beginFrame();
  RefPtr<Light> light(new Light());
  r.renderer->addLight(*light);
  r.renderer->addLight(*light);
  EXPECT_EQ(r.renderer->lightCount(), 2u);
  r.renderer->endFrame();
  r.startRecording();
  r.renderer->beginFrame();

  const DeviceCall* clear = r.device->lastCall("clear");
  ASSERT_NE(clear, nullptr);
  // Colour (0.2, 0.2, 0.2, 1): each channel 51, ARGB 0xFF333333.
  EXPECT_EQ(clear->ints, (std::vector<std::int64_t>{7, 0xFF333333, 0}));
  EXPECT_EQ(clear->floats, (std::vector<float>{1.0f}));
  const std::vector<DeviceCall> enables = r.device->callsNamed("lightEnable");
  ASSERT_EQ(enables.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(enables[i].ints, (std::vector<std::int64_t>{i, 0}));
  EXPECT_FALSE(r.device->state().lightEnabled[0]);
  EXPECT_FALSE(r.device->state().lightEnabled[1]);
  EXPECT_EQ(r.renderer->lightCount(), 0u);
  EXPECT_EQ(r.device->callNames().back(), "beginScene");
}

TEST(D3D8RendererFrame, EndFrameEndsSceneThenPresents) {
  RecordingRenderer r;
  r.open();
  r.renderer->beginFrame();
  r.startRecording();
  r.renderer->endFrame();
  EXPECT_EQ(r.device->callNames(), (std::vector<std::string>{"endScene", "present"}));
}

TEST(D3D8RendererLights, DefaultLightIsWhitePointAtOriginWithRangeOne) {
  RecordingRenderer r;
  r.open();
  r.renderer->beginFrame();
  r.renderer->addLight(*RefPtr<Light>(new Light()));
  const D3DLIGHT8& light = r.device->state().lights[0];
  EXPECT_EQ(light.Type, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(light.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(light.Diffuse.a, 1.0f);
  EXPECT_FLOAT_EQ(light.Specular.g, 1.0f);
  EXPECT_FLOAT_EQ(light.Ambient.r, 0.0f);
  EXPECT_FLOAT_EQ(light.Ambient.a, 1.0f);
  EXPECT_FLOAT_EQ(light.Position.x, 0.0f);
  EXPECT_FLOAT_EQ(light.Range, 1.0f);
  EXPECT_FLOAT_EQ(light.Attenuation0, 0.0f);
  EXPECT_FLOAT_EQ(light.Attenuation1, 10.0f);
  EXPECT_FLOAT_EQ(light.Attenuation2, 0.0f);
  EXPECT_TRUE(r.device->state().lightEnabled[0]);
}

TEST(D3D8RendererLights, PointAndDirectionalConversion) {
  RecordingRenderer r;
  r.open();
  r.renderer->beginFrame();
  RefPtr<Light> point(new Light());
  point->setPosition(1.0f, 2.0f, 3.0f, 1.0f);
  point->setRange(40.0f);
  point->setColor(Color(0xFF8000FFu));
  RefPtr<Light> sun(new Light());
  sun->setPosition(0.0f, 1.0f, -2.0f, 0.0f);
  r.renderer->addLight(*point);
  r.renderer->addLight(*sun);

  const D3DLIGHT8& p = r.device->state().lights[0];
  EXPECT_EQ(p.Type, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(p.Position.y, 2.0f);
  EXPECT_FLOAT_EQ(p.Position.z, 3.0f);
  EXPECT_FLOAT_EQ(p.Range, 40.0f);
  EXPECT_FLOAT_EQ(p.Attenuation1, 0.25f);
  EXPECT_FLOAT_EQ(p.Diffuse.r, 1.0f);
  EXPECT_NEAR(p.Diffuse.g, 128.0f / 255.0f, 1e-6f);
  EXPECT_FLOAT_EQ(p.Diffuse.b, 0.0f);

  const D3DLIGHT8& d = r.device->state().lights[1];
  EXPECT_EQ(d.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(d.Direction.x, 0.0f);
  EXPECT_FLOAT_EQ(d.Direction.y, -1.0f);
  EXPECT_FLOAT_EQ(d.Direction.z, 2.0f);
  EXPECT_TRUE(r.device->state().lightEnabled[1]);
  EXPECT_EQ(r.renderer->lightCount(), 2u);
}

TEST(D3D8RendererLights, LightsBeyondTheDeviceLimitAreDropped) {
  RecordingRenderer r;
  r.device->caps().MaxActiveLights = 2;
  r.open();
  EXPECT_EQ(r.renderer->maxLights(), 2u);
  r.renderer->beginFrame();
  EXPECT_EQ(r.device->callCount("lightEnable"), 2);
  RefPtr<Light> light(new Light());
  for (int i = 0; i < 3; ++i) r.renderer->addLight(*light);
  EXPECT_EQ(r.renderer->lightCount(), 2u);
  EXPECT_EQ(r.device->callCount("setLight"), 2);
}

TEST(D3D8RendererLights, SetLightsEnabledSwitchesOnlyThisFramesLights) {
  RecordingRenderer r;
  r.open();
  r.renderer->beginFrame();
  r.renderer->addLight(*RefPtr<Light>(new Light()));
  r.startRecording();
  r.renderer->setLightsEnabled(false);
  EXPECT_EQ(r.device->callCount("lightEnable"), 1);
  EXPECT_FALSE(r.device->state().lightEnabled[0]);
  r.renderer->setLightsEnabled(true);
  EXPECT_TRUE(r.device->state().lightEnabled[0]);
}

TEST(D3D8RendererTransforms, MatricesAreSentTransposedAndWorldAndViewStored) {
  RecordingRenderer r;
  r.open();
  float m[16];
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i + 1);
  float transposed[16];
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) transposed[col * 4 + row] = m[row * 4 + col];
  }
  r.renderer->setWorldMatrix(m);
  r.renderer->setViewMatrix(m);
  r.renderer->setProjectionMatrix(m);
  const DeviceState& s = r.device->state();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(s.transforms[DeviceState::transformSlot(D3DTS_WORLD)][i], transposed[i]);
    EXPECT_EQ(s.transforms[DeviceState::transformSlot(D3DTS_VIEW)][i], transposed[i]);
    EXPECT_EQ(s.transforms[DeviceState::transformSlot(D3DTS_PROJECTION)][i], transposed[i]);
    EXPECT_EQ(r.renderer->worldMatrix()[i], m[i]);
    EXPECT_EQ(r.renderer->viewMatrix()[i], m[i]);
  }
}

TEST(D3D8RendererTransforms, WorldTransformWidensTheMatrix34) {
  RecordingRenderer r;
  r.open();
  const Matrix34 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  r.renderer->setWorldTransform(m);
  const float expected[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(r.renderer->worldMatrix()[i], expected[i]);
  // Device side: translation in the last row.
  const auto& world = r.device->state().transforms[DeviceState::transformSlot(D3DTS_WORLD)];
  EXPECT_EQ(world[12], 4.0f);
  EXPECT_EQ(world[13], 8.0f);
  EXPECT_EQ(world[14], 12.0f);
  EXPECT_EQ(world[15], 1.0f);
}

TEST(D3D8RendererText, PrintTextSizesTheRectangleThenDrawsWhite) {
  RecordingRenderer r;
  r.open();
  r.startRecording();
  r.renderer->printText(12, 34, "one\ntwo lines");
  const std::vector<DeviceCall> draws = r.device->callsNamed("drawText");
  ASSERT_EQ(draws.size(), 2u);
  // {fontId, left, top, format, color}
  EXPECT_EQ(draws[0].ints[1], 12);
  EXPECT_EQ(draws[0].ints[2], 34);
  EXPECT_EQ(draws[0].ints[3], DT_CALCRECT);
  EXPECT_EQ(draws[1].ints[1], 12);
  EXPECT_EQ(draws[1].ints[2], 34);
  EXPECT_EQ(draws[1].ints[3], 0);
  EXPECT_EQ(draws[1].ints[4], 0xFFFFFFFF);
  EXPECT_EQ(draws[1].text, "one\ntwo lines");
}

TEST(D3D8RendererText, DrawStatsPrintsThreeLinesAtFiveThirty) {
  RecordingRenderer r;
  r.open();
  r.startRecording();
  FrameStats empty;
  r.renderer->drawStats(empty);
  const DeviceCall* draw = r.device->lastCall("drawText");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw->text, "Fps: 0\nVertices: 0\nTriangles: 0");
  EXPECT_EQ(draw->ints[1], 5);
  EXPECT_EQ(draw->ints[2], 30);

  FrameStats counted;
  counted.addPrimitives(24, 12);
  counted.frame(2000.0);  // closes the first interval with one frame
  r.renderer->drawStats(counted);
  EXPECT_EQ(r.device->lastCall("drawText")->text, "Fps: 1\nVertices: 24\nTriangles: 12");
}

}  // namespace
