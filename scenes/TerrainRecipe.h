#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/RefPtr.h"
#include "water/HeightSource.h"
#include "water/TerrainTextureLayer.h"

class DepositionTerrain;
class FaultTerrain;
class MidpointTerrain;

// What the terrain scene is made of: four height sources chosen by mode (0 the height map
// "HeightMap.tga", 1 fault formation, 2 midpoint displacement, 3 particle deposition) and the five
// ground layers its texture is blended from.
namespace TerrainRecipe {

constexpr int kModeCount = 4;

// The heights of one mode. Holds the generator whose grid the source reads, so the source stays
// valid as long as this object.
class Heights {
 public:
  Heights();
  Heights(Heights&&) noexcept;
  Heights& operator=(Heights&&) noexcept;
  ~Heights();

  // Null when the mode could not be made (a missing or unusable height map, a mode outside 0..3).
  const RefPtr<HeightSource>& source() const { return heights; }

 private:
  friend Heights makeHeights(int mode, const std::string& textureDirectory);

  std::unique_ptr<FaultTerrain> fault;
  std::unique_ptr<MidpointTerrain> midpoint;
  std::unique_ptr<DepositionTerrain> deposition;
  RefPtr<Image> heightMap;
  RefPtr<HeightSource> heights;
};

// Generates (modes 1..3, from the engine's random numbers) or loads (mode 0, from textureDirectory,
// which ends with '/') the heights of a mode. A height map that cannot be read logs one line and
// gives a null source; so does one the mesh cannot take (fewer than two rows or columns, 65536
// points or more).
Heights makeHeights(int mode, const std::string& textureDirectory);

// The five layers, read from textureDirectory and converted to RGB. A layer whose picture cannot be
// read is left out, with one log line.
std::vector<TerrainTextureLayer> loadLayers(const std::string& textureDirectory);

}  // namespace TerrainRecipe
