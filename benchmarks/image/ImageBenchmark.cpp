#include <benchmark/benchmark.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "foundation/ZipArchive.h"
#include "foundation/ZipInputStream.h"
#include "image/Image.h"
#include "image/NormalMap.h"

namespace {

// Rolling hills, so the normals vary everywhere.
RefPtr<Image> heightMap(std::uint32_t size) {
  std::vector<std::uint8_t> heights(std::size_t(size) * size);
  for (std::uint32_t y = 0; y < size; ++y) {
    for (std::uint32_t x = 0; x < size; ++x) heights[y * size + x] = static_cast<std::uint8_t>((x * 3 + y * 5 + (x * y) / 64) & 0xFF);
  }
  return new Image(size, size, ImageFormat::kLuminance, heights.data());
}

void BM_MakeNormalMap512(benchmark::State& state) {
  RefPtr<Image> heights = heightMap(512);
  for (auto _ : state) {
    RefPtr<Image> normals = heights->makeNormalMap(30.0f, ImageFormat::kRgb);
    benchmark::DoNotOptimize(normals->data());
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_MakeNormalMap512)->Unit(benchmark::kMillisecond);

// A 256 x 256 32-bit TGA (uncompressed) in a deflated archive member.
std::string archiveWithTga() {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench_image_" + std::to_string(static_cast<long>(::getpid())) + ".pk3"))
                               .string();
  std::vector<std::uint8_t> tga(18, 0);
  tga[2] = 2;
  tga[12] = 0;
  tga[13] = 1;  // width 256
  tga[14] = 0;
  tga[15] = 1;  // height 256
  tga[16] = 32;
  tga[17] = 8;
  for (int i = 0; i < 256 * 256; ++i) {
    tga.insert(tga.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                           static_cast<std::uint8_t>(i * 7), 255});
  }
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  zip_fileinfo info{};
  zipOpenNewFileInZip(zip, "textures/bench.tga", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                      Z_DEFAULT_COMPRESSION);
  zipWriteInFileInZip(zip, tga.data(), static_cast<unsigned>(tga.size()));
  zipCloseFileInZip(zip);
  zipClose(zip, nullptr);
  return path;
}

void BM_LoadTga256FromZipMember(benchmark::State& state) {
  const std::string path = archiveWithTga();
  ZipArchive archive(path);
  for (auto _ : state) {
    Image image(archive, "textures/bench.tga");
    if (image.width() != 256) state.SkipWithError("member did not decode");
    benchmark::DoNotOptimize(image.data());
  }
  archive.close();
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadTga256FromZipMember)->Unit(benchmark::kMicrosecond);

void BM_ReadZipMemberThroughStream(benchmark::State& state) {
  const std::string path = archiveWithTga();
  ZipArchive archive(path);
  std::vector<char> buffer(256 * 256 * 4 + 18);
  for (auto _ : state) {
    ZipInputStream stream(archive, "textures/bench.tga", std::ios::binary);
    stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
  archive.close();
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadZipMemberThroughStream)->Unit(benchmark::kMicrosecond);

}  // namespace
