#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/Mesh.h"
#include "engine/ParticleEmitter.h"
#include "engine/ShadowVolume.h"

namespace {

// Closed sphere of s·(s − 2) triangles.
void BM_AdjacencyClosedSphere(benchmark::State& state) {
  RefPtr<Mesh> sphere = Mesh::createSphere(1.0f, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sphere->buildAdjacency();
    benchmark::DoNotOptimize(sphere->adjacency().data());
  }
  state.SetComplexityN(sphere->triangleCount());
  state.counters["triangles"] = sphere->triangleCount();
  // Time per triangle (10^6 / perTriangle in ns = triangles per ms): flat for a linear build whose
  // arrays stay in the cache.
  state.counters["perTriangle"] = benchmark::Counter(sphere->triangleCount(),
                                                     benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// 124 → 15 128 triangles, 246 → 60 024 triangles.
BENCHMARK(BM_AdjacencyClosedSphere)->Arg(62)->Arg(124)->Arg(174)->Arg(246)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ShadowVolumeRebuild(benchmark::State& state) {
  RefPtr<Mesh> sphere = Mesh::createSphere(1.0f, 72);  // 5 040 triangles
  sphere->computeFacePlanes();
  sphere->buildAdjacency();
  ShadowVolume volume(sphere.get());
  for (auto _ : state) {
    volume.build(3.0f, 4.0f, -5.0f, 1.0f);
    benchmark::DoNotOptimize(volume.vertices().data());
  }
  state.counters["triangles"] = sphere->triangleCount();
  state.counters["vertices"] = volume.vertexCount();
}
BENCHMARK(BM_ShadowVolumeRebuild)->Unit(benchmark::kMicrosecond);

void BM_EmitterUpdate300(benchmark::State& state) {
  ParticleEmitter emitter(300.0f, 1.0f);  // steady state: 300 living particles in 330 slots
  emitter.setDirection(Vector3(0, 2, 0));
  emitter.setSpread(0.4f);
  emitter.setColors(Color(0xFF8000FFu), Color(0x20202000u));
  emitter.setSizes(1.0f, 3.0f);
  emitter.setRotations(0.0f, 2.0f);
  for (int i = 0; i < 200; ++i) emitter.update(16.0);
  for (auto _ : state) {
    emitter.update(16.0);
    benchmark::DoNotOptimize(emitter.particle(0));
  }
  state.counters["living"] = emitter.liveCount();
}
BENCHMARK(BM_EmitterUpdate300)->Unit(benchmark::kMicrosecond);

void BM_FrameBlend2000(benchmark::State& state) {
  const std::uint32_t n = 2000;
  std::vector<Vector3> p0(n), p1(n), n0(n), n1(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const float a = static_cast<float>(i) * 0.01f;
    p0[i] = Vector3(std::cos(a), std::sin(a), a);
    p1[i] = Vector3(std::cos(a) * 1.1f, std::sin(a) * 0.9f, a + 0.5f);
    n0[i] = Vector3(0, 0, 1);
    n1[i] = Vector3(0, 1, 0);
  }
  RefPtr<Mesh> mesh(new Mesh(2, n, p0, n0));
  mesh->frame(1)->positions = p1;
  mesh->frame(1)->normals = n1;
  mesh->computeBounds();
  float t = 0.1f;
  for (auto _ : state) {
    mesh->setFrames(0, 1, t);
    t = t > 0.8f ? 0.1f : t + 0.1f;
    benchmark::DoNotOptimize(mesh->current().positions.data());
  }
}
BENCHMARK(BM_FrameBlend2000)->Unit(benchmark::kMicrosecond);

}  // namespace
