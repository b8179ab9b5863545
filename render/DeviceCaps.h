#pragma once
#include <cstdint>

#include "device/DeviceTypes.h"

class GraphicsDevice;

// What the graphics device of adapter 0 can do, read once by the renderer when it opens the device
// and consulted by the scenes (shadow volumes need a stencil format, bump mapping needs dot3).
// When the device cannot be asked, every capability reads as absent and every depth format as
// unsupported.
class DeviceCaps {
 public:
  // Depth-stencil candidates in probing order: D32, D24S8, D24X4S4, D24X8, D16, D15S1.
  static constexpr int kDepthFormatCount = 6;
  static constexpr std::uint32_t kDepthFormats[kDepthFormatCount] = {
      D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D24X8, D3DFMT_D16, D3DFMT_D15S1};

  // The program-wide record; all capabilities absent until a query filled it.
  static DeviceCaps& instance();

  // Queries the device for an adapter (adapter 0 when the number is out of range). A null
  // device leaves everything absent.
  void query(GraphicsDevice* device, std::uint32_t adapter);

  bool hasHardwareTnL() const { return (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0; }
  bool supportsDepthFormat(int index) const {
    return index >= 0 && index < kDepthFormatCount && depthFormats[index];
  }
  bool hasDot3() const { return (caps.TextureOpCaps & D3DTEXOPCAPS_DOTPRODUCT3) != 0; }
  std::uint32_t maxTextureUnits() const { return caps.MaxSimultaneousTextures; }
  bool canRenderWindowed() const { return (caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED) != 0; }
  std::uint32_t maxActiveLights() const { return caps.MaxActiveLights; }
  const D3DCAPS8& record() const { return caps; }

 private:
  D3DCAPS8 caps = absentCaps();
  bool depthFormats[kDepthFormatCount] = {};

  static D3DCAPS8 absentCaps() {
    D3DCAPS8 none;
    return none;
  }
};
