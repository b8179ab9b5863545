#include "engine/Mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>

#include "engine/MathConstants.h"
#include "foundation/Logger.h"

namespace {

const std::vector<TexCoord> kNoTexCoords;
const std::vector<Color> kNoColors;

template <typename T>
bool bitEqual(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

Vector3 mix(const Vector3& a, const Vector3& b, float t) { return a * (1.0f - t) + b * t; }
float mix(float a, float b, float t) { return a * (1.0f - t) + b * t; }
FacePlane mix(const FacePlane& a, const FacePlane& b, float t) {
  return {mix(a.a, b.a, t), mix(a.b, b.b, t), mix(a.c, b.c, t), mix(a.d, b.d, t)};
}
TangentFrame mix(const TangentFrame& a, const TangentFrame& b, float t) {
  return {mix(a.tangent, b.tangent, t), mix(a.binormal, b.binormal, t), mix(a.normal, b.normal, t)};
}

// Element-wise blend of two equally long arrays; identical elements are copied untouched.
template <typename T>
void blendArray(const std::vector<T>& a, const std::vector<T>& b, float t, std::vector<T>& out) {
  out.resize(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) out[i] = bitEqual(a[i], b[i]) ? a[i] : mix(a[i], b[i], t);
}

// Both arrays hold `count` elements (count > 0).
template <typename T>
bool bothHave(const std::vector<T>& a, const std::vector<T>& b, std::size_t count) {
  return count > 0 && a.size() == count && b.size() == count;
}

std::uint32_t floatBits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// A 64-bit finaliser (MurmurHash3's): every input bit reaches every output bit.
std::uint64_t mixBits(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 33);
}

// Hash of a position's bits.
std::uint32_t positionHash(const Vector3& p) {
  std::uint32_t bits[3];
  std::memcpy(bits, &p, sizeof bits);
  return static_cast<std::uint32_t>(mixBits((std::uint64_t(bits[0]) << 32 | bits[1]) ^ mixBits(bits[2])));
}

// Angle between two edges leaving a corner; 0 for a degenerate corner, so it adds nothing.
float cornerAngle(const Vector3& e1, const Vector3& e2) {
  const float l1 = e1.length(), l2 = e2.length();
  if (!(l1 > 0.0f) || !(l2 > 0.0f)) return 0.0f;
  const float cosine = std::clamp(e1.dot(e2) / (l1 * l2), -1.0f, 1.0f);
  return std::acos(cosine);
}

}  // namespace

Mesh::Mesh(std::uint32_t frameCount, std::uint32_t vertexCount, std::vector<Vector3> positions,
           std::vector<Vector3> normals, std::vector<TexCoord> texCoords, std::vector<Color> colors,
           std::vector<std::uint16_t> indices)
    : vertices(frameCount > 0 ? vertexCount : 0) {
  currentFrame = &emptyFrame;
  // Without frames there is nowhere to keep vertices, so the mesh holds none.
  if (frameCount == 0) return;
  frames.resize(frameCount);
  if (positions.size() != vertexCount) {
    Logger::instance().line(2) << "Mesh positions do not match the vertex count" << std::endl;
    positions.resize(vertexCount);
  }
  frames[0].positions = std::move(positions);
  if (!normals.empty() && normals.size() != vertexCount) {
    Logger::instance().line(2) << "Mesh normals do not match the vertex count" << std::endl;
    normals.clear();
  }
  frames[0].normals = std::move(normals);
  if (!texCoords.empty()) setTexCoords(0, TexExplicit, std::move(texCoords));
  if (!colors.empty()) setColors(0, std::move(colors));
  if (!indices.empty()) setIndices(std::move(indices));
  computeBounds();
  setFrames(0, 0, 0.0f);
}

Mesh::~Mesh() = default;

void Mesh::setFrames(std::uint32_t a, std::uint32_t b, float t) {
  if (a < frames.size() && b < frames.size()) {
    selectedA = a;
    selectedB = b;
    // A factor outside [0, 1] would leave the blended frame unwritten; clamp it instead.
    blendFactor = t > 0.0f ? std::min(t, 1.0f) : 0.0f;
  } else {
    selectedA = selectedB = 0;
    blendFactor = 0.0f;
  }
  updateCurrent();
  notifyChanged();
}

void Mesh::updateCurrent() {
  if (frames.empty()) {
    currentFrame = &emptyFrame;
    return;
  }
  // A frame a loader left without (enough) positions is read as frame 0, so the current frame always
  // holds vertexCount positions.
  const VertexFrame& a = hasPositions(frames[selectedA]) ? frames[selectedA] : frames[0];
  const VertexFrame& b = hasPositions(frames[selectedB]) ? frames[selectedB] : frames[0];
  if (blendFactor == 0.0f) {
    currentFrame = &a;
  } else if (blendFactor == 1.0f) {
    currentFrame = &b;
  } else {
    if (!blendedFrame) blendedFrame = std::make_unique<VertexFrame>();
    blendFrames(a, b, blendFactor, *blendedFrame, vertices, triangleCount());
    currentFrame = blendedFrame.get();
  }
}

void Mesh::blendFrames(const VertexFrame& a, const VertexFrame& b, float t, VertexFrame& out,
                       std::uint32_t vertexCount, std::uint32_t triangleCount) {
  if (!(t >= 0.0f && t <= 1.0f)) return;
  const VertexFrame* whole = t == 0.0f ? &a : t == 1.0f ? &b : nullptr;
  if (whole) {
    out = *whole;
    return;
  }
  // Arrays either frame lacks are emptied (capacity kept) so stale data of an earlier pair is not read.
  if (bothHave(a.positions, b.positions, vertexCount)) {
    blendArray(a.positions, b.positions, t, out.positions);
  } else {
    out.positions = a.positions.size() == vertexCount ? a.positions : b.positions;
  }
  if (bothHave(a.normals, b.normals, vertexCount)) blendArray(a.normals, b.normals, t, out.normals);
  else out.normals.clear();
  if (bothHave(a.facePlanes, b.facePlanes, triangleCount)) blendArray(a.facePlanes, b.facePlanes, t, out.facePlanes);
  else out.facePlanes.clear();
  if (bothHave(a.tangentFrames, b.tangentFrames, vertexCount)) {
    blendArray(a.tangentFrames, b.tangentFrames, t, out.tangentFrames);
  } else {
    out.tangentFrames.clear();
  }
  out.bounds.center = bitEqual(a.bounds.center, b.bounds.center) ? a.bounds.center
                                                                  : mix(a.bounds.center, b.bounds.center, t);
  out.bounds.radius = a.bounds.radius == b.bounds.radius ? a.bounds.radius : mix(a.bounds.radius, b.bounds.radius, t);
}

void Mesh::setTexCoords(int channel, std::uint32_t mode, std::vector<TexCoord> data) {
  if (channel < 0 || channel >= kTexChannels) return;
  TexChannel& ch = channels[channel];
  ch.data.clear();
  ch.data.shrink_to_fit();
  ch.mode = mode;
  if (mode == TexExplicit) {
    if (data.empty()) {
      ch.mode = TexUnused;
    } else if (data.size() != vertices) {
      Logger::instance().line(2) << "Mesh texture coordinates do not match the vertex count" << std::endl;
      ch.mode = TexUnused;
    } else {
      ch.data = std::move(data);
    }
  }
  notifyChanged();
}

std::uint32_t Mesh::texCoordMode(int channel) const {
  return channel >= 0 && channel < kTexChannels ? channels[channel].mode : static_cast<std::uint32_t>(TexUnused);
}

const std::vector<TexCoord>& Mesh::texCoords(int channel) const {
  return channel >= 0 && channel < kTexChannels ? channels[channel].data : kNoTexCoords;
}

void Mesh::flipTexCoordV(int channel) {
  if (texCoordMode(channel) != TexExplicit) return;
  for (TexCoord& c : channels[channel].data) c.v = 1.0f - c.v;
  notifyChanged();
}

bool Mesh::setColors(int stream, std::vector<Color> colors) {
  if (stream < 0 || stream >= kColorStreams) return false;
  if (!colors.empty() && colors.size() != vertices) {
    Logger::instance().line(2) << "Mesh colours do not match the vertex count" << std::endl;
    return false;
  }
  colorStreams[stream] = std::move(colors);
  return true;
}

const std::vector<Color>& Mesh::colors(int stream) const {
  return stream >= 0 && stream < kColorStreams ? colorStreams[stream] : kNoColors;
}

Color* Mesh::writableColors(int stream) {
  if (stream < 0 || stream >= kColorStreams || colorStreams[stream].empty()) return nullptr;
  return colorStreams[stream].data();
}

bool Mesh::setIndices(std::vector<std::uint16_t> indices) {
  if (indices.empty()) return false;
  if (indices.size() % 3 != 0) {
    Logger::instance().line(2) << "Mesh index count is not a multiple of 3" << std::endl;
    return false;
  }
  for (std::uint16_t i : indices) {
    if (i >= vertices) {
      Logger::instance().line(2) << "Mesh index out of range" << std::endl;
      return false;
    }
  }
  indexArray = std::move(indices);
  ++indicesRevision;
  // Triangles changed, so the old neighbours and planes no longer describe them.
  adjacencyArray.clear();
  for (VertexFrame& f : frames) f.facePlanes.clear();
  if (blendedFrame) blendedFrame->facePlanes.clear();
  return true;
}

bool Mesh::appendVertexCopies(const std::vector<std::uint32_t>& sources) {
  if (sources.empty()) return true;
  if (frames.empty() || vertices + sources.size() > 0x10000u) {
    Logger::instance().line(2) << "Mesh cannot grow past 65536 vertices" << std::endl;
    return false;
  }
  for (std::uint32_t s : sources) {
    if (s >= vertices) {
      Logger::instance().line(2) << "Mesh vertex copy out of range" << std::endl;
      return false;
    }
  }
  const std::size_t oldCount = vertices;
  auto grow = [&](auto& array) {
    if (array.size() != oldCount) return;  // absent (or not per-vertex): left alone
    array.reserve(oldCount + sources.size());
    for (std::uint32_t s : sources) array.push_back(array[s]);
  };
  for (VertexFrame& f : frames) {
    grow(f.positions);
    grow(f.normals);
    grow(f.tangentFrames);
  }
  for (TexChannel& ch : channels) grow(ch.data);
  for (auto& stream : colorStreams) grow(stream);
  vertices = static_cast<std::uint32_t>(oldCount + sources.size());
  updateCurrent();
  notifyChanged();
  return true;
}

BoundingSphere Mesh::boundsOf(const std::vector<Vector3>& positions) {
  BoundingSphere s;
  if (positions.empty()) return s;
  double sum[3] = {0, 0, 0};
  for (const Vector3& p : positions) {
    sum[0] += p.x;
    sum[1] += p.y;
    sum[2] += p.z;
  }
  const double n = static_cast<double>(positions.size());
  s.center = Vector3(static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n), static_cast<float>(sum[2] / n));
  float maxSq = 0.0f;
  for (const Vector3& p : positions) maxSq = std::max(maxSq, (p - s.center).lengthSquared());
  s.radius = std::sqrt(maxSq) + 0.001f;
  return s;
}

void Mesh::computeBounds() {
  for (VertexFrame& f : frames) {
    if (hasPositions(f)) f.bounds = boundsOf(f.positions);
  }
  updateCurrent();
}

void Mesh::computeFacePlanes() {
  const std::uint32_t tris = triangleCount();
  for (VertexFrame& f : frames) {
    if (!hasPositions(f)) continue;
    f.facePlanes.resize(tris);
    for (std::uint32_t t = 0; t < tris; ++t) {
      const Vector3& p0 = f.positions[corner(t, 0)];
      const Vector3 n = (f.positions[corner(t, 1)] - p0).cross(f.positions[corner(t, 2)] - p0);
      f.facePlanes[t] = {n.x, n.y, n.z, -n.dot(p0)};
    }
  }
  updateCurrent();
}

void Mesh::computeNormals(bool angleWeighted, bool shareByPosition) {
  if (indexArray.empty()) return;
  const std::uint32_t tris = triangleCount();
  std::vector<std::uint32_t>& group = normalGroups;
  std::vector<Vector3>& sums = normalSums;
  group.resize(vertices);
  for (VertexFrame& f : frames) {
    if (!hasPositions(f)) continue;
    // Each vertex accumulates into its group: itself, or all vertices at its exact position.
    std::uint32_t groupCount = 0;
    if (shareByPosition) {
      std::map<std::array<std::uint32_t, 3>, std::uint32_t> byPosition;
      for (std::uint32_t v = 0; v < vertices; ++v) {
        const Vector3& p = f.positions[v];
        auto [it, inserted] = byPosition.try_emplace({floatBits(p.x), floatBits(p.y), floatBits(p.z)}, groupCount);
        if (inserted) ++groupCount;
        group[v] = it->second;
      }
    } else {
      for (std::uint32_t v = 0; v < vertices; ++v) group[v] = v;
      groupCount = vertices;
    }
    sums.assign(groupCount, Vector3());
    for (std::uint32_t t = 0; t < tris; ++t) {
      const std::uint32_t i[3] = {corner(t, 0), corner(t, 1), corner(t, 2)};
      const Vector3 p[3] = {f.positions[i[0]], f.positions[i[1]], f.positions[i[2]]};
      const Vector3 faceNormal = (p[1] - p[0]).cross(p[2] - p[0]);
      for (int k = 0; k < 3; ++k) {
        const float weight = angleWeighted ? cornerAngle(p[(k + 1) % 3] - p[k], p[(k + 2) % 3] - p[k]) : 1.0f;
        sums[group[i[k]]] += faceNormal * weight;
      }
    }
    f.normals.resize(vertices);
    for (std::uint32_t v = 0; v < vertices; ++v) {
      Vector3 n = sums[group[v]];
      if (!(n == Vector3::zero())) n.normalize();
      f.normals[v] = n;
    }
  }
  updateCurrent();
  notifyChanged();
}

namespace {

// The adjacency of triangles whose corners are given as position numbers (0 ≤ number < positions):
// the directed edges (slot 3t + e runs from corner e to corner e + 1) are grouped by the position
// they start at, each group in ascending triangle order (a counting sort), as Entry values holding
// the triangle above the end position's Shift bits. An edge's neighbour is then the first entry of
// its end's group that runs back to its start from another triangle.
template <typename Entry, int Shift, typename Corners>
void linkEdges(const Corners& corners, std::uint32_t slots, std::uint32_t positions, std::uint16_t* adjacency) {
  const auto next = [](std::uint32_t slot) { return slot % 3 == 2 ? slot - 2 : slot + 1; };
  std::vector<std::uint32_t> start(positions + 1, 0);
  for (std::uint32_t slot = 0; slot < slots; ++slot) ++start[corners[slot] + 1];
  for (std::uint32_t a = 0; a < positions; ++a) start[a + 1] += start[a];
  std::vector<Entry> edges(slots);
  {
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::uint32_t slot = 0; slot < slots; ++slot) {
      edges[fill[corners[slot]]++] = static_cast<Entry>(slot / 3) << Shift | corners[next(slot)];
    }
  }
  constexpr Entry kEndMask = (Entry(1) << Shift) - 1;
  for (std::uint32_t slot = 0; slot < slots; ++slot) {
    const Entry t = slot / 3;
    const std::uint32_t a = corners[slot], b = corners[next(slot)];
    for (std::uint32_t at = start[b]; at < start[b + 1]; ++at) {
      const Entry edge = edges[at];
      if ((edge & kEndMask) == a && edge >> Shift != t) {
        adjacency[slot] = static_cast<std::uint16_t>(edge >> Shift);
        break;
      }
    }
  }
}

}  // namespace

bool Mesh::buildAdjacency() {
  adjacencyArray.clear();
  const std::uint32_t tris = triangleCount();
  if (frames.empty() || !hasPositions(frames[0])) {
    Logger::instance().line(2) << "Mesh adjacency needs positions" << std::endl;
    return false;
  }
  if (tris > kNoNeighbour) {
    Logger::instance().line(2) << "Mesh too large for adjacency" << std::endl;
    return false;
  }
  const std::vector<Vector3>& p = frames[0].positions;

  // Edges join on their end positions, bit for bit, not on vertex indices (texture seams split
  // vertices). So every vertex first gets the number of its position: that of the first vertex at
  // the same position, found through an open-addressing table of vertex indices.
  std::vector<std::uint32_t> positionOf(vertices);
  std::uint32_t positionCount = 0;
  {
    constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::uint32_t capacity = 16;
    while (capacity < vertices * 2) capacity <<= 1;
    const std::uint32_t mask = capacity - 1;
    std::vector<std::uint32_t> table(capacity, kEmpty);
    for (std::uint32_t v = 0; v < vertices; ++v) {
      std::uint32_t i = positionHash(p[v]) & mask;
      while (table[i] != kEmpty && !bitEqual(p[table[i]], p[v])) i = (i + 1) & mask;
      if (table[i] == kEmpty) {
        table[i] = v;
        positionOf[v] = positionCount++;
      } else {
        positionOf[v] = positionOf[table[i]];
      }
    }
  }
  // Position number of each triangle's corners, slot by slot.
  struct Corners {
    const std::uint32_t* positionOf;
    const std::uint16_t* indices;  // null: vertex 3t + e
    std::uint32_t operator[](std::uint32_t slot) const { return positionOf[indices ? indices[slot] : slot]; }
  };
  const Corners corners{positionOf.data(), indexArray.empty() ? nullptr : indexArray.data()};

  adjacencyArray.assign(tris * 3, kNoNeighbour);
  // Four bytes an edge while the position numbers fit 16 bits (always for indexed meshes), eight
  // beyond: the grouped edges are the largest array here, and smaller stays in the cache.
  if (positionCount <= 0x10000u) {
    linkEdges<std::uint32_t, 16>(corners, tris * 3, positionCount, adjacencyArray.data());
  } else {
    linkEdges<std::uint64_t, 32>(corners, tris * 3, positionCount, adjacencyArray.data());
  }
  return true;
}

void Mesh::flipWinding() {
  const std::uint32_t tris = triangleCount();
  if (!indexArray.empty()) {
    for (std::uint32_t t = 0; t < tris; ++t) std::swap(indexArray[t * 3 + 1], indexArray[t * 3 + 2]);
    ++indicesRevision;
  } else {
    // Without indices the vertex data itself is reordered.
    auto swapCorners = [tris](auto& array) {
      if (array.size() < tris * 3) return;
      for (std::uint32_t t = 0; t < tris; ++t) std::swap(array[t * 3 + 1], array[t * 3 + 2]);
    };
    for (VertexFrame& f : frames) {
      swapCorners(f.positions);
      swapCorners(f.normals);
      swapCorners(f.tangentFrames);
    }
    for (TexChannel& ch : channels) swapCorners(ch.data);
    for (auto& stream : colorStreams) swapCorners(stream);
  }
  for (VertexFrame& f : frames) {
    for (Vector3& n : f.normals) n = -n;
    // Swapping two corners exactly negates e1 × e2, so the planes stay valid.
    for (FacePlane& fp : f.facePlanes) fp = {-fp.a, -fp.b, -fp.c, -fp.d};
  }
  // Corners (0, 2, 1): the new edges 0, 1, 2 are the old edges 2, 1, 0 reversed.
  if (adjacencyArray.size() == tris * 3) {
    for (std::uint32_t t = 0; t < tris; ++t) std::swap(adjacencyArray[t * 3], adjacencyArray[t * 3 + 2]);
  }
  updateCurrent();
  notifyChanged();
}

void Mesh::notifyChanged() {
  if (changeListener) changeListener->meshChanged(*this);
}

RefPtr<Mesh> Mesh::createQuad(float width, float height) {
  const float hw = width * 0.5f, hh = height * 0.5f;
  std::vector<Vector3> positions = {{-hw, -hh, 0}, {-hw, hh, 0}, {hw, -hh, 0}, {hw, hh, 0}};
  std::vector<Vector3> normals(4, Vector3(0, 0, -1));
  std::vector<TexCoord> uv = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
  return RefPtr<Mesh>(new Mesh(1, 4, std::move(positions), std::move(normals), std::move(uv), {}, {0, 1, 2, 1, 3, 2}));
}

RefPtr<Mesh> Mesh::createBox(float width, float height, float depth) {
  const float x = width * 0.5f, y = height * 0.5f, z = depth * 0.5f;
  // Faces −z, +z, +y, −y, −x, +x. Opposite faces share a corner layout; the second of each pair
  // uses the reversed index pattern, so all triangles are clockwise seen from outside.
  const Vector3 corners[24] = {
      {-x, -y, -z}, {-x, y, -z}, {x, y, -z}, {x, -y, -z},  //
      {-x, -y, z},  {-x, y, z},  {x, y, z},  {x, -y, z},   //
      {-x, y, -z},  {-x, y, z},  {x, y, z},  {x, y, -z},   //
      {-x, -y, -z}, {-x, -y, z}, {x, -y, z}, {x, -y, -z},  //
      {-x, -y, -z}, {-x, -y, z}, {-x, y, z}, {-x, y, -z},  //
      {x, -y, -z},  {x, -y, z},  {x, y, z},  {x, y, -z},
  };
  const Vector3 faceNormals[6] = {{0, 0, -1}, {0, 0, 1}, {0, 1, 0}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}};
  std::vector<Vector3> positions(corners, corners + 24);
  std::vector<Vector3> normals(24);
  std::vector<std::uint16_t> indices;
  indices.reserve(36);
  for (int face = 0; face < 6; ++face) {
    for (int k = 0; k < 4; ++k) normals[face * 4 + k] = faceNormals[face];
    const auto a = static_cast<std::uint16_t>(face * 4);
    if (face % 2 == 0) {
      indices.insert(indices.end(), {a, std::uint16_t(a + 1), std::uint16_t(a + 2), a, std::uint16_t(a + 2),
                                     std::uint16_t(a + 3)});
    } else {
      indices.insert(indices.end(), {a, std::uint16_t(a + 2), std::uint16_t(a + 1), a, std::uint16_t(a + 3),
                                     std::uint16_t(a + 2)});
    }
  }
  return RefPtr<Mesh>(new Mesh(1, 24, std::move(positions), std::move(normals), {}, {}, std::move(indices)));
}

RefPtr<Mesh> Mesh::createSphere(float radius, int segments) {
  if (segments < 3) {
    Logger::instance().line(2) << "Sphere needs at least 3 segments" << std::endl;
    return nullptr;
  }
  const long long s = segments + (segments & 1);
  const long long rings = s / 2 - 1;
  const long long n = rings * s + 2;
  if (n >= 65535) return nullptr;
  if (radius < 0.0f) radius = 1.0f;
  const float step = kTwoPi / static_cast<float>(s);
  std::vector<Vector3> normals;
  normals.reserve(n);
  normals.emplace_back(0.0f, 1.0f, 0.0f);
  for (long long i = 1; i <= rings; ++i) {
    const float theta = static_cast<float>(i) * step;
    for (long long j = 0; j < s; ++j) {
      const float phi = static_cast<float>(j) * step;
      normals.emplace_back(std::cos(phi) * std::sin(theta), std::cos(theta), std::sin(phi) * std::sin(theta));
    }
  }
  normals.emplace_back(0.0f, -1.0f, 0.0f);
  std::vector<Vector3> positions(normals.size());
  for (std::size_t v = 0; v < normals.size(); ++v) positions[v] = normals[v] * radius;

  const auto ring = [s](long long i, long long j) { return static_cast<std::uint16_t>(1 + (i - 1) * s + (j % s)); };
  const auto south = static_cast<std::uint16_t>(n - 1);
  std::vector<std::uint16_t> indices;
  indices.reserve(6 * s * rings);
  for (long long j = 0; j < s; ++j) indices.insert(indices.end(), {0, ring(1, j + 1), ring(1, j)});
  for (long long i = 1; i < rings; ++i) {
    for (long long j = 0; j < s; ++j) {
      indices.insert(indices.end(), {ring(i, j), ring(i, j + 1), ring(i + 1, j)});
      indices.insert(indices.end(), {ring(i, j + 1), ring(i + 1, j + 1), ring(i + 1, j)});
    }
  }
  for (long long j = 0; j < s; ++j) indices.insert(indices.end(), {south, ring(rings, j), ring(rings, j + 1)});
  return RefPtr<Mesh>(new Mesh(1, static_cast<std::uint32_t>(n), std::move(positions), std::move(normals), {}, {},
                               std::move(indices)));
}
