#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <time.h>
#include <vector>

#include "water/ChoppyFftOcean.h"
#include "water/ComplexHeightSource.h"
#include "water/FloatHeightSource.h"
#include "water/GerstnerWaveField.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/SpringWaterGrid.h"
#include "water/WaterHeightField2D.h"

namespace {

constexpr double kFrameSec = 0.016;

// The ocean scene's per-frame work: spectrum, three inverse FFTs, sign correction and the
// in-place rebuild of positions and normals.
struct OceanFrame {
  ChoppyFftOcean ocean{-0.15f, 6, 6, 0.0008f, 30.0f, 10.0f, 100.0f, 100.0f};
  RefPtr<ComplexHeightSource> source;
  HeightFieldMeshBuilder builder;
  float* positions = nullptr;
  float* normals = nullptr;
  std::uint32_t vertexCount = 0;
  double time = 0.0;

  OceanFrame()
      : source(new ComplexHeightSource(ocean.heights(), 64, 64, -60.0f, 60.0f)),
        builder(source, 64, 64, ocean.displacementX(), ocean.displacementZ()) {
    ocean.evaluate(0.0);
    builder.build(true, vertexCount, &positions, &normals, nullptr, nullptr, nullptr);
    builder.setVerticalRange(-8.0f, 8.0f);
  }
  ~OceanFrame() {
    delete[] positions;
    delete[] normals;
  }
  void run() {
    time += kFrameSec;
    ocean.evaluate(time);
    builder.build(false, vertexCount, &positions, &normals, nullptr, nullptr, nullptr);
  }
};

// The floor under the ocean: the three bare 64 × 64 inverse transforms on one plan.
struct FftFloor {
  fftwf_complex* fields[3];
  fftwf_plan plan;
  FftFloor() {
    for (auto& f : fields) {
      f = fftwf_alloc_complex(64 * 64);
      for (int i = 0; i < 64 * 64; ++i) f[i][0] = f[i][1] = 0.001f * (i % 17);
    }
    plan = fftwf_plan_dft_2d(64, 64, fields[0], fields[0], FFTW_BACKWARD, FFTW_ESTIMATE);
  }
  ~FftFloor() {
    fftwf_destroy_plan(plan);
    for (auto& f : fields) fftwf_free(f);
  }
  void run() {
    for (auto& f : fields) fftwf_execute_dft(plan, f, f);
  }
};

void BM_ChoppyOceanUpdate(benchmark::State& state) {
  OceanFrame frame;
  for (auto _ : state) {
    frame.run();
    benchmark::DoNotOptimize(frame.positions[0]);
  }
}
BENCHMARK(BM_ChoppyOceanUpdate);

void BM_ChoppyOceanFftFloor(benchmark::State& state) {
  FftFloor floor;
  for (auto _ : state) {
    floor.run();
    benchmark::DoNotOptimize(floor.fields[0][0][0]);
  }
}
BENCHMARK(BM_ChoppyOceanFftFloor);

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Both in one run, interleaved and on this thread's CPU clock, so the ratio holds on a busy
// machine too.
void BM_ChoppyOceanUpdateOverFloor(benchmark::State& state) {
  OceanFrame frame;
  FftFloor floor;
  double updateSec = 0.0, floorSec = 0.0;
  for (auto _ : state) {
    const double a = threadSeconds();
    frame.run();
    const double b = threadSeconds();
    floor.run();
    const double c = threadSeconds();
    updateSec += b - a;
    floorSec += c - b;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["update_us"] = updateSec / n * 1e6;
  state.counters["floor_us"] = floorSec / n * 1e6;
  state.counters["ratio"] = floorSec > 0.0 ? updateSec / floorSec : 0.0;
}
BENCHMARK(BM_ChoppyOceanUpdateOverFloor);

void BM_GerstnerUpdate(benchmark::State& state) {
  GerstnerWaveField field(60, 60, 60.0f, 60.0f);
  field.addWave(1, 1, 5, 0.1f, 1);
  field.addWave(2, 1, 20, 0.8f, 3);
  field.addWave(3, 2, 10, 0.3f, 2);
  field.addWave(2, 1, 40, 1.4f, 9);
  std::vector<float> positions(field.vertexCount() * 3);
  double time = 0.0;
  for (auto _ : state) {
    time += kFrameSec;
    field.evaluate(time, positions.data());
    benchmark::DoNotOptimize(positions[0]);
  }
}
BENCHMARK(BM_GerstnerUpdate);

// One 16 ms frame of a grid scene: one simulation step and the in-place rebuild.
template <typename Step, typename Heights>
void gridFrame(benchmark::State& state, Step step, Heights heights, std::uint32_t side, float d) {
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights(), side, side, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source);
  float* positions = nullptr;
  float* normals = nullptr;
  std::uint32_t vertexCount = 0;
  builder.build(true, vertexCount, &positions, &normals, nullptr, nullptr, nullptr);
  builder.setVerticalRange(-d, d);
  for (auto _ : state) {
    step();
    source->setData(heights());
    builder.build(false, vertexCount, &positions, &normals, nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(positions[0]);
  }
  delete[] positions;
  delete[] normals;
}

void BM_NewaveUpdate(benchmark::State& state) {
  SpringWaterGrid grid(60, 0.01f);
  grid.reset(7);
  gridFrame(state, [&] { grid.step(); }, [&] { return grid.heights(); }, 60, 8.0f);
}
BENCHMARK(BM_NewaveUpdate);

void BM_Water2DUpdate(benchmark::State& state) {
  WaterHeightField2D field(60, 60, 1.0f);
  field.disturb(30, 30);
  field.disturb(10, 20);
  field.disturb(40, 50);
  gridFrame(state, [&] { field.step(); }, [&] { return field.current(); }, 60, 15.0f);
}
BENCHMARK(BM_Water2DUpdate);

}  // namespace
