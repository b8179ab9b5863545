#pragma once
#include <vector>

#include "device/GlResource.h"
#include "device/GraphicsDevice.h"

// One-level RGBA8 texture filled from B, G, R, A rows in main memory at each unlock. With
// D3DFMT_X8R8G8B8 the sampler reads alpha as 1.
class GlTexture : public DeviceTexture, public GlResource {
 public:
  GlTexture(GlDevice* owner, std::uint32_t width, std::uint32_t height, std::uint32_t format);
  ~GlTexture() override;

  int getLevelDesc(std::uint32_t level, D3DSURFACE_DESC& desc) override;
  int lockRect(std::uint32_t level, D3DLOCKED_RECT& locked, std::uint32_t flags) override;
  int unlockRect(std::uint32_t level) override;

  std::uint32_t glName() const { return texture; }

 protected:
  void freeGl() override;

 private:
  std::uint32_t texture = 0;
  std::vector<std::uint8_t> memory;
  bool locked = false;
  std::uint32_t lockFlags = 0;
};
