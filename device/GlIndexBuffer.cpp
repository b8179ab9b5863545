#include "device/GlIndexBuffer.h"

#include <algorithm>
#include <cstring>

#include "device/GlDevice.h"

GlIndexBuffer::GlIndexBuffer(GlDevice* owner, std::uint32_t length, std::uint32_t usage,
                             std::uint32_t pool)
    : DeviceIndexBuffer(length, usage, pool),
      GlResource(owner),
      storage(length, (usage & D3DUSAGE_DYNAMIC) != 0) {}

GlIndexBuffer::~GlIndexBuffer() {
  if (device) device->makeCurrent();
}

int GlIndexBuffer::lock(std::uint32_t offset, std::uint32_t size, void** data,
                        std::uint32_t flags) {
  if (!device) {
    if (data) *data = nullptr;
    return D3DERR_INVALIDCALL;
  }
  return storage.lock(offset, size, data, flags);
}

int GlIndexBuffer::unlock() {
  if (!device) return D3DERR_INVALIDCALL;
  device->makeCurrent();
  int result = storage.unlock();
  if (result >= 0) largest = largestIndex(0, indexCount());
  return result;
}

std::uint16_t GlIndexBuffer::largestIndex(std::uint32_t first, std::uint32_t count) const {
  const auto& bytes = storage.bytes();
  std::uint16_t result = 0;
  for (std::uint32_t i = first; i < first + count && 2 * i + 1 < bytes.size(); ++i) {
    std::uint16_t index;
    std::memcpy(&index, bytes.data() + 2 * i, 2);
    result = std::max(result, index);
  }
  return result;
}
