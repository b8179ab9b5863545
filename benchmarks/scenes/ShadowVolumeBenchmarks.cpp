#include <benchmark/benchmark.h>

#include <string>

#include "device/RecordingDevice.h"
#include "engine/MeshInstance.h"
#include "engine/ShadowVolume.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ObjectLoader.h"
#include "render/D3D8Renderer.h"
#include "scenes/ShadowVolumeContext.h"

// One frame of the shadow scene on the recording device: the context's update (light, fire,
// casters' light) and the CPU side of its render (culling, the three shadow volume rebuilds from
// the tiger's 3536 and the boxes' 12 triangles, the ambient, stencil and lit passes through the
// state cache, the particles), 20 ms of engine time per frame. Reads the build's sample data.
namespace {

struct ShadowScene {
  RefPtr<RecordingDevice> device{new RecordingDevice(false)};
  ShadowVolumeContext context;

  ShadowScene() {
    VariableTable::instance().set(Variable("data", std::string(TESTBED_BINARY_DIR) + "/data"));
    rendererHolder() = new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
    TextureManager::instance() = new TextureManager(device, 1);
    ObjectLoader::instance() = new ObjectLoader(TextureManager::instance(), rendererHolder());
    Timer::instance().reset();
    Timer::instance().setFixedStep(20.0);
    context.init();
  }
  ~ShadowScene() {
    ObjectLoader::instance().reset();
    TextureManager::instance().reset();
    rendererHolder().reset();
  }
  std::size_t volumeVertices() const {
    std::size_t n = 0;
    for (const auto& instance : context.scene().instances()) n += instance->shadow() ? instance->shadow()->vertexCount() : 0;
    for (const auto& model : context.scene().objects()) {
      for (const auto& instance : model->instances()) n += instance->shadow() ? instance->shadow()->vertexCount() : 0;
    }
    return n;
  }
};

void BM_ShadowVolumeFrame(benchmark::State& state) {
  ShadowScene scene;
  Renderer& renderer = *rendererHolder();
  if (!ShadowVolumeContext::hasStencil() || scene.context.scene().objects().empty()) {
    state.SkipWithError("no stencil or no tiger (is the sample data generated?)");
  }
  for (auto _ : state) {
    Timer::instance().tick();
    scene.context.update();
    renderer.beginFrame();
    scene.context.render();
    renderer.endFrame();
    // The device's record of calls would otherwise grow for the whole run.
    scene.device->clearCalls();
  }
  state.counters["volume vertices"] = static_cast<double>(scene.volumeVertices());
}
BENCHMARK(BM_ShadowVolumeFrame)->Unit(benchmark::kMicrosecond);

// The three casters' volume rebuilds alone, as the frame above makes them.
void BM_ShadowVolumeRebuilds(benchmark::State& state) {
  ShadowScene scene;
  Timer::instance().tick();
  scene.context.update();
  const Scene& content = scene.context.scene();
  for (auto _ : state) {
    for (const auto& instance : content.instances()) instance->updateShadow();
    for (const auto& model : content.objects()) {
      for (const auto& instance : model->instances()) instance->updateShadow();
    }
    benchmark::ClobberMemory();
  }
  state.counters["volume vertices"] = static_cast<double>(scene.volumeVertices());
}
BENCHMARK(BM_ShadowVolumeRebuilds)->Unit(benchmark::kMicrosecond);

}  // namespace
