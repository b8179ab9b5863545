#pragma once
#include <vector>

#include "engine/Light.h"
#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "foundation/RefPtr.h"

class Camera;

// What a demo scene hands to the renderer each frame: its camera, its own instances, the models
// the loaders gave it and its lights, each list in insertion order.
class Scene {
 public:
  // Borrowed; the demo scene owns its camera. Null draws from a default camera at the origin.
  void setCamera(Camera* c) { sceneCamera = c; }
  Camera* camera() const { return sceneCamera; }

  void addInstance(RefPtr<MeshInstance> instance) { instanceList.push_back(std::move(instance)); }
  void addObject(RefPtr<Model> object) { objectList.push_back(std::move(object)); }
  void addLight(RefPtr<Light> light) { lightList.push_back(std::move(light)); }

  const std::vector<RefPtr<MeshInstance>>& instances() const { return instanceList; }
  const std::vector<RefPtr<Model>>& objects() const { return objectList; }
  const std::vector<RefPtr<Light>>& lights() const { return lightList; }

 private:
  Camera* sceneCamera = nullptr;
  std::vector<RefPtr<MeshInstance>> instanceList;
  std::vector<RefPtr<Model>> objectList;
  std::vector<RefPtr<Light>> lightList;
};
