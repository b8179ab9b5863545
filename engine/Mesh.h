#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/BoundingSphere.h"
#include "engine/Color.h"
#include "engine/MeshChangeListener.h"
#include "engine/VertexFrame.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

// Keyframed, indexed triangle list with 16-bit indices and clockwise front faces. Two selected frames
// and a blend factor give the current frame that everything else reads.
//
// Every index array is checked against the vertex count when it is set and refused (with a log line)
// if any index is out of range, so no operation ever reads outside a vertex array.
class Mesh : public RefCounted {
 public:
  static constexpr int kTexChannels = 4;
  static constexpr int kColorStreams = 2;
  // Adjacency entry of an edge that no other triangle shares.
  static constexpr std::uint16_t kNoNeighbour = 0xFFFF;

  enum TexMode : std::uint32_t { TexUnused = 0, TexExplicit = 1, TexReflection = 2 };

  // Frame 0 gets positions and normals; non-empty texCoords go to channel 0 (mode 1), colors to
  // stream 0. Arrays of the wrong size are dropped (positions are zero-filled) with a log line. With
  // indexCount 0 (no indices) every three consecutive vertices form a triangle. With frameCount 0 the
  // mesh holds nothing (vertexCount 0).
  Mesh(std::uint32_t frameCount, std::uint32_t vertexCount, std::vector<Vector3> positions,
       std::vector<Vector3> normals = {}, std::vector<TexCoord> texCoords = {}, std::vector<Color> colors = {},
       std::vector<std::uint16_t> indices = {});
  ~Mesh() override;

  static RefPtr<Mesh> createQuad(float width, float height);
  static RefPtr<Mesh> createBox(float width, float height, float depth);
  // Odd segment counts round up to even. Null when the sphere would need 65535 or more vertices,
  // or for fewer than three segments (two would leave no ring between the poles).
  static RefPtr<Mesh> createSphere(float radius, int segments);

  std::uint32_t frameCount() const { return static_cast<std::uint32_t>(frames.size()); }
  std::uint32_t vertexCount() const { return vertices; }
  std::uint32_t indexCount() const { return static_cast<std::uint32_t>(indexArray.size()); }
  std::uint32_t triangleCount() const { return indexArray.empty() ? vertices / 3 : indexCount() / 3; }
  // Vertex index of corner k (0..2) of triangle t, for indexed and non-indexed meshes alike.
  std::uint32_t corner(std::uint32_t t, int k) const {
    return indexArray.empty() ? t * 3 + k : indexArray[t * 3 + k];
  }

  // Null for an index past the last frame. Loaders fill frames 1.. through it, then call
  // computeBounds (and notifyChanged if a listener may hold a copy).
  VertexFrame* frame(std::uint32_t i) { return i < frames.size() ? &frames[i] : nullptr; }
  const VertexFrame* frame(std::uint32_t i) const { return i < frames.size() ? &frames[i] : nullptr; }

  // Out-of-range frames select (0, 0, 0); t is clamped to [0, 1]. Notifies the listener.
  void setFrames(std::uint32_t a, std::uint32_t b, float t);
  std::uint32_t frameA() const { return selectedA; }
  std::uint32_t frameB() const { return selectedB; }
  float blend() const { return blendFactor; }
  // The frame readers use: one of the key frames, or the blended frame. A selected frame without
  // vertexCount positions is replaced by frame 0.
  const VertexFrame& current() const { return *currentFrame; }
  // True once a blend strictly between 0 and 1 needed the blended frame.
  bool hasBlendedFrame() const { return blendedFrame != nullptr; }

  // Mode 1 needs vertexCount coordinates (otherwise the channel becomes unused, with a log line);
  // modes 0 and 2 carry none. Channels ≥ 4 are ignored.
  void setTexCoords(int channel, std::uint32_t mode, std::vector<TexCoord> data = {});
  std::uint32_t texCoordMode(int channel) const;
  // Empty unless the channel has mode 1.
  const std::vector<TexCoord>& texCoords(int channel) const;
  // v → 1 − v on a mode-1 channel.
  void flipTexCoordV(int channel);

  // Streams 0 and 1; an array of the wrong size is refused. Empty for no stream or k ≥ 2.
  bool setColors(int stream, std::vector<Color> colors);
  const std::vector<Color>& colors(int stream) const;
  // The stream's vertexCount colours for rewriting in place (per-frame vertex colours without a
  // new array); null for no stream or k ≥ 2. Callers then call notifyChanged.
  Color* writableColors(int stream);

  // Refuses (keeps the old indices, logs) an empty set, a count that is not a multiple of 3, or any
  // index ≥ vertexCount.
  bool setIndices(std::vector<std::uint16_t> indices);
  const std::vector<std::uint16_t>& indices() const { return indexArray; }
  // Changes whenever the indices do (setIndices, flipWinding), so that a copy of them (the
  // renderer's index buffer) is refilled only when it is out of date.
  std::uint32_t indexRevision() const { return indicesRevision; }

  // Appends a copy of each listed vertex (in list order, as the new vertices vertexCount,
  // vertexCount + 1, ...) to every per-vertex array: each frame's positions, normals and tangent
  // frames, the mode-1 texture channels and the colour streams. The triangles of an indexed mesh
  // are unchanged until setIndices names the new vertices. Refused (false, with a log line) when a source is out of
  // range or the count would pass what 16-bit indices can name.
  bool appendVertexCopies(const std::vector<std::uint32_t>& sources);

  // Three entries per triangle, the triangle across edge e (corner e to corner e + 1), or
  // kNoNeighbour; empty until built.
  const std::vector<std::uint16_t>& adjacency() const { return adjacencyArray; }
  // False (with a log line) when frame 0 has no positions or there are more triangles than 16-bit
  // entries can name.
  bool buildAdjacency();

  void setDynamic(bool on) { dynamicData = on; }
  bool isDynamic() const { return dynamicData; }

  void computeBounds();
  void computeFacePlanes();
  // Indexed meshes only. angleWeighted weights each face by the corner's angle; shareByPosition
  // gives vertices at bit-identical positions one common normal.
  void computeNormals(bool angleWeighted, bool shareByPosition);
  // Reverses every triangle and negates normals and face planes, keeping the adjacency consistent.
  void flipWinding();

  void setListener(RefPtr<MeshChangeListener> newListener) { changeListener = std::move(newListener); }
  MeshChangeListener* listener() const { return changeListener.get(); }
  // Tells the listener that the data changed; callers that rewrite frame arrays in place call it.
  void notifyChanged();

  // Blends frames a and b into out, copying elements that are bit-identical in both. t = 0 copies a,
  // t = 1 copies b, t outside [0, 1] leaves out alone.
  static void blendFrames(const VertexFrame& a, const VertexFrame& b, float t, VertexFrame& out,
                          std::uint32_t vertexCount, std::uint32_t triangleCount);
  static BoundingSphere boundsOf(const std::vector<Vector3>& positions);

 private:
  void updateCurrent();
  bool hasPositions(const VertexFrame& f) const { return f.positions.size() == vertices && vertices > 0; }
  bool hasNormals(const VertexFrame& f) const { return f.normals.size() == vertices && vertices > 0; }

  struct TexChannel {
    std::uint32_t mode = TexUnused;
    std::vector<TexCoord> data;
  };

  std::vector<VertexFrame> frames;
  std::uint32_t selectedA = 0;
  std::uint32_t selectedB = 0;
  float blendFactor = 0.0f;
  const VertexFrame* currentFrame = nullptr;
  std::unique_ptr<VertexFrame> blendedFrame;  // allocated on the first real blend, then reused
  std::uint32_t vertices = 0;
  TexChannel channels[kTexChannels];
  std::vector<Color> colorStreams[kColorStreams];
  std::vector<std::uint16_t> indexArray;
  std::uint32_t indicesRevision = 0;
  std::vector<std::uint16_t> adjacencyArray;
  RefPtr<MeshChangeListener> changeListener;
  bool dynamicData = false;
  VertexFrame emptyFrame;  // current() of a mesh without frames
  // Scratch of computeNormals, kept so that a mesh refreshed every frame allocates nothing.
  std::vector<std::uint32_t> normalGroups;
  std::vector<Vector3> normalSums;
};
