#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "device/RecordingDevice.h"
#include "foundation/Random.h"
#include "foundation/VariableTable.h"
#include "image/Image.h"
#include "image/TextureManager.h"
#include "scenes/TerrainContext.h"
#include "scenes/TerrainRecipe.h"
#include "scenes/TerrainTextureSynthesis.h"
#include "water/HeightFieldMeshBuilder.h"

// What a press of the space bar costs in the terrain scene, per mode (0 height map, 1 fault,
// 2 midpoint, 3 deposition), whole and in its parts: making the heights, building the mesh arrays
// and synthesising the 256 × 256 texture. Every run starts the random numbers afresh, so each
// iteration makes the same terrain. Reads the sample data of the build directory.
namespace {

const std::string& textureDirectory() {
  static const std::string directory = [] {
    VariableTable::instance().set(Variable("data", std::string(TESTBED_BINARY_DIR) + "/data"));
    return std::string(TESTBED_BINARY_DIR) + "/data/Textures/";
  }();
  return directory;
}

const std::vector<TerrainTextureLayer>& layers() {
  static const std::vector<TerrainTextureLayer> loaded = TerrainRecipe::loadLayers(textureDirectory());
  return loaded;
}

void BM_TerrainHeights(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  const std::string& directory = textureDirectory();
  for (auto _ : state) {
    resetRandom();
    TerrainRecipe::Heights heights = TerrainRecipe::makeHeights(mode, directory);
    benchmark::DoNotOptimize(heights.source().get());
  }
}
BENCHMARK(BM_TerrainHeights)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_TerrainMesh(benchmark::State& state) {
  resetRandom();
  TerrainRecipe::Heights heights = TerrainRecipe::makeHeights(static_cast<int>(state.range(0)), textureDirectory());
  HeightFieldMeshBuilder builder(heights.source());
  builder.setVerticalRange(0.0f, 30.0f);
  const std::uint32_t count = builder.width() * builder.height();
  for (auto _ : state) {
    std::vector<float> positions(count * 3), normals(count * 3), texCoords(count * 2);
    std::vector<std::uint16_t> indices(HeightFieldMeshBuilder::indexCountFor(builder.width(), builder.height()));
    std::uint32_t vertexCount = 0, indexCount = 0;
    float* p = positions.data();
    float* n = normals.data();
    float* t = texCoords.data();
    std::uint16_t* i = indices.data();
    builder.build(false, vertexCount, &p, &n, &t, &indexCount, &i);
    benchmark::DoNotOptimize(indices.data());
  }
}
BENCHMARK(BM_TerrainMesh)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_TerrainSynthesis(benchmark::State& state) {
  resetRandom();
  TerrainRecipe::Heights heights = TerrainRecipe::makeHeights(static_cast<int>(state.range(0)), textureDirectory());
  HeightFieldMeshBuilder builder(heights.source());
  builder.setVerticalRange(0.0f, 30.0f);
  for (const TerrainTextureLayer& layer : layers()) builder.addLayer(layer);
  Image target(TerrainContext::kTextureSize, TerrainContext::kTextureSize, ImageFormat::kRgba, nullptr);
  for (auto _ : state) {
    synthesizeTerrainTexture(builder, target);
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_TerrainSynthesis)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The whole buildTerrain behind a press: heights, mesh, texture, and its upload to a recording
// device (a memory copy), with the old terrain released.
void BM_TerrainBuild(benchmark::State& state) {
  textureDirectory();
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  TextureManager::instance() = new TextureManager(device, 0);
  TerrainContext context;
  context.init();
  const int mode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    resetRandom();
    context.showMode(mode);
    device->clearCalls();
  }
  context.release();
  TextureManager::instance() = nullptr;
}
BENCHMARK(BM_TerrainBuild)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
