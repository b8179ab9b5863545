#pragma once
#include "engine/Color.h"
#include "foundation/RefCounted.h"

// A point light (w ≠ 0, at x, y, z) or a directional light (w = 0, shining along −(x, y, z)).
class Light : public RefCounted {
 public:
  const Color& color() const { return lightColor; }
  void setColor(const Color& c) { lightColor = c; }
  // x, y, z, w.
  const float* position() const { return pos; }
  void setPosition(float x, float y, float z, float w) {
    pos[0] = x;
    pos[1] = y;
    pos[2] = z;
    pos[3] = w;
  }
  bool isDirectional() const { return pos[3] == 0.0f; }
  float range() const { return lightRange; }
  void setRange(float r) { lightRange = r; }

 private:
  Color lightColor{1.0f, 1.0f, 1.0f, 1.0f};
  float pos[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float lightRange = 1.0f;
};
