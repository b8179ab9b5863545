#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/RecordingDevice.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ObjectLoader.h"
#include "render/D3D8Renderer.h"

namespace scenetest {

// The services a context that loads models reaches through their holders: a renderer on a
// recording device (offering the given depth formats), the texture manager and the object loader,
// with "data" pointing at the build's generated data set unless a test says otherwise. Time runs
// in fixed 20 ms steps from 0.
class LoadedScene : public ::testing::Test {
 protected:
  void open(std::vector<std::uint32_t> depthFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16}) {
    device = new RecordingDevice(false);
    device->setDepthFormats(std::move(depthFormats));
    rendererHolder() = new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
    TextureManager::instance() = new TextureManager(device, 1);
    ObjectLoader::instance() = new ObjectLoader(TextureManager::instance(), rendererHolder());
  }
  void SetUp() override {
    Timer::instance().reset();
    Timer::instance().setFixedStep(20.0);
    useData(std::string(TESTBED_BINARY_DIR) + "/data");
  }
  void TearDown() override {
    ObjectLoader::instance().reset();
    TextureManager::instance().reset();
    rendererHolder().reset();
    VariableTable::instance().clear();
    Timer::instance().setFixedStep(0.0);
    Timer::instance().reset();
  }
  static void useData(const std::string& directory) { VariableTable::instance().set(Variable("data", directory)); }

  RefPtr<RecordingDevice> device;
};

}  // namespace scenetest
