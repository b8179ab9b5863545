#include <benchmark/benchmark.h>

#include <vector>

#include "engine/Camera.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "render/D3D8Renderer.h"
#include "device/GlDevice.h"
#include "device/RecordingDevice.h"

namespace {

constexpr int kMeshCount = 10000;

// 10 000 small boxes, each with its own mesh, on a grid in front of the default camera.
struct GridScene {
  GridScene() {
    for (int i = 0; i < kMeshCount; ++i) {
      RefPtr<SceneNode> node(new SceneNode());
      const float x = static_cast<float>(i % 100) - 49.5f;
      const float y = static_cast<float>(i / 100) - 49.5f;
      node->local().setTranslation(Vector3(x * 0.9f, y * 0.7f, 60.0f));
      node->updateWorld();
      RefPtr<MeshInstance> instance(new MeshInstance(node, Mesh::createBox(0.5f, 0.5f, 0.5f)));
      instance->updateBounds();
      scene.addInstance(instance);
    }
  }
  Scene scene;
};

void renderFrames(benchmark::State& state, D3D8Renderer& renderer, GridScene& grid,
                  RecordingDevice* recording) {
  // The first frame creates and fills every mesh's buffers.
  renderer.beginFrame();
  renderer.renderScene(grid.scene);
  renderer.endFrame();
  for (auto _ : state) {
    renderer.beginFrame();
    renderer.renderScene(grid.scene);
    renderer.endFrame();
    if (recording) recording->clearCalls();
  }
  state.SetItemsProcessed(state.iterations() * kMeshCount);
  state.counters["draws/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kMeshCount, benchmark::Counter::kIsRate);
}

// CPU cost of the scene pass per mesh: culling, state cache, material, buffer binding and the
// draw call, against a device that only records.
void BM_RenderSceneRecording(benchmark::State& state) {
  RefPtr<RecordingDevice> device(new RecordingDevice(false));
  RefPtr<D3D8Renderer> renderer(new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f)));
  rendererHolder() = renderer.get();
  GridScene grid;
  device->clearCalls();
  renderFrames(state, *renderer, grid, device.get());
  rendererHolder().reset();
}
BENCHMARK(BM_RenderSceneRecording)->Unit(benchmark::kMillisecond);

// The same frame on the headless OpenGL device: draws per second end to end (wall clock, since
// llvmpipe rasterises on its own threads).
void BM_RenderSceneHeadlessGl(benchmark::State& state) {
  RefPtr<GlDevice> device = GlDevice::createHeadless(640, 480);
  if (!device) {
    state.SkipWithError("no headless OpenGL context");
    return;
  }
  RefPtr<D3D8Renderer> renderer(new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f)));
  rendererHolder() = renderer.get();
  GridScene grid;
  renderFrames(state, *renderer, grid, nullptr);
  rendererHolder().reset();
}
BENCHMARK(BM_RenderSceneHeadlessGl)->Unit(benchmark::kMillisecond)->UseRealTime();

// One mesh drawn again and again: the renderer's own cost per draw call.
void BM_DrawMeshRecording(benchmark::State& state) {
  RefPtr<RecordingDevice> device(new RecordingDevice(false));
  RefPtr<D3D8Renderer> renderer(new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f)));
  rendererHolder() = renderer.get();
  RefPtr<Mesh> box = Mesh::createBox(1, 1, 1);
  RefPtr<Material> material(new Material(1));
  renderer->setMaterial(material.get());
  renderer->drawMesh(*box);
  int sinceClear = 0;
  for (auto _ : state) {
    renderer->drawMesh(*box);
    if (++sinceClear == 4096) {
      state.PauseTiming();
      device->clearCalls();
      sinceClear = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
  rendererHolder().reset();
}
BENCHMARK(BM_DrawMeshRecording);

}  // namespace
