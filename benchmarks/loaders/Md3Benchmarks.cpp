#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "device/RecordingDevice.h"
#include "foundation/ZipArchive.h"
#include "foundation/ZipInputStream.h"
#include "image/TextureManager.h"
#include "loaders/Md3File.h"
#include "loaders/Md3Loader.h"

// The generated game archive and the first character of the MD3 viewer.
namespace {

const std::string kArchive = std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3";
const std::string kCharacter = "models/players/klesk";

// What the viewer's Return does: the whole character with its four skins decoded and uploaded
// (to the recording device, so the time is the program's own, not the rasteriser's). A fresh
// texture cache each time, as for a character not seen before.
void BM_Md3LoadCharacter(benchmark::State& state) {
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  for (auto _ : state) {
    RefPtr<TextureManager> textures(new TextureManager(device, 1));
    Md3Loader loader(kArchive, kCharacter, textures.get());
    if (!loader.loaded()) state.SkipWithError("the character did not load");
    benchmark::DoNotOptimize(loader.model().get());
  }
}
BENCHMARK(BM_Md3LoadCharacter)->Unit(benchmark::kMillisecond);

// The same without skins: reading, checking and building meshes only.
void BM_Md3LoadCharacterWithoutSkins(benchmark::State& state) {
  for (auto _ : state) {
    Md3Loader loader(kArchive, kCharacter, nullptr);
    benchmark::DoNotOptimize(loader.model().get());
  }
}
BENCHMARK(BM_Md3LoadCharacterWithoutSkins)->Unit(benchmark::kMillisecond);

// Inflating and checking the three files alone; Arg 0 lower (176 frames), 1 upper (154), 2 head.
void BM_Md3ReadPart(benchmark::State& state) {
  static const char* const files[] = {"/lower.md3", "/upper.md3", "/head.md3"};
  ZipArchive archive(kArchive);
  Md3File file;
  for (auto _ : state) {
    Md3File::read(archive, kCharacter + files[state.range(0)], file);
    benchmark::DoNotOptimize(file.surfaces.data());
  }
}
BENCHMARK(BM_Md3ReadPart)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Inflating lower.md3 alone, without checking or keeping anything.
void BM_Md3InflateLower(benchmark::State& state) {
  ZipArchive archive(kArchive);
  std::vector<char> bytes(1 << 20);
  std::size_t total = 0;
  for (auto _ : state) {
    ZipInputStream stream(archive, kCharacter + "/lower.md3", std::ios::in | std::ios::binary);
    total = 0;
    while (stream) {
      stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      total += static_cast<std::size_t>(stream.gcount());
    }
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}
BENCHMARK(BM_Md3InflateLower)->Unit(benchmark::kMillisecond);

// Turning the parsed lower.md3 into meshes (positions, normals, bounds of every frame).
void BM_Md3BuildLowerMeshes(benchmark::State& state) {
  ZipArchive archive(kArchive);
  Md3File file;
  Md3File::read(archive, kCharacter + "/lower.md3", file);
  for (auto _ : state) {
    for (const Md3Surface& surface : file.surfaces) benchmark::DoNotOptimize(md3Mesh(surface).get());
  }
}
BENCHMARK(BM_Md3BuildLowerMeshes)->Unit(benchmark::kMillisecond);

// Decoding and uploading the four skins (128² and 64² TGA).
void BM_Md3Skins(benchmark::State& state) {
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  ZipArchive archive(kArchive);
  for (auto _ : state) {
    RefPtr<TextureManager> textures(new TextureManager(device, 1));
    for (const char* skin : {"/lower.tga", "/upper.tga", "/head.tga", "/weapon.tga"}) {
      benchmark::DoNotOptimize(textures->createFromArchive(archive, kCharacter + skin));
    }
  }
}
BENCHMARK(BM_Md3Skins)->Unit(benchmark::kMillisecond);

}  // namespace
