#pragma once
#include <cstdint>

#include "render/device/DeviceTypes.h"

// The presentation the renderer asks for: one windowed X8R8G8B8 back buffer, discarded at
// present, with a depth buffer of the given format.
inline D3DPRESENT_PARAMETERS windowedParams(std::uint32_t depthFormat) {
  D3DPRESENT_PARAMETERS p;
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.Windowed = true;
  p.EnableAutoDepthStencil = true;
  p.AutoDepthStencilFormat = depthFormat;
  return p;
}
