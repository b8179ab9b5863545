#pragma once
#include "engine/Matrix33.h"
#include "engine/Matrix34.h"
#include "engine/Vector3.h"

// Rotation quaternion, stored scalar first (w, x, y, z).
struct Quaternion {
  float w = 1.0f;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Quaternion() = default;
  constexpr Quaternion(float w, float x, float y, float z) : w(w), x(x), y(y), z(z) {}

  static Quaternion fromAxisAngle(const Vector3& unitAxis, float angleRad);
  // From a rotation matrix. The result is the negation of the textbook quaternion (w ≤ 0 on the
  // trace branch); it is the same rotation and toMatrix34 maps it back to the matrix.
  static Quaternion fromMatrix33(const Matrix33& r);

  // Spherical interpolation without flipping to the shorter arc: a for t = 0 or when a and b agree
  // within 0.001 per component, b for t = 1. Opposite quaternions (the same rotation) give a.
  static Quaternion slerp(const Quaternion& a, const Quaternion& b, float t);
  float dot(const Quaternion& o) const { return w * o.w + x * o.x + y * o.y + z * o.z; }

  // Rotation block from the quaternion, translation 0.
  Matrix34 toMatrix34() const;

  Quaternion conjugate() const { return {w, -x, -y, -z}; }
  // Hamilton product.
  Quaternion operator*(const Quaternion& b) const {
    return {w * b.w - x * b.x - y * b.y - z * b.z, w * b.x + x * b.w + y * b.z - z * b.y,
            w * b.y - x * b.z + y * b.w + z * b.x, w * b.z + x * b.y - y * b.x + z * b.w};
  }
  // q·v·q⁻¹ for a unit quaternion.
  Vector3 rotate(const Vector3& v) const;

  friend bool operator==(const Quaternion&, const Quaternion&) = default;
};
