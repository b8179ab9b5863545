#include "engine/Camera.h"

#include <cmath>

Camera::Camera(RefPtr<SceneNode> node) : cameraNode(std::move(node)) { recompute(); }

float Camera::nearWidth() {
  if (dirty) recompute();
  return nearWindowWidth;
}

std::array<float, 16> Camera::projectionMatrix() const {
  const float c = std::cos(fieldOfView * 0.5f) / std::sin(fieldOfView * 0.5f);
  const float q = farDistance / (farDistance - nearDistance);
  return {c, 0, 0, 0, 0, c * aspectRatio, 0, 0, 0, 0, q, -q * nearDistance, 0, 0, 1, 0};
}

const Frustum& Camera::frustum() {
  if (dirty) recompute();
  return planes;
}

void Camera::recompute() {
  // The vertical half-angle is the horizontal one divided by the aspect ratio.
  const float h = fieldOfView * 0.5f;
  const float v = (fieldOfView / aspectRatio) * 0.5f;
  const Plane local[Frustum::kSides] = {
      Plane(Vector3(0, 0, 1), nearDistance),
      Plane(Vector3(0, 0, -1), -farDistance),
      Plane(Vector3(std::cos(h), 0, std::sin(h)), 0.0f),
      Plane(Vector3(-std::cos(h), 0, std::sin(h)), 0.0f),
      Plane(Vector3(0, -std::cos(v), std::sin(v)), 0.0f),
      Plane(Vector3(0, std::cos(v), std::sin(v)), 0.0f),
  };
  const Matrix34& w = cameraNode ? cameraNode->world() : Matrix34::identity();
  const Vector3 t = w.translation();
  for (int i = 0; i < Frustum::kSides; ++i) {
    const Vector3 n = w.transformDirection(local[i].normal());
    planes.planes[i] = Plane(n.x, n.y, n.z, n.dot(t) + local[i].d);
  }
  nearWindowWidth = 2.0f * nearDistance * std::tan(fieldOfView * 0.5f);
  dirty = false;
}
