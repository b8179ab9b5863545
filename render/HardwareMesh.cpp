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

// Copies Size bytes per vertex from source (packed) to out at the given stride; zeros without
// a source.
template <std::size_t Size>
void copyPart(std::uint8_t* out, std::size_t stride, const void* source, std::uint32_t count) {
  if (!source) {
    for (std::uint32_t i = 0; i < count; ++i, out += stride) std::memset(out, 0, Size);
    return;
  }
  const auto* in = static_cast<const std::uint8_t*>(source);
  for (std::uint32_t i = 0; i < count; ++i, out += stride, in += Size) std::memcpy(out, in, Size);
}

// Positions and normals alone (the water grids' format, 24-byte vertices), the commonest refill:
// per vertex two 16-byte moves, each carrying 12 bytes and 4 that the next move overwrites. The last
// vertex is copied exactly, so nothing is read or written past an array.
void copyPositionsAndNormals(std::uint8_t* out, const Vector3* positions, const Vector3* normals,
                             std::uint32_t count) {
  static_assert(sizeof(Vector3) == 12, "positions and normals are packed triples");
  if (count == 0) return;
  std::uint32_t i = 0;
  for (; i + 1 < count; ++i, out += 24) {
    std::memcpy(out, &positions[i], 16);
    std::memcpy(out + 12, &normals[i], 16);
  }
  std::memcpy(out, &positions[i], 12);
  std::memcpy(out + 12, &normals[i], 12);
}

void copyColors(std::uint8_t* out, std::size_t stride, const std::vector<Color>& colors, std::uint32_t count) {
  if (colors.size() != count) {
    copyPart<4>(out, stride, nullptr, count);
    return;
  }
  for (std::uint32_t i = 0; i < count; ++i, out += stride) {
    const std::uint32_t argb = colors[i].packed(2);
    std::memcpy(out, &argb, 4);
  }
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
  const bool current = indicesFilled && filledIndexRevision == meshLink->indexRevision();
  if (meshLink->indexCount() > 0 && !current && fillIndexBuffer()) {
    indicesFilled = true;
    filledIndexRevision = meshLink->indexRevision();
  }
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
  const std::size_t stride = fvfVertexSize(vertexFormat);
  void* data = nullptr;
  if (deviceFailed(vertices->lock(0, 0, &data, lockFlagsFor(mesh))) || !data) return false;

  const VertexFrame& frame = mesh.current();
  const std::vector<TexCoord>* channels[2] = {&mesh.texCoords(0), &mesh.texCoords(1)};

  // Part by part, in the order the format lays them out; a part the format has but the mesh
  // cannot fill is zeroed.
  auto* out = static_cast<std::uint8_t*>(data);
  if (vertexFormat == (D3DFVF_XYZ | D3DFVF_NORMAL) && frame.positions.size() == count &&
      frame.normals.size() == count) {
    copyPositionsAndNormals(out, frame.positions.data(), frame.normals.data(), count);
    return deviceSucceeded(vertices->unlock());
  }
  copyPart<12>(out, stride, frame.positions.size() == count ? frame.positions.data() : nullptr, count);
  out += 12;
  if (vertexFormat & D3DFVF_NORMAL) {
    copyPart<12>(out, stride, frame.normals.size() == count ? frame.normals.data() : nullptr, count);
    out += 12;
  }
  if (vertexFormat & D3DFVF_DIFFUSE) {
    copyColors(out, stride, mesh.colors(0), count);
    out += 4;
  }
  if (vertexFormat & D3DFVF_SPECULAR) {
    copyColors(out, stride, mesh.colors(1), count);
    out += 4;
  }
  // The channels that have coordinates fill the pairs in order (channel 1 alone takes the first).
  const int pairs = (vertexFormat & D3DFVF_TEX2) ? 2 : (vertexFormat & D3DFVF_TEX1) ? 1 : 0;
  int written = 0;
  for (const std::vector<TexCoord>* channel : channels) {
    if (written < pairs && channel->size() == count) {
      copyPart<8>(out, stride, channel->data(), count);
      out += 8;
      ++written;
    }
  }
  for (; written < pairs; ++written, out += 8) copyPart<8>(out, stride, nullptr, count);
  return deviceSucceeded(vertices->unlock());
}

bool HardwareMesh::fitIndexBuffer(GraphicsDevice& device) {
  const std::uint32_t count = meshLink->indexCount();
  if (count == 0) {
    indices.reset();
    indexCapacity = 0;
    indicesFilled = false;
    return true;
  }
  if (indices && count == indexCapacity) return true;
  indices.reset();
  indexCapacity = 0;
  indicesFilled = false;
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
