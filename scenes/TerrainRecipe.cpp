#include "scenes/TerrainRecipe.h"

#include <ostream>

#include "foundation/Logger.h"
#include "image/Image.h"
#include "scenes/DepositionTerrain.h"
#include "scenes/FaultTerrain.h"
#include "scenes/MidpointTerrain.h"
#include "water/ImageHeightSource.h"

namespace TerrainRecipe {

namespace {

constexpr const char* kHeightMapFile = "HeightMap.tga";

// Fault formation: 100 × 100, displacement 1.0 falling to 0.1 over 64 faults, smoothed after each.
constexpr std::uint32_t kFaultSize = 100;
constexpr float kFaultStart = 1.0f, kFaultEnd = 0.1f;
constexpr int kFaultIterations = 64, kFaultFilterInterval = 1;
constexpr float kFaultFilterK = 0.2f;

// Midpoint displacement: 65 × 65 (six levels), range 32 halving per level (H = 1).
constexpr int kMidpointLevels = 6;
constexpr float kMidpointRange = 32.0f, kMidpointH = 1.0f, kMidpointFilterK = 0.4f;

// Deposition: 100 × 100, eight mountains of 2000 to 6000 particles drifting every 30.
constexpr std::uint32_t kDepositionSize = 100;
constexpr float kDepositionFilterK = 0.5f;
constexpr int kDepositionDrift = 30, kDepositionMountains = 8;
constexpr int kDepositionMinParticles = 2000, kDepositionMaxParticles = 6000;

constexpr float kRadiansPerDegree = 3.1415927f * 0.0055555557f;
constexpr float kRightAngle = 1.5707964f;

struct LayerSetup {
  const char* file;
  float heightLow, heightHigh, heightFade;
  float slopeLowDeg, slopeHighDeg, slopeFade;
};

// Earth in the hollows, grass on the plains, rock higher up, snow on the peaks, and dark rock on
// every slope steeper than 60°, whatever its height.
constexpr LayerSetup kLayers[] = {
    {"lumps.jpg", 0.0f, 30.0f, 10.0f, 0.0f, 60.0f, 0.1f},
    {"grass6.tga", 30.0f, 120.0f, 10.0f, 0.0f, 60.0f, 0.1f},
    {"rock086.tga", 120.0f, 200.0f, 10.0f, 0.0f, 60.0f, 0.1f},
    {"snow3256.jpg", 200.0f, 255.0f, 10.0f, 0.0f, 60.0f, 0.1f},
    {"rock.bmp", 0.0f, 255.0f, 10.0f, 60.0f, 90.0f, 0.1f},
};

float toRadians(float degrees) { return degrees == 90.0f ? kRightAngle : degrees * kRadiansPerDegree; }

}  // namespace

Heights::Heights() = default;
Heights::Heights(Heights&&) noexcept = default;
Heights& Heights::operator=(Heights&&) noexcept = default;
Heights::~Heights() = default;

Heights makeHeights(int mode, const std::string& textureDirectory) {
  Heights made;
  switch (mode) {
    case 0: {
      const std::string path = textureDirectory + kHeightMapFile;
      made.heightMap = new Image(path);
      // An unreadable file has been logged by the image already.
      if (made.heightMap->isEmpty()) break;
      const std::uint64_t points = static_cast<std::uint64_t>(made.heightMap->width()) * made.heightMap->height();
      if (made.heightMap->width() < 2 || made.heightMap->height() < 2 || points >= 65536) {
        Logger::instance().line(2) << "\"" << path << "\" is too small or too large for a terrain" << std::endl;
        break;
      }
      made.heights = new ImageHeightSource(made.heightMap);
      break;
    }
    case 1:
      made.fault = std::make_unique<FaultTerrain>(kFaultSize, kFaultSize, kFaultStart, kFaultEnd, kFaultIterations,
                                                  kFaultFilterInterval, kFaultFilterK);
      made.fault->generate();
      made.heights = made.fault->heightSource();
      break;
    case 2:
      made.midpoint = std::make_unique<MidpointTerrain>(kMidpointLevels, kMidpointRange, kMidpointH, kMidpointFilterK);
      made.midpoint->generate();
      made.heights = made.midpoint->heightSource();
      break;
    case 3:
      made.deposition = std::make_unique<DepositionTerrain>(kDepositionSize, kDepositionSize, kDepositionFilterK,
                                                            kDepositionDrift, kDepositionMountains,
                                                            kDepositionMinParticles, kDepositionMaxParticles);
      made.deposition->generate();
      made.heights = made.deposition->heightSource();
      break;
    default:
      break;
  }
  return made;
}

std::vector<TerrainTextureLayer> loadLayers(const std::string& textureDirectory) {
  std::vector<TerrainTextureLayer> layers;
  for (const LayerSetup& setup : kLayers) {
    const std::string path = textureDirectory + setup.file;
    RefPtr<Image> image = new Image(path);
    // An unreadable file has been logged by the image already.
    if (image->isEmpty()) continue;
    image->convert(ImageFormat::kRgb);
    if (image->isEmpty() || image->bytesPerPixel() != 3 || !image->data()) {
      Logger::instance().line(2) << "\"" << path << "\" cannot be used as a terrain layer" << std::endl;
      continue;
    }
    TerrainTextureLayer& layer = layers.emplace_back();
    layer.image = std::move(image);
    layer.heightLow = setup.heightLow;
    layer.heightHigh = setup.heightHigh;
    layer.heightFade = setup.heightFade;
    layer.slopeLow = toRadians(setup.slopeLowDeg);
    layer.slopeHigh = toRadians(setup.slopeHighDeg);
    layer.slopeFade = setup.slopeFade;
  }
  return layers;
}

}  // namespace TerrainRecipe
