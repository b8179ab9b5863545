#pragma once
#include <cstdint>
#include <vector>

class Mesh;

// Vertex of a shadow volume: w = 1 for a cap vertex in place, 0 for one extruded from the light.
struct ShadowVertex {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  friend bool operator==(const ShadowVertex&, const ShadowVertex&) = default;
};

// Stencil shadow volume of one caster: the light-facing triangles (front cap), the averted ones
// pushed away from the light (back cap) and a quad along every silhouette edge, all clockwise seen
// from outside. Edges without a neighbour count as silhouette edges, and an open mesh (one with
// such edges) is capped by its lit triangles pushed away and reversed, so its volume is closed too.
class ShadowVolume {
 public:
  // The mesh is borrowed; the instance that owns this volume holds the reference.
  explicit ShadowVolume(Mesh* mesh) : casterMesh(mesh) {}

  // Rebuilds the triangle list for a light in the mesh's object space (lw 1 point, 0 directional).
  // Needs the current frame's face planes and the mesh's adjacency; without them the volume stays
  // empty and false is returned.
  bool build(float lx, float ly, float lz, float lw);

  std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(vertexList.size()); }
  const std::vector<ShadowVertex>& vertices() const { return vertexList; }
  Mesh* mesh() const { return casterMesh; }

  // Factor by which extruded vertices are pushed away; one value for the whole program.
  static float extrusionDistance() { return extrusion; }
  static void setExtrusionDistance(float d) { extrusion = d; }

 private:
  Mesh* casterMesh;
  std::vector<ShadowVertex> vertexList;  // capacity kept between rebuilds
  std::vector<std::uint8_t> lit;
  bool reportedMissingData = false;
  static inline float extrusion = 10000.0f;
};
