#pragma once
#include "engine/Plane.h"
#include "engine/Vector3.h"

// Six planes whose positive sides bound the visible volume.
struct Frustum {
  enum Side { Near = 0, Far, Left, Right, Top, Bottom, kSides };
  Plane planes[kSides];

  enum Verdict { Outside = 0, Intersecting = 1, Inside = 2 };
  // Smallest verdict over the planes: 2 when the sphere is more than r inside a plane, 1 when within
  // r of it, 0 (and stop) when more than r outside.
  int classifySphere(const Vector3& center, float radius) const;
};
