#pragma once
#include <cstdint>

#include "engine/Color.h"
#include "engine/Vector3.h"
#include "engine/VertexFrame.h"

// Per-vertex vectors of dot3 bump mapping, in each vertex's tangent space (x along T, y along B,
// z along N) and packed into colours as ((x + 1)/2, (y + 1)/2, (z + 1)/2, 1), so the texture
// unit's dot product with a normal-map texel gives the lighting term.

// A light in the mesh's object space: a position, or for a directional light the direction
// towards it.
struct ObjectLight {
  Vector3 vector;
  bool directional = false;
};

// Opaque black: the light vector of a vertex whose tangent-space light direction is zero.
inline constexpr Color kNoLightVector{0x000000FFu};
// The half vector's length before packing, which keeps the squared specular term soft.
inline constexpr float kHalfVectorScale = 0.82f;

// The packed light vector of one vertex for a unit direction towards the light: faded out by
// clamp(8·z, 0, 1) as the light drops to the tangent plane (mid-grey at and below it), opaque
// black when the direction has no tangent-space component at all.
Color packLightVector(const TangentFrame& frame, const Vector3& toLight);

// Rewrites out[0 .. vertexCount) with the packed light vectors of the frame's vertices; a vertex
// at a point light's own position gets opaque black. The frame must hold vertexCount positions
// and tangent frames.
void writeLightVectors(const VertexFrame& frame, std::uint32_t vertexCount, const ObjectLight& light, Color* out);

// Rewrites out[0 .. vertexCount) with the packed half vectors between the directions towards the
// light and towards the eye (object space), scaled by kHalfVectorScale; entries that hold opaque
// black are left as they are.
void writeHalfVectors(const VertexFrame& frame, std::uint32_t vertexCount, const ObjectLight& light,
                      const Vector3& eye, Color* out);
