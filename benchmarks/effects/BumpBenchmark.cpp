// CPU cost of one frame of the bump-mapped character viewer, without drawing: the animation (frame
// blending, tangent frames included), the light on every surface and the light and half vectors
// of every bump material, for the character the viewer starts with, loaded from the generated game
// archive with textures on the recording device.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "device/RecordingDevice.h"
#include "effects/BumpMaterial.h"
#include "effects/BumpSurfaces.h"
#include "effects/Md3Model.h"
#include "engine/Mesh.h"
#include "image/TextureManager.h"

namespace {

constexpr const char* kModel = "models/players/klesk";
constexpr double kFrameMs = 1000.0 / 60.0;

void BM_BumpCharacterFrame(benchmark::State& state) {
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  RefPtr<TextureManager> textures(new TextureManager(device, 1));
  std::unique_ptr<Md3Model> character =
      Md3Model::load(std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3", kModel, textures.get());
  if (!character) {
    state.SkipWithError("no generated game archive");
    return;
  }
  const auto& instances = character->model()->instances();
  applyBumpMaterials(instances, textures.get());
  character->lower().setAnimation("LEGS_RUN");
  character->upper().setAnimation("TORSO_ATTACK");
  // The camera 50 units behind the character, the light along its view.
  const Vector3 eye(0.0f, 5.0f, -50.0f);
  const float light[4] = {0.0f, -0.1f, -1.0f, 0.0f};
  std::uint32_t vertices = 0;
  for (const auto& instance : instances) vertices += instance->mesh()->vertexCount();

  for (auto _ : state) {
    character->update(kFrameMs);
    setInstanceLights(instances, light);
    for (const auto& instance : instances) {
      if (auto* bump = dynamic_cast<BumpMaterial*>(instance->material())) {
        bump->setInstance(instance.get());
        bump->updateVectors(eye);
        bump->setInstance(nullptr);
      }
    }
    benchmark::DoNotOptimize(instances.front()->mesh()->colors(0).data());
  }
  state.counters["surfaces"] = static_cast<double>(instances.size());
  state.counters["vertices"] = vertices;
}
BENCHMARK(BM_BumpCharacterFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
