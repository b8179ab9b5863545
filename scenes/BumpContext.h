#pragma once
#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/MeshInstance.h"
#include "engine/OrbitCameraController.h"
#include "engine/Scene.h"
#include "engine/Vector3.h"

// Dot3 bump mapping on flat surfaces: a quad, its copy turned half a turn, and a small grid whose
// texture mapping is mirrored in the middle, all lit per pixel by a point light at the camera. The
// normal map is made at start-up from the height map "textures/debugHeight.tga" of the data
// directory and saved beside it as "debugnormal.tga".
class BumpContext : public Context {
 public:
  BumpContext();

  void init() override;
  void update() override;
  void render() override;
  void release() override {}

  Camera& camera() { return sceneCamera; }
  const Scene& scene() const { return bumpScene; }
  MeshInstance* quad() const { return quadInstance.get(); }
  MeshInstance* quadCopy() const { return copyInstance.get(); }
  MeshInstance* grid() const { return gridInstance.get(); }

 private:
  Camera sceneCamera;
  OrbitCameraController orbit;
  Scene bumpScene;
  Vector3 eye;
  RefPtr<MeshInstance> quadInstance;
  RefPtr<MeshInstance> copyInstance;
  RefPtr<MeshInstance> gridInstance;
};
