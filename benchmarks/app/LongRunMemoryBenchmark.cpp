// Resident memory over a long run of one context: the program's own data set and settings (the
// build folder's Test.set) at 320 x 240, fixed 20 ms steps. The counters give the resident set
// after 100, 1000, 2000 and 3000 frames; "growth_KiB" is the rise from frame 100 to frame 1000 and
// "later_KiB" the rise from frame 2000 to frame 3000, so a warm-up that settles (llvmpipe's
// rendering threads take up to a few thousand frames) can be told from memory that keeps growing. LongRunMemoryGl draws with OpenGL (llvmpipe here), LongRunMemoryRecording
// on the recording device (the engine's own memory alone); one device kind per process.
// scripts/longrun.sh runs each context in a process of its own:
//   bench_app --benchmark_filter='^LongRunMemoryGl/<index>/'
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include "app/OffscreenSurface.h"
#include "app/TestApplication.h"
#include "benchmarks/app/BenchApplication.h"
#include "engine/Context.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"

namespace {

// Frames after which the resident set is read; the run ends with the last.
constexpr int kReadings[] = {100, 1000, 2000, 3000};

double residentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The program's set-up, run from the build folder where the data set and Test.set are.
void setUpProgramSettings() {
  std::error_code error;
  std::filesystem::current_path(TESTBED_BINARY_DIR, error);
  VariableTable& variables = VariableTable::instance("Test.set");
  variables.set(Variable("resolutionX", "320"));
  variables.set(Variable("resolutionY", "240"));
  Timer::instance().setFixedStep(20.0);
}

void longRun(benchmark::State& state, OffscreenSurface::Kind kind) {
  OffscreenSurface::Kind madeFor;
  TestApplication& app = benchApplication(kind, setUpProgramSettings, madeFor);
  if (madeFor != kind) {
    state.SkipWithError("one device kind per run: filter on LongRunMemoryGl or LongRunMemoryRecording");
    return;
  }
  if (!app.window() || app.contextList().size() <= static_cast<std::size_t>(state.range(0))) {
    state.SkipWithError("no device or no such context");
    return;
  }
  Context* context = app.contextList()[static_cast<std::size_t>(state.range(0))];
  app.selectContext(context->name());
  state.SetLabel(context->name());
  double readings[4] = {};
  for (auto _ : state) {
    std::size_t next = 0;
    for (int frame = 1; frame <= kReadings[3]; ++frame) {
      app.window()->processEvents();
      app.update();
      app.render();
      if (frame == kReadings[next]) readings[next++] = residentKiB();
    }
  }
  state.counters["rss100_KiB"] = readings[0];
  state.counters["rss1000_KiB"] = readings[1];
  state.counters["rss3000_KiB"] = readings[3];
  state.counters["growth_KiB"] = readings[1] - readings[0];
  state.counters["later_KiB"] = readings[3] - readings[2];
}

void LongRunMemoryGl(benchmark::State& state) { longRun(state, OffscreenSurface::Kind::Gl); }
void LongRunMemoryRecording(benchmark::State& state) { longRun(state, OffscreenSurface::Kind::Recording); }

}  // namespace

BENCHMARK(LongRunMemoryGl)->DenseRange(0, 11)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LongRunMemoryRecording)->DenseRange(0, 11)->Iterations(1)->Unit(benchmark::kMillisecond);
