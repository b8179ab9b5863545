#pragma once
#include "engine/Vector3.h"

struct BoundingSphere {
  Vector3 center;
  float radius = 0.0f;

  friend bool operator==(const BoundingSphere&, const BoundingSphere&) = default;
};
