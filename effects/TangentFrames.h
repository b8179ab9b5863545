#pragma once
#include "engine/Vector3.h"
#include "engine/VertexFrame.h"

class Mesh;

// Tangent and binormal of one triangle: how the position changes per unit of u and of v, solved
// axis by axis from the plane through (position, u, v) of the three corners. A triangle whose
// texture coordinates enclose no area (or give a non-finite slope) contributes zero. flipV
// inverts the binormal, for normal maps whose y points towards decreasing v.
struct TriangleTangents {
  Vector3 tangent;
  Vector3 binormal;
};
TriangleTangents triangleTangents(const Vector3 p[3], const TexCoord uv[3], bool flipV);

// Fills the tangent frames (T, B, N) of every frame of the mesh from its positions, normals and
// the coordinates of a mode-1 texture channel; false (and nothing changed) without such a channel
// or positions.
//
// Where the mapping is mirrored (triangles on both sides of a vertex wound differently in texture
// space), the vertex is split once: the triangles of the other winding use a copy appended after
// the existing vertices, so each copy gets a frame of one handedness. The split is decided in
// frame 0 and replayed in the later frames. Triangles without texture area decide nothing. A mesh
// that would need more vertices than 16-bit indices can name is refused with a log line.
//
// Both colour streams are (re)made with every entry opaque white, ready for the bump material's
// light and half vectors, so the vertex layout does not change once drawing has started.
bool buildTangentFrames(Mesh& mesh, bool flipV, int channel);
