#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "loaders/ObjLoader.h"
#include "tools/datagen/GenMesh.h"
#include "tools/datagen/ObjWriter.h"

// Reading a big OBJ file as the generator writes them (six decimals, a "v", "vt" and "vn" line per
// vertex, "f p/t/n" triangles): a finely divided ellipsoid of 131 841 vertices and 262 144
// triangles, about 22 MB, one material group (split into three meshes by the 16-bit limit).
// Textures are not part of it: no texture manager, and the library it names does not exist.
namespace {

constexpr int kSlices = 512;
constexpr int kStacks = 256;

struct BigObj {
  std::string text;
  std::string path;
  std::size_t vertices = 0;
  std::size_t triangles = 0;
};

const BigObj& bigObj() {
  static const BigObj file = [] {
    BigObj out;
    ObjGroup group;
    group.name = "skin";
    group.mesh.addEllipsoid(Xform(), {2.0f, 1.0f, 1.0f}, kSlices, kStacks, 0.0f, 0.0f, 1.0f);
    out.vertices = group.mesh.vertexCount();
    out.triangles = group.mesh.triangleCount();
    out.text = ObjWriter::obj({group}, "absent.mtl", "benchmark ellipsoid");
    out.path = (std::filesystem::temp_directory_path() / "testbed-bench-big.obj").string();
    std::ofstream(out.path, std::ios::binary) << out.text;
    return out;
  }();
  return file;
}

void count(benchmark::State& state, const BigObj& file) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.text.size()));
  state.counters["vertices/s"] = benchmark::Counter(static_cast<double>(state.iterations() * file.vertices),
                                                     benchmark::Counter::kIsRate);
  state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(state.iterations() * file.triangles),
                                                      benchmark::Counter::kIsRate);
}

// What loadObject does for a new ".obj" path: the file read, parsed and built into meshes.
void BM_ObjLoadFile(benchmark::State& state) {
  const BigObj& file = bigObj();
  for (auto _ : state) {
    RefPtr<Model> model = ObjLoader(file.path, nullptr).createModel(false, false, false);
    if (!model) state.SkipWithError("the file did not load");
    benchmark::DoNotOptimize(model.get());
  }
  count(state, file);
}
BENCHMARK(BM_ObjLoadFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Parsing and vertex sharing alone, from text already in memory.
void BM_ObjParseFromMemory(benchmark::State& state) {
  const BigObj& file = bigObj();
  for (auto _ : state) {
    ObjLoader loader(file.text, file.path, nullptr);
    benchmark::DoNotOptimize(loader.groups().data());
  }
  count(state, file);
}
BENCHMARK(BM_ObjParseFromMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Turning the parsed groups into engine meshes (copies of the arrays, bounds) alone.
void BM_ObjCreateModel(benchmark::State& state) {
  const BigObj& file = bigObj();
  ObjLoader loader(file.text, file.path, nullptr);
  for (auto _ : state) {
    RefPtr<Model> model = loader.createModel(false, false, false);
    benchmark::DoNotOptimize(model.get());
  }
  count(state, file);
}
BENCHMARK(BM_ObjCreateModel)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
