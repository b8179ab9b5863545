#include "device/GlVertexBuffer.h"

#include "device/GlDevice.h"

GlVertexBuffer::GlVertexBuffer(GlDevice* owner, std::uint32_t length, std::uint32_t usage,
                               std::uint32_t fvf, std::uint32_t pool)
    : DeviceVertexBuffer(length, usage, fvf, pool),
      GlResource(owner),
      storage(length, (usage & D3DUSAGE_DYNAMIC) != 0) {}

GlVertexBuffer::~GlVertexBuffer() {
  if (device) device->makeCurrent();
}

int GlVertexBuffer::lock(std::uint32_t offset, std::uint32_t size, void** data,
                         std::uint32_t flags) {
  if (!device) {
    if (data) *data = nullptr;
    return D3DERR_INVALIDCALL;
  }
  return storage.lock(offset, size, data, flags);
}

int GlVertexBuffer::unlock() {
  if (!device) return D3DERR_INVALIDCALL;
  device->makeCurrent();
  return storage.unlock();
}
