#include "effects/BumpVectors.h"

#include <algorithm>

namespace {

Vector3 toTangentSpace(const TangentFrame& frame, const Vector3& v) {
  return {frame.tangent.dot(v), frame.binormal.dot(v), frame.normal.dot(v)};
}

// The unit vector from p towards target, or zero when they coincide.
Vector3 directionTo(const Vector3& target, const Vector3& p) {
  Vector3 d = target - p;
  if (!(d.lengthSquared() > 0.0f)) return Vector3();
  d.normalize();
  return d;
}

Vector3 towardsLight(const ObjectLight& light, const Vector3& unitDirection, const Vector3& p) {
  return light.directional ? unitDirection : directionTo(light.vector, p);
}

Vector3 unitDirectionOf(const ObjectLight& light) {
  if (!light.directional || !(light.vector.lengthSquared() > 0.0f)) return Vector3();
  return light.vector.normalized();
}

}  // namespace

Color packLightVector(const TangentFrame& frame, const Vector3& toLight) {
  Vector3 lt = toTangentSpace(frame, toLight);
  if (lt.isZero()) return kNoLightVector;
  lt.normalize();
  const float fade = std::clamp(8.0f * lt.z, 0.0f, 1.0f);
  return Color::fromNormal(lt * fade, 0xFF);
}

void writeLightVectors(const VertexFrame& frame, std::uint32_t vertexCount, const ObjectLight& light, Color* out) {
  const Vector3 direction = unitDirectionOf(light);
  for (std::uint32_t i = 0; i < vertexCount; ++i) {
    out[i] = packLightVector(frame.tangentFrames[i], towardsLight(light, direction, frame.positions[i]));
  }
}

void writeHalfVectors(const VertexFrame& frame, std::uint32_t vertexCount, const ObjectLight& light,
                      const Vector3& eye, Color* out) {
  const Vector3 direction = unitDirectionOf(light);
  for (std::uint32_t i = 0; i < vertexCount; ++i) {
    if (out[i] == kNoLightVector) continue;
    const Vector3& p = frame.positions[i];
    Vector3 half = toTangentSpace(frame.tangentFrames[i], towardsLight(light, direction, p) + directionTo(eye, p));
    if (!half.isZero()) half.normalize();
    out[i] = Color::fromNormal(half * kHalfVectorScale, 0xFF);
  }
}
