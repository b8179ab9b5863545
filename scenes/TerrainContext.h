#pragma once
#include <memory>
#include <vector>

#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/Light.h"
#include "engine/OrbitCameraController.h"
#include "engine/Scene.h"
#include "foundation/KeyAction.h"
#include "foundation/RefPtr.h"
#include "water/TerrainTextureLayer.h"

// A height-field terrain under an orbit camera, its ground texture blended from five layers by
// height and slope, lit along the view direction. The space bar makes the next terrain, cycling
// fault formation → midpoint displacement → particle deposition → the height map "HeightMap.tga".
class TerrainContext : public Context {
 public:
  // The synthesised texture's width and height.
  static constexpr std::uint32_t kTextureSize = 256;

  TerrainContext();

  // Reads the layers and makes the first terrain (fault formation).
  void init() override;
  // Orbit camera, light along the view, and the space bar.
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void render() override;
  void release() override;

  // Makes and shows the terrain of mode 0..3 as the space bar would; other numbers wrap round.
  // A height map that cannot be used falls back to the next mode.
  void showMode(int mode);

  int mode() const { return terrainMode; }
  // Null before init and after release.
  const Scene* scene() const { return terrainScene.get(); }
  Camera& camera() { return sceneCamera; }
  const Light* light() const { return sceneLight.get(); }
  const std::vector<TerrainTextureLayer>& layers() const { return layerList; }

 private:
  void buildTerrain();
  void aimLight();

  std::unique_ptr<Scene> terrainScene;
  Camera sceneCamera;
  OrbitCameraController orbit;
  RefPtr<Light> sceneLight;
  KeyAction spaceKey;
  int terrainMode = 1;
  // Read once: the pictures do not change while the program runs.
  std::vector<TerrainTextureLayer> layerList;
  bool layersLoaded = false;
};
