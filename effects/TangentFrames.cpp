#include "effects/TangentFrames.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/Mesh.h"
#include "foundation/Logger.h"

namespace {

constexpr std::uint32_t kNoTwin = 0xFFFFFFFFu;
// The most vertices 16-bit indices can name.
constexpr std::uint32_t kMaxVertices = 0x10000u;

// Which way a corner's triangle is wound in texture space, seen along the corner's normal.
enum Handedness : std::uint8_t { kUndecided = 0, kRight = 1, kLeft = 2 };

float component(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Sums in double: slivers give long (finite) vectors, and many of them must not overflow.
struct FrameSum {
  double t[3] = {0, 0, 0};
  double b[3] = {0, 0, 0};
  double n[3] = {0, 0, 0};
};

void add(double sum[3], const Vector3& v) {
  sum[0] += v.x;
  sum[1] += v.y;
  sum[2] += v.z;
}

Vector3 normalised(const double sum[3]) {
  const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
  if (length == 0.0) return Vector3();
  return Vector3(static_cast<float>(sum[0] / length), static_cast<float>(sum[1] / length),
                 static_cast<float>(sum[2] / length));
}

Handedness sideOf(const TriangleTangents& tangents, const Vector3& normal) {
  const float side = tangents.tangent.cross(tangents.binormal).dot(normal);
  return side > 0.0f ? kRight : side < 0.0f ? kLeft : kUndecided;
}

// The normal a corner accumulates and judges its side by: the vertex normal, or the triangle's
// own when the frame has none.
struct CornerNormals {
  const std::vector<Vector3>* vertexNormals;
  Vector3 face;
  const Vector3& at(std::uint32_t vertex) const { return vertexNormals ? (*vertexNormals)[vertex] : face; }
};

CornerNormals cornerNormals(const VertexFrame& frame, std::uint32_t vertexCount, const Vector3 p[3]) {
  if (frame.normals.size() == vertexCount) return {&frame.normals, Vector3()};
  Vector3 face = (p[1] - p[0]).cross(p[2] - p[0]);
  if (!face.isZero()) face.normalize();
  else face = Vector3();
  return {nullptr, face};
}

}  // namespace

TriangleTangents triangleTangents(const Vector3 p[3], const TexCoord uv[3], bool flipV) {
  const float du1 = uv[1].u - uv[0].u, dv1 = uv[1].v - uv[0].v;
  const float du2 = uv[2].u - uv[0].u, dv2 = uv[2].v - uv[0].v;
  // For each axis c, the plane through (p.c, u, v) of the corners has the normal
  // e1 × e2 with e = (Δp.c, Δu, Δv); its first component, the texture-space area, is the same for
  // every axis, and T.c = −n.y / n.x, B.c = −n.z / n.x.
  const float area = du1 * dv2 - dv1 * du2;
  TriangleTangents out;
  if (area == 0.0f) return out;
  float t[3], b[3];
  for (int c = 0; c < 3; ++c) {
    const float dp1 = component(p[1], c) - component(p[0], c);
    const float dp2 = component(p[2], c) - component(p[0], c);
    t[c] = (dp1 * dv2 - dv1 * dp2) / area;
    b[c] = (du1 * dp2 - dp1 * du2) / area;
    if (!std::isfinite(t[c]) || !std::isfinite(b[c])) return TriangleTangents();
  }
  out.tangent = Vector3(t[0], t[1], t[2]);
  out.binormal = flipV ? Vector3(-b[0], -b[1], -b[2]) : Vector3(b[0], b[1], b[2]);
  return out;
}

bool buildTangentFrames(Mesh& mesh, bool flipV, int channel) {
  if (mesh.texCoordMode(channel) != Mesh::TexExplicit) return false;
  const std::uint32_t vertexCount = mesh.vertexCount();
  const std::vector<TexCoord>& uv = mesh.texCoords(channel);
  const VertexFrame* first = mesh.frame(0);
  if (vertexCount == 0 || uv.size() != vertexCount || !first || first->positions.size() != vertexCount) {
    return false;
  }
  const std::uint32_t triangles = mesh.triangleCount();

  auto cornersOf = [&](std::uint32_t t, std::uint32_t i[3], Vector3 p[3], TexCoord c[3], const VertexFrame& f) {
    for (int k = 0; k < 3; ++k) {
      i[k] = mesh.corner(t, k);
      p[k] = f.positions[i[k]];
      c[k] = uv[i[k]];
    }
  };

  // Frame 0 decides: the first corner with a side gives each vertex its handedness; a corner of
  // the other side moves to the vertex's twin.
  std::vector<std::uint8_t> handedness(vertexCount, kUndecided);
  std::vector<std::uint32_t> twinOf(vertexCount, kNoTwin);
  std::vector<std::uint32_t> twinSources;
  std::vector<std::uint16_t> indices = mesh.indices();
  for (std::uint32_t t = 0; t < triangles; ++t) {
    std::uint32_t i[3];
    Vector3 p[3];
    TexCoord c[3];
    cornersOf(t, i, p, c, *first);
    const TriangleTangents tangents = triangleTangents(p, c, flipV);
    const CornerNormals normals = cornerNormals(*first, vertexCount, p);
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t v = i[k];
      const Handedness side = sideOf(tangents, normals.at(v));
      if (side == kUndecided) continue;
      if (handedness[v] == kUndecided) {
        handedness[v] = side;
      } else if (side != handedness[v]) {
        if (twinOf[v] == kNoTwin) {
          twinOf[v] = vertexCount + static_cast<std::uint32_t>(twinSources.size());
          twinSources.push_back(v);
        }
        // Only an indexed mesh shares vertices between triangles, so only it can need a twin.
        if (!indices.empty()) indices[t * 3 + k] = static_cast<std::uint16_t>(twinOf[v] & 0xFFFFu);
      }
    }
  }
  const std::uint32_t total = vertexCount + static_cast<std::uint32_t>(twinSources.size());
  if (total > kMaxVertices) {
    Logger::instance().line(2) << "Tangent frames need " << total
                               << " vertices, more than 16-bit indices can name" << std::endl;
    return false;
  }

  // Every frame with positions sums its corners into the vertex or, where the corner lies on the
  // other side of a split vertex, into the twin: the target of each corner whose side would differ
  // from its vertex's is known from frame 0, the side itself is judged anew in each frame.
  std::vector<std::uint32_t> corners(static_cast<std::size_t>(triangles) * 3);
  std::vector<std::uint32_t> otherSide(corners.size());  // the corner's target when its side differs
  std::vector<std::uint8_t> cornerSide(corners.size());   // the vertex's handedness
  for (std::uint32_t slot = 0; slot < corners.size(); ++slot) {
    const std::uint32_t v = mesh.corner(slot / 3, static_cast<int>(slot % 3));
    corners[slot] = v;
    otherSide[slot] = twinOf[v] != kNoTwin ? twinOf[v] : v;
    cornerSide[slot] = handedness[v];
  }
  std::vector<std::vector<TangentFrame>> results(mesh.frameCount());
  std::vector<FrameSum> sums;
  for (std::uint32_t f = 0; f < mesh.frameCount(); ++f) {
    const VertexFrame& frame = *mesh.frame(f);
    if (frame.positions.size() != vertexCount) continue;
    sums.assign(total, FrameSum());
    const Vector3* positions = frame.positions.data();
    const bool vertexNormals = frame.normals.size() == vertexCount;
    for (std::uint32_t t = 0; t < triangles; ++t) {
      const std::uint32_t* i = &corners[t * 3];
      const Vector3 p[3] = {positions[i[0]], positions[i[1]], positions[i[2]]};
      const TexCoord c[3] = {uv[i[0]], uv[i[1]], uv[i[2]]};
      const TriangleTangents tangents = triangleTangents(p, c, flipV);
      const Vector3 facing = tangents.tangent.cross(tangents.binormal);
      Vector3 face;
      if (!vertexNormals) face = cornerNormals(frame, vertexCount, p).face;
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t slot = t * 3 + k;
        const Vector3& normal = vertexNormals ? frame.normals[i[k]] : face;
        const float sideValue = facing.dot(normal);
        const Handedness side = sideValue > 0.0f ? kRight : sideValue < 0.0f ? kLeft : kUndecided;
        const bool toTwin = side != kUndecided && cornerSide[slot] != kUndecided && side != cornerSide[slot];
        FrameSum& sum = sums[toTwin ? otherSide[slot] : i[k]];
        add(sum.t, tangents.tangent);
        add(sum.b, tangents.binormal);
        add(sum.n, normal);
      }
    }
    std::vector<TangentFrame>& out = results[f];
    out.resize(total);
    for (std::uint32_t v = 0; v < total; ++v) {
      out[v] = {normalised(sums[v].t), normalised(sums[v].b), normalised(sums[v].n)};
    }
  }

  if (!mesh.appendVertexCopies(twinSources)) return false;
  if (!twinSources.empty() && mesh.indexCount() > 0) mesh.setIndices(std::move(indices));
  for (std::uint32_t f = 0; f < mesh.frameCount(); ++f) {
    if (!results[f].empty()) mesh.frame(f)->tangentFrames = std::move(results[f]);
  }
  const Color white(0xFFFFFFFFu);
  mesh.setColors(0, std::vector<Color>(total, white));
  mesh.setColors(1, std::vector<Color>(total, white));
  // Re-selects the frames so the current (possibly blended) frame carries the new frames.
  mesh.setFrames(mesh.frameA(), mesh.frameB(), mesh.blend());
  return true;
}
