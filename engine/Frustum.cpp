#include "engine/Frustum.h"

int Frustum::classifySphere(const Vector3& center, float radius) const {
  int result = Inside;
  for (const Plane& plane : planes) {
    const float dist = plane.distance(center);
    const int verdict = dist > radius ? Inside : dist >= -radius ? Intersecting : Outside;
    if (verdict < result) result = verdict;
    if (result == Outside) break;
  }
  return result;
}
