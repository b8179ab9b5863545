#pragma once
#include <cmath>

#include "engine/MathConstants.h"

// Three tightly packed 32-bit floats; arrays of Vector3 are used directly as vertex streams.
struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Vector3() = default;
  constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

  // The shared zero vector; a const reference, so no caller can change it for the others.
  static const Vector3& zero() {
    static const Vector3 value;
    return value;
  }

  void set(float nx, float ny, float nz) {
    x = nx;
    y = ny;
    z = nz;
  }

  Vector3& operator+=(const Vector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
  Vector3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  friend Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
  friend Vector3 operator-(Vector3 a, const Vector3& b) { return a -= b; }
  friend Vector3 operator*(Vector3 a, float s) { return a *= s; }
  friend Vector3 operator*(float s, Vector3 a) { return a *= s; }
  Vector3 operator-() const { return {-x, -y, -z}; }

  Vector3 componentProduct(const Vector3& o) const { return {x * o.x, y * o.y, z * o.z}; }
  float dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
  Vector3 cross(const Vector3& b) const { return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x}; }
  float lengthSquared() const { return x * x + y * y + z * z; }
  float length() const { return std::sqrt(lengthSquared()); }

  // No guard: a zero vector becomes non-finite, so callers check first.
  void normalize() { *this *= 1.0f / std::sqrt(lengthSquared()); }
  Vector3 normalized() const {
    Vector3 v = *this;
    v.normalize();
    return v;
  }

  // Exact comparison: all three components equal.
  friend bool operator==(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
  bool equals(const Vector3& o, float epsilon) const {
    return std::fabs(x - o.x) < epsilon && std::fabs(y - o.y) < epsilon && std::fabs(z - o.z) < epsilon;
  }
  bool isZero() const { return equals(zero(), kVectorEpsilon); }

  // a·(1 − t) + b·t; a unchanged when a and b are exactly equal.
  static Vector3 lerp(const Vector3& a, const Vector3& b, float t) {
    if (a == b) return a;
    return a * (1.0f - t) + b * t;
  }
};
