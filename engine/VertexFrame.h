#pragma once
#include <vector>

#include "engine/BoundingSphere.h"
#include "engine/Vector3.h"

// Texture coordinate pair of one vertex.
struct TexCoord {
  float u = 0.0f;
  float v = 0.0f;

  friend bool operator==(const TexCoord&, const TexCoord&) = default;
};

// Face plane of a triangle: (a, b, c) = e1 × e2, unnormalised; a point q is in front when
// a·qx + b·qy + c·qz + d > 0.
struct FacePlane {
  float a = 0.0f;
  float b = 0.0f;
  float c = 0.0f;
  float d = 0.0f;

  friend bool operator==(const FacePlane&, const FacePlane&) = default;
};

// Per-vertex tangent space used by bump mapping.
struct TangentFrame {
  Vector3 tangent;
  Vector3 binormal;
  Vector3 normal;

  friend bool operator==(const TangentFrame&, const TangentFrame&) = default;
};

// One key frame of a mesh. An empty array means the frame has no such data. The owning Mesh treats
// an array whose size does not match its vertex (or triangle) count as absent, so a frame filled with
// the wrong amount of data is never read past its end.
struct VertexFrame {
  std::vector<Vector3> positions;
  std::vector<Vector3> normals;
  std::vector<FacePlane> facePlanes;
  std::vector<TangentFrame> tangentFrames;
  BoundingSphere bounds;
};
