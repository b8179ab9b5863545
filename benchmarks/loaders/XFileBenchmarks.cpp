#include <benchmark/benchmark.h>

#include <string>

#include "loaders/TextScanner.h"
#include "loaders/XFileLoader.h"

// The generated tiger (2474 vertices, 3536 triangles, 376 kB of text) read through assimp and
// converted, without its texture. Most of a load is the trial read in a child process (which keeps
// assimp's failures on damaged files out of this one) and assimp's own reading, which happen twice.
namespace {

void BM_XFileLoadTiger(benchmark::State& state) {
  std::string bytes;
  if (!readWholeFile(std::string(TESTBED_BINARY_DIR) + "/data/xfiles/tiger.x", bytes)) {
    state.SkipWithError("no tiger.x: generate the sample data first");
  }
  for (auto _ : state) {
    RefPtr<Model> model = loadXFileFromMemory(bytes.data(), bytes.size(), "tiger.x", nullptr, {});
    benchmark::DoNotOptimize(model.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_XFileLoadTiger)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
