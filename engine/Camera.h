#pragma once
#include <array>

#include "engine/Frustum.h"
#include "engine/SceneNode.h"
#include "foundation/RefPtr.h"

// A scene node with projection parameters. The camera looks along its node's local +z (y up, x
// right). The world-space frustum is recomputed lazily: any access to the node may move it.
class Camera {
 public:
  explicit Camera(RefPtr<SceneNode> node);

  // Marks the frustum for recomputation, since the caller may move the node.
  SceneNode* node() {
    dirty = true;
    return cameraNode.get();
  }

  float aspect() const { return aspectRatio; }
  // Horizontal field of view in radians.
  float fov() const { return fieldOfView; }
  float nearDist() const { return nearDistance; }
  float farDist() const { return farDistance; }
  void setAspect(float a) { aspectRatio = a, dirty = true; }
  void setFov(float f) { fieldOfView = f, dirty = true; }
  void setNearDist(float d) { nearDistance = d, dirty = true; }
  void setFarDist(float d) { farDistance = d, dirty = true; }
  // Width of the view window at the near plane, 2·near·tan(fov/2).
  float nearWidth();

  // Perspective matrix, 16 floats row by row for column vectors: depth 0 at the near plane, 1 at
  // the far plane after division by w = z; the vertical scale is the horizontal one times aspect.
  std::array<float, 16> projectionMatrix() const;

  const Frustum& frustum();
  int classifySphere(const Vector3& center, float radius) { return frustum().classifySphere(center, radius); }

 private:
  void recompute();

  RefPtr<SceneNode> cameraNode;
  float aspectRatio = 1.3333334f;
  float fieldOfView = 1.5707964f;
  float nearDistance = 1.0f;
  float farDistance = 1000.0f;
  float nearWindowWidth = 0.0f;
  Frustum planes;
  bool dirty = true;
};
