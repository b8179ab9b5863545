#pragma once
#include <cstdint>

#include "engine/MeshChangeListener.h"
#include "foundation/RefPtr.h"
#include "device/GraphicsDevice.h"

class D3D8Renderer;
class Mesh;

// The device copy of a Mesh: a vertex buffer and a 16-bit index buffer. The renderer attaches it
// to the mesh as change listener on the mesh's first draw; every change notification refits both
// buffers and refills the vertex buffer, and the index buffer when the indices changed since it was
// filled (a water grid changes its vertices every frame, its triangles never), so drawing never has
// to look at the mesh's arrays again.
class HardwareMesh : public MeshChangeListener {
 public:
  // mesh is a back link (the mesh owns this object); the renderer is found by its serial, so a
  // mesh that outlives its renderer refreshes and draws nothing instead of using a dead one.
  HardwareMesh(Mesh* mesh, std::uint64_t rendererSerial);
  ~HardwareMesh() override;

  // Refits and refills the buffers, stopping at the first device failure.
  void changed();
  void draw();

  void meshChanged(Mesh& changedMesh) override;

  // Position, then normal, diffuse, specular, and one or two coordinate pairs, as the mesh has them.
  static std::uint32_t formatFor(const Mesh& mesh);

  Mesh* mesh() const { return meshLink; }
  DeviceVertexBuffer* vertexBuffer() const { return vertices.get(); }
  DeviceIndexBuffer* indexBuffer() const { return indices.get(); }
  std::uint32_t format() const { return vertexFormat; }
  std::uint32_t bufferVertices() const { return vertexCapacity; }
  std::uint32_t bufferIndices() const { return indexCapacity; }
  // Which renderer made it: a mesh drawn by a later renderer gets buffers of that renderer.
  std::uint64_t rendererSerial() const { return serial; }

 private:
  bool fitVertexBuffer(GraphicsDevice& device);
  bool fillVertexBuffer();
  bool fitIndexBuffer(GraphicsDevice& device);
  bool fillIndexBuffer();

  Mesh* meshLink;
  RefPtr<DeviceVertexBuffer> vertices;
  RefPtr<DeviceIndexBuffer> indices;
  std::uint32_t vertexFormat = 0;
  std::uint32_t vertexCapacity = 0;
  std::uint32_t indexCapacity = 0;
  bool indicesFilled = false;  // the index buffer holds the indices of filledIndexRevision
  std::uint32_t filledIndexRevision = 0;
  std::uint64_t serial;
};
