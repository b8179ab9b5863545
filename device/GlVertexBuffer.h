#pragma once
#include "device/GlBufferStorage.h"
#include "device/GlResource.h"
#include "device/GraphicsDevice.h"

class GlVertexBuffer : public DeviceVertexBuffer, public GlResource {
 public:
  GlVertexBuffer(GlDevice* owner, std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                 std::uint32_t pool);
  ~GlVertexBuffer() override;

  int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override;
  int unlock() override;

  std::uint32_t glName() const { return storage.name(); }

 protected:
  void freeGl() override { storage.freeGl(); }

 private:
  GlBufferStorage storage;
};
