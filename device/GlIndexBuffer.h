#pragma once
#include "device/GlBufferStorage.h"
#include "device/GlResource.h"
#include "device/GraphicsDevice.h"

// 16-bit indices. The largest index in the buffer is kept so draws can refuse indices that point
// past the bound vertices without scanning them every time.
class GlIndexBuffer : public DeviceIndexBuffer, public GlResource {
 public:
  GlIndexBuffer(GlDevice* owner, std::uint32_t length, std::uint32_t usage, std::uint32_t pool);
  ~GlIndexBuffer() override;

  int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override;
  int unlock() override;

  std::uint32_t glName() const { return storage.name(); }
  std::uint32_t indexCount() const { return length() / 2; }
  std::uint16_t largestIndex() const { return largest; }
  // Largest of count indices from first (the caller keeps them inside the buffer).
  std::uint16_t largestIndex(std::uint32_t first, std::uint32_t count) const;

 protected:
  void freeGl() override { storage.freeGl(); }

 private:
  GlBufferStorage storage;
  std::uint16_t largest = 0;
};
