#pragma once
#include "engine/Vector3.h"

// Plane n·p = d with the positive side ("inside") where n·p − d > 0.
struct Plane {
  float a = 0.0f;
  float b = 0.0f;
  float c = 0.0f;
  float d = 0.0f;

  constexpr Plane() = default;
  // Stores the four values as given (a transformed plane keeps its normal's length).
  constexpr Plane(float a, float b, float c, float d) : a(a), b(b), c(c), d(d) {}
  // Normalises the normal; the distance is stored as given.
  Plane(const Vector3& normal, float distance) : d(distance) {
    const Vector3 n = normal.normalized();
    a = n.x;
    b = n.y;
    c = n.z;
  }

  Vector3 normal() const { return {a, b, c}; }
  float distance(const Vector3& p) const { return a * p.x + b * p.y + c * p.z - d; }

  friend bool operator==(const Plane&, const Plane&) = default;
};
