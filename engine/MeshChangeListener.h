#pragma once
#include "foundation/RefCounted.h"

class Mesh;

// Told when a mesh's vertex data, texture channels or frame selection changed, so that a copy of the
// data (the renderer's hardware buffers) can be refreshed before its next use.
class MeshChangeListener : public RefCounted {
 public:
  virtual void meshChanged(Mesh& mesh) = 0;
};
