#include <benchmark/benchmark.h>

#include <string>

#include "effects/Md3Model.h"

namespace {

// One frame of the MD3 viewer's character: legs and torso advanced by 16 ms (blending every
// vertex of their meshes between two key frames), tags placed, world transforms and bounds.
void BM_Md3ModelUpdate(benchmark::State& state) {
  std::unique_ptr<Md3Model> model = Md3Model::load(std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3",
                                                   "models/players/klesk", nullptr);
  if (!model) {
    state.SkipWithError("the character did not load");
    return;
  }
  model->lower().setAnimation("LEGS_RUN");
  model->upper().setAnimation("TORSO_GESTURE");
  for (auto _ : state) model->update(16.0);
}
BENCHMARK(BM_Md3ModelUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
