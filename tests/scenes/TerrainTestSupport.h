#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "foundation/RefPtr.h"
#include "image/Image.h"
#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/Picture.h"
#include "tools/datagen/TextureSynthesis.h"
#include "water/TerrainTextureLayer.h"

namespace terrain {

struct Rgb {
  std::uint8_t r, g, b;
};

// One colour per layer, so a texel tells which layers it was blended from.
constexpr Rgb kLumps{255, 0, 0};
constexpr Rgb kGrass{0, 255, 0};
constexpr Rgb kRock{0, 0, 255};
constexpr Rgb kSnow{255, 255, 255};
constexpr Rgb kSteepRock{255, 0, 255};

inline Picture solidPicture(int size, Rgb colour) {
  Picture picture(size, size, 3);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      std::uint8_t* p = picture.pixel(x, y);
      p[0] = colour.r;
      p[1] = colour.g;
      p[2] = colour.b;
    }
  }
  return picture;
}

// A 2 × 2 RGB image of one colour.
inline RefPtr<Image> solidImage(Rgb colour) {
  const std::uint8_t pixels[12] = {colour.r, colour.g, colour.b, colour.r, colour.g, colour.b,
                                   colour.r, colour.g, colour.b, colour.r, colour.g, colour.b};
  return new Image(2, 2, ImageFormat::kRgb, pixels);
}

inline TerrainTextureLayer layer(Rgb colour, float heightLow, float heightHigh, float slopeLowDeg, float slopeHighDeg) {
  constexpr float kRadiansPerDegree = 3.1415927f * 0.0055555557f;
  TerrainTextureLayer l;
  l.image = solidImage(colour);
  l.heightLow = heightLow;
  l.heightHigh = heightHigh;
  l.heightFade = 10.0f;
  l.slopeLow = slopeLowDeg * kRadiansPerDegree;
  l.slopeHigh = slopeHighDeg == 90.0f ? 1.5707964f : slopeHighDeg * kRadiansPerDegree;
  l.slopeFade = 0.1f;
  return l;
}

// The scene's five layers in their order and ranges, each one solid colour.
inline std::vector<TerrainTextureLayer> solidSceneLayers() {
  return {layer(kLumps, 0, 30, 0, 60), layer(kGrass, 30, 120, 0, 60), layer(kRock, 120, 200, 0, 60),
          layer(kSnow, 200, 255, 0, 60), layer(kSteepRock, 0, 255, 60, 90)};
}

// The data directories this test process wrote, removed when it ends.
class DataDirectories {
 public:
  ~DataDirectories() {
    std::error_code ignored;
    for (const std::filesystem::path& root : roots) std::filesystem::remove_all(root, ignored);
  }
  void add(const std::filesystem::path& root) { roots.push_back(root); }

 private:
  std::vector<std::filesystem::path> roots;
};
inline DataDirectories dataDirectories;

// A data directory of this test process: "Textures/" holds the generator's own height map and the
// five layer files (solid colours, in each file's own format). Files listed in missing are left out.
inline std::string writeTerrainData(const std::string& tag, const std::vector<std::string>& missing = {}) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("testbed_terrain_" + tag + "_" + std::to_string(::getpid()));
  fs::create_directories(root / "Textures");
  dataDirectories.add(root);
  auto wanted = [&](const std::string& name) {
    for (const std::string& m : missing)
      if (m == name) return false;
    return true;
  };
  const std::string dir = (root / "Textures").string() + "/";
  if (wanted("HeightMap.tga")) ImageFiles::saveTga(TextureSynthesis::hills(128), dir + "HeightMap.tga");
  if (wanted("lumps.jpg")) ImageFiles::saveJpg(solidPicture(8, kLumps), dir + "lumps.jpg");
  if (wanted("grass6.tga")) ImageFiles::saveTga(solidPicture(8, kGrass), dir + "grass6.tga");
  if (wanted("rock086.tga")) ImageFiles::saveTga(solidPicture(8, kRock), dir + "rock086.tga");
  if (wanted("snow3256.jpg")) ImageFiles::saveJpg(solidPicture(8, kSnow), dir + "snow3256.jpg");
  if (wanted("rock.bmp")) ImageFiles::saveBmp(solidPicture(8, kSteepRock), dir + "rock.bmp");
  return root.string();
}

}  // namespace terrain
