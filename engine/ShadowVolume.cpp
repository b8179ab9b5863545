#include "engine/ShadowVolume.h"

#include <algorithm>

#include "engine/Mesh.h"
#include "foundation/Logger.h"

bool ShadowVolume::build(float lx, float ly, float lz, float lw) {
  vertexList.clear();
  if (!casterMesh) return false;
  const Mesh& mesh = *casterMesh;
  const VertexFrame& frame = mesh.current();
  const std::uint32_t tris = mesh.triangleCount();
  const std::vector<std::uint16_t>& adjacency = mesh.adjacency();
  if (frame.positions.size() != mesh.vertexCount() || frame.facePlanes.size() != tris || adjacency.size() != tris * 3) {
    if (!reportedMissingData) {
      Logger::instance().line(2) << "Shadow volume needs face planes and adjacency" << std::endl;
      reportedMissingData = true;
    }
    return false;
  }
  if (vertexList.capacity() < mesh.indexCount()) vertexList.reserve(mesh.indexCount());

  lit.resize(tris);
  for (std::uint32_t t = 0; t < tris; ++t) {
    const FacePlane& p = frame.facePlanes[t];
    lit[t] = p.a * lx + p.b * ly + p.c * lz + p.d * lw > 0.0f;
  }
  // An open mesh has no unlit surface behind every lit one, so its back cap is made of the lit
  // triangles pushed away and reversed instead; with the open edges as silhouette edges this closes it.
  const bool open = std::find(adjacency.begin(), adjacency.end(), Mesh::kNoNeighbour) != adjacency.end();

  const float dist = extrusion;
  const auto extrude = [&](const Vector3& p) {
    return ShadowVertex{(p.x * lw - lx) * dist, (p.y * lw - ly) * dist, (p.z * lw - lz) * dist, 0.0f};
  };
  const auto inPlace = [](const Vector3& p) { return ShadowVertex{p.x, p.y, p.z, 1.0f}; };

  for (std::uint32_t t = 0; t < tris; ++t) {
    const Vector3* corners[3] = {&frame.positions[mesh.corner(t, 0)], &frame.positions[mesh.corner(t, 1)],
                                 &frame.positions[mesh.corner(t, 2)]};
    if (!lit[t]) {
      if (!open)
        for (const Vector3* c : corners) vertexList.push_back(extrude(*c));
      continue;
    }
    for (const Vector3* c : corners) vertexList.push_back(inPlace(*c));
    if (open) {
      vertexList.push_back(extrude(*corners[0]));
      vertexList.push_back(extrude(*corners[2]));
      vertexList.push_back(extrude(*corners[1]));
    }
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t neighbour = adjacency[t * 3 + e];
      if (neighbour != Mesh::kNoNeighbour && lit[neighbour]) continue;
      const Vector3& a = *corners[e];
      const Vector3& b = *corners[(e + 1) % 3];
      const ShadowVertex ea = extrude(a);
      vertexList.push_back(inPlace(b));
      vertexList.push_back(inPlace(a));
      vertexList.push_back(ea);
      vertexList.push_back(inPlace(b));
      vertexList.push_back(ea);
      vertexList.push_back(extrude(b));
    }
  }
  return true;
}
