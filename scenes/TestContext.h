#pragma once
#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/Light.h"
#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/OrbitCameraController.h"
#include "engine/Scene.h"
#include "foundation/RefPtr.h"

// The loaders' test scene: the crate from an OBJ file twice (the second a clone), the robot from
// another OBJ file, the tiger from a ".x" file, a textured quad and a plain sphere, lit by a
// directional light that shines along the view. A model that cannot be loaded is left out and the
// rest of the scene still shows.
class TestContext : public Context {
 public:
  TestContext();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void render() override;
  void release() override {}

  const Scene& scene() const { return testScene; }
  Camera& camera() { return sceneCamera; }
  const Light* light() const { return sceneLight.get(); }

 private:
  Camera sceneCamera;
  OrbitCameraController orbit;
  Scene testScene;
  RefPtr<Light> sceneLight;
};
