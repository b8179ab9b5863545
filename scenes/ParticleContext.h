#pragma once
#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/OrbitCameraController.h"
#include "engine/ParticleEmitter.h"
#include "engine/Scene.h"

// A fire and a column of smoke side by side under an orbit camera; the smoke is drawn last, so
// it lies over the fire where they meet.
class ParticleContext : public Context {
 public:
  ParticleContext();

  void init() override;
  void update() override;
  void render() override;
  void release() override {}
  std::vector<KeyHelp> keyHelp() const override;

  const ParticleEmitter& fireEmitter() const { return fire; }
  const ParticleEmitter& smokeEmitter() const { return smoke; }
  Camera& camera() { return sceneCamera; }

 private:
  Camera sceneCamera;
  OrbitCameraController orbit;
  ParticleEmitter fire;
  ParticleEmitter smoke;
  Scene cameraOnly;  // no instances or lights: drawing it just applies the camera
};
