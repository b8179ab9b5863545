// Cost of whole frames of the test application (update, then render with the overlay) for each
// context, on the recording device (the engine's own CPU cost) and on the off-screen OpenGL
// device at 320 x 240.
#include <benchmark/benchmark.h>

#include "app/OffscreenSurface.h"
#include "app/TestApplication.h"
#include "benchmarks/app/BenchApplication.h"
#include "engine/Context.h"
#include "foundation/Timer.h"
#include "foundation/Variable.h"
#include "foundation/VariableTable.h"

namespace {

void setUpSettings() {
  VariableTable& variables = VariableTable::instance();
  variables.set(Variable("windowName", "bench"));
  variables.set(Variable("resolutionX", "320"));
  variables.set(Variable("resolutionY", "240"));
  Timer::instance().setFixedStep(1000.0 / 60.0);
}

void frames(benchmark::State& state, OffscreenSurface::Kind kind) {
  OffscreenSurface::Kind madeFor;
  TestApplication& app = benchApplication(kind, setUpSettings, madeFor);
  if (madeFor != kind) {
    state.SkipWithError("one device kind per run: use --benchmark_filter=RecordingFrame or OpenGlFrame");
    return;
  }
  if (!app.window() || app.contextList().empty()) {
    state.SkipWithError("no device");
    return;
  }
  Context* context = app.contextList()[static_cast<std::size_t>(state.range(0))];
  app.selectContext(context->name());
  state.SetLabel(context->name());
  for (auto _ : state) {
    app.window()->processEvents();
    app.update();
    app.render();
  }
}

void RecordingFrame(benchmark::State& state) { frames(state, OffscreenSurface::Kind::Recording); }

void OpenGlFrame(benchmark::State& state) { frames(state, OffscreenSurface::Kind::Gl); }

}  // namespace

BENCHMARK(RecordingFrame)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenGlFrame)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);
