#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/Light.h"
#include "render/DeviceCaps.h"
#include "tests/render/RendererTestSupport.h"

namespace {

bool contains(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// Position of a message in the log, or -1.
int indexOf(const std::vector<std::string>& lines, const std::string& wanted) {
  auto it = std::find(lines.begin(), lines.end(), wanted);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

struct DepthCase {
  std::vector<std::uint32_t> offered;
  std::uint32_t chosen;  // D3DFMT_UNKNOWN: none usable
  const char* message;
};

// Names the case by its expected log line, so the test's name stays the same from build to build.
void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.message; }

class DepthFormatChoice : public ::testing::TestWithParam<DepthCase> {};

TEST_P(DepthFormatChoice, PicksFirstUsableFormatInPreferenceOrder) {
  const DepthCase& c = GetParam();
  LogCapture log;
  RecordingRenderer r;
  r.device->setDepthFormats(c.offered);
  r.open();

  const std::vector<std::string> lines = log.messages();
  EXPECT_TRUE(contains(lines, c.message)) << log.text();
  if (c.chosen == D3DFMT_UNKNOWN) {
    EXPECT_EQ(r.device->callCount("createDevice"), 0);
    EXPECT_FALSE(r.renderer->isOpen());
    EXPECT_FALSE(contains(lines, "Created Direct3D device."));
  } else {
    ASSERT_NE(r.device->lastCall("createDevice"), nullptr);
    EXPECT_EQ(r.device->lastCall("createDevice")->ints[10], c.chosen);
    EXPECT_EQ(r.device->depthFormat(), c.chosen);
    EXPECT_TRUE(r.renderer->isOpen());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DepthFormatChoice,
    ::testing::Values(
        DepthCase{{D3DFMT_D32, D3DFMT_D24S8}, D3DFMT_D24S8, "Use 24/8 depth/stencil."},
        DepthCase{{D3DFMT_D32, D3DFMT_D24X4S4, D3DFMT_D16}, D3DFMT_D24X4S4, "Use 24/4 depth/stencil."},
        DepthCase{{D3DFMT_D16, D3DFMT_D32}, D3DFMT_D32, "Use 32/0 depth/stencil."},
        DepthCase{{D3DFMT_D16}, D3DFMT_D16, "Use 16/0 depth/stencil."},
        // D24X8 and D15S1 are probed but never chosen.
        DepthCase{{D3DFMT_D24X8, D3DFMT_D15S1}, D3DFMT_UNKNOWN, "No appropriate dept/stencil format found."}));

TEST(D3D8RendererStartup, LogsTheInitialisationChainInOrder) {
  LogCapture log;
  RecordingRenderer r;
  r.open();
  const std::vector<std::string> lines = log.messages();
  const std::vector<std::string> expected = {
      "Initializing Direct3D ...", "Obtained Direct3D interface.", "Use 24/8 depth/stencil.",
      "Card has hardware T&L.",    "Created Direct3D device.",     "Created print font.",
      "Direct3D initialization complete."};
  int previous = -1;
  for (const std::string& message : expected) {
    const int at = indexOf(lines, message);
    EXPECT_GT(at, previous) << message << "\n" << log.text();
    previous = at;
  }
}

TEST(D3D8RendererStartup, OpensAWindowedDeviceWithTheDisplayFormat) {
  RecordingRenderer r;
  r.device->displayMode().Format = D3DFMT_R5G6B5;
  r.open();
  const DeviceCall* create = r.device->lastCall("createDevice");
  ASSERT_NE(create, nullptr);
  // {adapter, type, behavior, width, height, format, count, swapEffect, windowed, auto, depth}
  const std::vector<std::int64_t> expected = {0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                              0, 0, D3DFMT_R5G6B5, 1, D3DSWAPEFFECT_DISCARD, 1, 1,
                                              D3DFMT_D24S8};
  EXPECT_EQ(create->ints, expected);
  EXPECT_EQ(r.device->state().renderStates[D3DRS_NORMALIZENORMALS], D3D_TRUE);
}

TEST(D3D8RendererStartup, WithoutHardwareTransformUsesSoftwareVertexProcessing) {
  LogCapture log;
  RecordingRenderer r;
  r.device->caps().DevCaps = 0;
  r.open();
  EXPECT_TRUE(contains(log.messages(), "Card doesn't support hardware T&L."));
  ASSERT_NE(r.device->lastCall("createDevice"), nullptr);
  EXPECT_EQ(r.device->lastCall("createDevice")->ints[2], D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST(D3D8RendererStartup, SendsEveryDefaultStateOnceAndCreatesBothBatches) {
  RecordingRenderer r;
  r.open();
  std::vector<std::int64_t> states;
  for (const DeviceCall& call : r.device->callsNamed("setRenderState")) states.push_back(call.ints[0]);
  // One call per state of the ten selectors' defaults (blend off leaves the factors alone).
  for (std::uint32_t state : {D3DRS_ALPHABLENDENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_SPECULARENABLE,
                              D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ZFUNC, D3DRS_STENCILENABLE,
                              D3DRS_COLORWRITEENABLE, D3DRS_CULLMODE, D3DRS_LIGHTING}) {
    EXPECT_EQ(std::count(states.begin(), states.end(), state), 1) << "state " << state;
  }
  const DeviceState& s = r.device->state();
  EXPECT_EQ(s.renderStates[D3DRS_SHADEMODE], D3DSHADE_GOURAUD);
  EXPECT_EQ(s.renderStates[D3DRS_SPECULARENABLE], D3D_FALSE);
  EXPECT_EQ(s.renderStates[D3DRS_ZFUNC], D3DCMP_LESSEQUAL);
  EXPECT_EQ(s.renderStates[D3DRS_STENCILENABLE], D3D_FALSE);
  EXPECT_EQ(s.renderStates[D3DRS_CULLMODE], D3DCULL_CCW);
  EXPECT_EQ(s.renderStates[D3DRS_LIGHTING], D3D_TRUE);
  EXPECT_EQ(r.renderer->renderState(), RenderFlags());

  const std::vector<DeviceCall> buffers = r.device->callsNamed("createVertexBuffer");
  ASSERT_EQ(buffers.size(), 2u);
  // {length, usage, fvf, pool, id}: the shadow batch of 1800 positions, then the particle batch
  // of 1200 coloured, textured vertices.
  EXPECT_EQ(buffers[0].ints[0], 1800 * 12);
  EXPECT_EQ(buffers[0].ints[1], 0x208);
  EXPECT_EQ(buffers[0].ints[2], D3DFVF_XYZ);
  EXPECT_EQ(buffers[0].ints[3], D3DPOOL_DEFAULT);
  EXPECT_EQ(buffers[1].ints[0], 1200 * 24);
  EXPECT_EQ(buffers[1].ints[1], 0x208);
  EXPECT_EQ(buffers[1].ints[2], 0x142);
  EXPECT_EQ(buffers[1].ints[3], D3DPOOL_DEFAULT);
  const DeviceCall* font = r.device->lastCall("createFont");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->text, "Arial");
  EXPECT_EQ(font->ints[0], 15);
}

TEST(D3D8RendererStartup, FontFailureStopsTheChainButKeepsTheDevice) {
  LogCapture log;
  RecordingRenderer r;
  r.device->failOn("createFont");
  r.open();
  const std::vector<std::string> lines = log.messages();
  EXPECT_TRUE(contains(lines, "Created Direct3D device."));
  EXPECT_FALSE(contains(lines, "Created print font."));
  EXPECT_FALSE(contains(lines, "Direct3D initialization complete."));
  EXPECT_TRUE(r.renderer->isOpen());
  r.startRecording();
  r.renderer->printText(1, 2, "no font");
  EXPECT_EQ(r.device->callCount("drawText"), 0);
}

TEST(D3D8RendererStartup, FailedDeviceCreationLeavesEveryOperationHarmless) {
  LogCapture log;
  RecordingRenderer r;
  r.device->failOn("createDevice");
  r.open();
  EXPECT_FALSE(contains(log.messages(), "Created Direct3D device."));
  EXPECT_FALSE(r.renderer->isOpen());
  EXPECT_EQ(r.renderer->device(), nullptr);
  r.startRecording();
  r.renderer->beginFrame();
  r.renderer->addLight(*RefPtr<Light>(new Light()));
  r.renderer->printText(0, 0, "x");
  r.renderer->endFrame();
  EXPECT_TRUE(r.device->calls().empty());
}

struct CapabilityCase {
  std::uint32_t textureUnits;
  std::uint32_t caps2;
  const char* message;
};

void PrintTo(const CapabilityCase& c, std::ostream* os) {
  *os << c.textureUnits << " units, caps2 " << c.caps2 << ": " << c.message;
}

class CapabilityFailure : public ::testing::TestWithParam<CapabilityCase> {};

TEST_P(CapabilityFailure, LogsReleasesAndExitsWithCodeOne) {
  const CapabilityCase& c = GetParam();
  ExitCapture exits;
  LogCapture log;
  RecordingRenderer r;
  r.device->caps().MaxSimultaneousTextures = c.textureUnits;
  r.device->caps().Caps2 = c.caps2;
  r.open();

  EXPECT_EQ(exits.codes, std::vector<int>{1});
  const std::vector<std::string> lines = log.messages();
  const int failure = indexOf(lines, c.message);
  const int shutdown = indexOf(lines, "Shutting down Direct3D ...");
  const int complete = indexOf(lines, "Direct3D shut down complete.");
  EXPECT_GE(failure, 0) << log.text();
  EXPECT_GT(shutdown, failure);
  EXPECT_GT(complete, shutdown);
  EXPECT_EQ(r.device->callCount("createDevice"), 0);
  EXPECT_FALSE(r.renderer->isOpen());

  // Destroying the renderer later does not shut down a second time.
  LogCapture after;
  r.close();
  EXPECT_FALSE(contains(after.messages(), "Shutting down Direct3D ..."));
}

INSTANTIATE_TEST_SUITE_P(
    Caps, CapabilityFailure,
    ::testing::Values(CapabilityCase{1, D3DCAPS2_CANRENDERWINDOWED, "Card has less than 2 textures units."},
                      CapabilityCase{0, D3DCAPS2_CANRENDERWINDOWED, "Card has less than 2 textures units."},
                      CapabilityCase{2, 0, "Card does not support windowed rendering."}));

TEST(D3D8RendererStartup, CapsQueryFailureReadsAsNoCapabilities) {
  ExitCapture exits;
  LogCapture log;
  RecordingRenderer r;
  r.device->failOn("getDeviceCaps");
  r.open();
  const std::string text = log.text();
  EXPECT_NE(text.find("Error getting device caps for a HAL device.\nSoftware rendering is not supported\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(DeviceCaps::instance().maxTextureUnits(), 0u);
  EXPECT_FALSE(DeviceCaps::instance().canRenderWindowed());
  // The depth formats are still probed on the display mode.
  EXPECT_TRUE(DeviceCaps::instance().supportsDepthFormat(1));
  EXPECT_EQ(exits.codes, std::vector<int>{1});
}

TEST(DeviceCapsQuery, ReadsCapabilityBitsAndDepthFormats) {
  RefPtr<RecordingDevice> device(new RecordingDevice(false));
  device->setDepthFormats({D3DFMT_D16, D3DFMT_D15S1});
  device->caps().TextureOpCaps = D3DTEXOPCAPS_MODULATE;
  device->caps().MaxSimultaneousTextures = 3;
  DeviceCaps caps;
  caps.query(device.get(), 5);  // no adapter 5: adapter 0 is asked
  EXPECT_EQ(device->lastCall("getDeviceCaps")->ints[0], 0);
  EXPECT_TRUE(caps.hasHardwareTnL());
  EXPECT_TRUE(caps.canRenderWindowed());
  EXPECT_FALSE(caps.hasDot3());
  EXPECT_EQ(caps.maxTextureUnits(), 3u);
  const bool expected[6] = {false, false, false, false, true, true};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(caps.supportsDepthFormat(i), expected[i]) << i;
  EXPECT_FALSE(caps.supportsDepthFormat(6));
  EXPECT_EQ(device->callCount("checkDepthStencilFormat"), 6);
}

TEST(DeviceCapsQuery, WithoutDeviceEverythingIsAbsent) {
  LogCapture log;
  DeviceCaps caps;
  caps.query(nullptr, 0);
  EXPECT_NE(log.text().find("Couldn't obtain Direct3D interface"), std::string::npos);
  EXPECT_FALSE(caps.hasHardwareTnL());
  EXPECT_EQ(caps.maxTextureUnits(), 0u);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(caps.supportsDepthFormat(i));
}

TEST(D3D8RendererShutdown, ReleasesBatchesUnbindsStagesAndLogs) {
  RecordingRenderer r;
  r.open();
  const std::vector<DeviceCall> created = r.device->callsNamed("createVertexBuffer");
  ASSERT_EQ(created.size(), 2u);
  const std::int64_t shadowId = created[0].ints[4];
  const std::int64_t particleId = created[1].ints[4];
  r.startRecording();
  LogCapture log;
  r.close();

  const std::vector<std::string> lines = log.messages();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "Shutting down Direct3D ...");
  EXPECT_EQ(lines.back(), "Direct3D shut down complete.");
  const std::vector<DeviceCall> releases = r.device->callsNamed("releaseVertexBuffer");
  ASSERT_EQ(releases.size(), 2u);
  EXPECT_EQ(releases[0].ints[0], particleId);
  EXPECT_EQ(releases[1].ints[0], shadowId);
  const std::vector<DeviceCall> unbinds = r.device->callsNamed("setTexture");
  ASSERT_EQ(unbinds.size(), 4u);
  for (int stage = 0; stage < 4; ++stage) {
    EXPECT_EQ(unbinds[stage].ints, (std::vector<std::int64_t>{stage, 0}));
  }
  EXPECT_EQ(r.device->callCount("releaseFont"), 1);
  EXPECT_EQ(r.device->liveObjectCount(), 0);
}

}  // namespace
