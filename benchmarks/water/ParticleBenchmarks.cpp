#include <benchmark/benchmark.h>

#include "engine/Color.h"
#include "engine/ParticleEmitter.h"

namespace {

// The particle scene's two emitters, updated once per 16 ms frame after their pools filled.
void BM_FireAndSmokeUpdate(benchmark::State& state) {
  ParticleEmitter fire(20.0f, 1.0f);
  fire.setPosition(Vector3(-2.0f, 0.0f, 0.0f));
  fire.setDirection(Vector3(0.0f, 1.0f, 0.0f));
  fire.setSpread(20.0f * 3.1415927f * 0.0055555557f);
  fire.setColors(Color(1.0f, 1.0f, 0.0f, 1.0f), Color(1.0f, 0.0f, 0.0f, 0.5f));
  fire.setSizes(1.0f, 0.8f);
  ParticleEmitter smoke(5.0f, 3.0f);
  smoke.setPosition(Vector3(2.0f, 0.0f, 0.0f));
  smoke.setDirection(Vector3(0.0f, 1.5f, 0.0f));
  smoke.setSpread(5.0f * 3.1415927f * 0.0055555557f);
  smoke.setColors(Color(0.2f, 0.2f, 0.2f, 0.8f), Color(0.9f, 0.9f, 0.9f, 0.0f));
  smoke.setSizes(0.8f, 2.0f);
  for (int i = 0; i < 300; ++i) {
    fire.update(16.0);
    smoke.update(16.0);
  }
  for (auto _ : state) {
    fire.update(16.0);
    smoke.update(16.0);
    benchmark::DoNotOptimize(fire.particle(0).position.x);
  }
  state.counters["fire_live"] = fire.liveCount();
  state.counters["smoke_live"] = smoke.liveCount();
}
BENCHMARK(BM_FireAndSmokeUpdate);

}  // namespace
