#pragma once
#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/Light.h"
#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/OrbitCameraController.h"
#include "engine/ParticleEmitter.h"
#include "engine/Scene.h"
#include "foundation/RefPtr.h"

// Stencil shadow volumes: a point light circles inside a closed room, one turn in about 12.6 s,
// and two small boxes and the tiger throw shadows on the walls, the floor and each other; a small
// fire travels with the light to show where it is. Without an 8-bit stencil buffer the scene
// builds nothing and only says so.
class ShadowVolumeContext : public Context {
 public:
  ShadowVolumeContext();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void render() override;
  void release() override {}

  // False when the device offers no 24-bit depth with 8-bit stencil; asked afresh on every call.
  static bool hasStencil();

  const Scene& scene() const { return shadowScene; }
  Camera& camera() { return sceneCamera; }
  const Light* light() const { return pointLight.get(); }
  const ParticleEmitter& fireEmitter() const { return fire; }

 private:
  Camera sceneCamera;
  OrbitCameraController orbit;
  Scene shadowScene;
  RefPtr<Light> pointLight;
  ParticleEmitter fire;
  // The casters, whose light is set every frame; the scene holds them too.
  RefPtr<MeshInstance> smallBox;
  RefPtr<MeshInstance> smallBoxCopy;
  RefPtr<Model> tiger;
};
