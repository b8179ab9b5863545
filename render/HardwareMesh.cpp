#include "render/HardwareMesh.h"

#include <cstring>

#include "engine/Mesh.h"
#include "render/D3D8Renderer.h"

namespace {

std::uint32_t usageFor(const Mesh& mesh) {
  return mesh.isDynamic() ? (D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC) : D3DUSAGE_WRITEONLY;
}

std::uint32_t poolFor(const Mesh& mesh) {
  return mesh.isDynamic() ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
}

// Dynamic buffers are refilled while the device may still read the previous contents.
std::uint32_t lockFlagsFor(const Mesh& mesh) { return mesh.isDynamic() ? D3DLOCK_DISCARD : 0; }

void put(std::uint8_t*& out, const void* data, std::size_t bytes) {
  std::memcpy(out, data, bytes);
  out += bytes;
}

}  // namespace

HardwareMesh::HardwareMesh(Mesh* mesh, std::uint64_t rendererSerial)
    : meshLink(mesh), serial(rendererSerial) {}

HardwareMesh::~HardwareMesh() {
  vertices.reset();
  indices.reset();
}

std::uint32_t HardwareMesh::formatFor(const Mesh& mesh) {
  std::uint32_t format = D3DFVF_XYZ;
  if (!mesh.colors(0).empty()) format |= D3DFVF_DIFFUSE;
  if (!mesh.colors(1).empty()) format |= D3DFVF_SPECULAR;
  if (mesh.vertexCount() > 0 && mesh.current().normals.size() == mesh.vertexCount()) {
    format |= D3DFVF_NORMAL;
  }
  if (mesh.texCoordMode(0) == Mesh::TexExplicit) format |= D3DFVF_TEX1;
  if (mesh.texCoordMode(1) == Mesh::TexExplicit) format = (format & ~D3DFVF_TEX1) | D3DFVF_TEX2;
  return format;
}

void HardwareMesh::meshChanged(Mesh&) { changed(); }

void HardwareMesh::changed() {
  D3D8Renderer* renderer = D3D8Renderer::withSerial(serial);
  GraphicsDevice* device = renderer ? renderer->device() : nullptr;
  if (!device || !meshLink) return;
  if (!fitVertexBuffer(*device)) return;
  if (meshLink->vertexCount() > 0 && !fillVertexBuffer()) return;
  if (!fitIndexBuffer(*device)) return;
  if (meshLink->indexCount() > 0) fillIndexBuffer();
}

void HardwareMesh::draw() {
  if (D3D8Renderer* renderer = D3D8Renderer::withSerial(serial)) renderer->drawHardwareMesh(*this);
}

bool HardwareMesh::fitVertexBuffer(GraphicsDevice& device) {
  const std::uint32_t format = formatFor(*meshLink);
  const std::uint32_t count = meshLink->vertexCount();
  if (vertices && count == vertexCapacity && format == vertexFormat) return true;
  vertices.reset();
  vertexCapacity = 0;
  vertexFormat = format;
  if (count == 0) return true;
  RefPtr<DeviceVertexBuffer> created;
  if (deviceFailed(device.createVertexBuffer(fvfVertexSize(format) * count, usageFor(*meshLink),
                                             format, poolFor(*meshLink), created)) ||
      !created) {
    return false;
  }
  vertices = created;
  vertexCapacity = count;
  return true;
}

bool HardwareMesh::fillVertexBuffer() {
  const Mesh& mesh = *meshLink;
  const std::uint32_t count = mesh.vertexCount();
  const std::uint32_t stride = fvfVertexSize(vertexFormat);
  void* data = nullptr;
  if (deviceFailed(vertices->lock(0, 0, &data, lockFlagsFor(mesh))) || !data) return false;

  const VertexFrame& frame = mesh.current();
  const bool hasPositions = frame.positions.size() == count;
  const bool hasNormals = (vertexFormat & D3DFVF_NORMAL) != 0;
  const std::vector<Color>& diffuse = mesh.colors(0);
  const std::vector<Color>& specular = mesh.colors(1);
  const std::vector<TexCoord>& channel0 = mesh.texCoords(0);
  const std::vector<TexCoord>& channel1 = mesh.texCoords(1);
  const float origin[3] = {0.0f, 0.0f, 0.0f};

  auto* base = static_cast<std::uint8_t*>(data);
  std::memset(base, 0, static_cast<std::size_t>(stride) * count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t* out = base + static_cast<std::size_t>(stride) * i;
    put(out, hasPositions ? static_cast<const void*>(&frame.positions[i]) : origin, 12);
    if (hasNormals) put(out, &frame.normals[i], 12);
    if (!diffuse.empty()) {
      const std::uint32_t argb = diffuse[i].packed(2);
      put(out, &argb, 4);
    }
    if (!specular.empty()) {
      const std::uint32_t argb = specular[i].packed(2);
      put(out, &argb, 4);
    }
    if (channel0.size() == count) put(out, &channel0[i], 8);
    if (channel1.size() == count) put(out, &channel1[i], 8);
  }
  return deviceSucceeded(vertices->unlock());
}

bool HardwareMesh::fitIndexBuffer(GraphicsDevice& device) {
  const std::uint32_t count = meshLink->indexCount();
  if (count == 0) {
    indices.reset();
    indexCapacity = 0;
    return true;
  }
  if (indices && count == indexCapacity) return true;
  indices.reset();
  indexCapacity = 0;
  RefPtr<DeviceIndexBuffer> created;
  if (deviceFailed(device.createIndexBuffer(2 * count, usageFor(*meshLink), D3DFMT_INDEX16,
                                            poolFor(*meshLink), created)) ||
      !created) {
    return false;
  }
  indices = created;
  indexCapacity = count;
  return true;
}

bool HardwareMesh::fillIndexBuffer() {
  const std::vector<std::uint16_t>& source = meshLink->indices();
  void* data = nullptr;
  if (deviceFailed(indices->lock(0, 0, &data, lockFlagsFor(*meshLink))) || !data) return false;
  std::memcpy(data, source.data(), source.size() * sizeof(std::uint16_t));
  return deviceSucceeded(indices->unlock());
}
