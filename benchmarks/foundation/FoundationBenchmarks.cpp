// Costs of the services that sit on every file open and every frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/FileResolver.h"
#include "foundation/Path.h"
#include "foundation/StringUtils.h"
#include "foundation/VariableTable.h"

namespace {

// Removes the benchmark's data tree when the program ends.
struct TreeRemover {
  std::string path;
  ~TreeRemover() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
};

// A data tree of 3 levels, 20 entries in each folder.
const std::string& dataTree() {
  static TreeRemover remover;
  static const std::string root = [] {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("testbed-bench-" + std::to_string(::getpid()));
    for (int a = 0; a < 20; ++a) {
      for (int b = 0; b < 20; ++b) {
        const std::filesystem::path folder = dir / ("Folder" + std::to_string(a)) / ("Sub" + std::to_string(b));
        std::filesystem::create_directories(folder);
        if (a == 7) {
          for (int c = 0; c < 20; ++c) std::ofstream(folder / ("File" + std::to_string(c) + ".tga")) << "x";
        }
      }
    }
    remover.path = dir.string();
    return dir.string();
  }();
  return root;
}

void BM_ResolveExactPath(benchmark::State& state) {
  const std::string path = dataTree() + "/Folder7/Sub3/File5.tga";
  for (auto _ : state) benchmark::DoNotOptimize(resolveFilePath(path));
}
BENCHMARK(BM_ResolveExactPath);

void BM_ResolveCaseFoldedPath(benchmark::State& state) {
  const std::string path = dataTree() + "/folder7/SUB3/file5.TGA";
  for (auto _ : state) benchmark::DoNotOptimize(resolveFilePath(path));
}
BENCHMARK(BM_ResolveCaseFoldedPath);

void BM_ResolveMissingPath(benchmark::State& state) {
  const std::string path = dataTree() + "/folder7/SUB3/none.tga";
  for (auto _ : state) benchmark::DoNotOptimize(resolveFilePath(path));
}
BENCHMARK(BM_ResolveMissingPath);

void BM_DataFilePath(benchmark::State& state) {
  const Path base("/home/user/testbed/");
  for (auto _ : state) {
    Path path = base + "data";
    path.append("/Textures/fire.tga");
    benchmark::DoNotOptimize(path.full());
  }
}
BENCHMARK(BM_DataFilePath);

void BM_VariableLookup(benchmark::State& state) {
  VariableTable table;
  for (int i = 0; i < 32; ++i) table.set(Variable("variable" + toString(i), toString(i)));
  for (auto _ : state) benchmark::DoNotOptimize(table.get("variable17").asFloat());
}
BENCHMARK(BM_VariableLookup);

void BM_SplitFirstWord(benchmark::State& state) {
  const std::string line = "v 0.125 -3.5 12.0";
  std::string word, rest;
  for (auto _ : state) {
    splitFirstWord(line, word, rest);
    benchmark::DoNotOptimize(rest);
  }
}
BENCHMARK(BM_SplitFirstWord);

}  // namespace
