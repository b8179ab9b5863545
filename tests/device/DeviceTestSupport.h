#pragma once
#include <cstdint>
#include <vector>

#include "device/DeviceTypes.h"

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

// Lock ranges of a 12-byte buffer and what every device must answer: size 0 runs to the end,
// nothing may reach past it.
struct LockRangeCase {
  std::uint32_t offset, size;
  int expected;
};

inline const std::vector<LockRangeCase>& lockRangesOfTwelveBytes() {
  static const std::vector<LockRangeCase> cases = {{0, 0, D3D_OK},
                                                   {0, 12, D3D_OK},
                                                   {10, 2, D3D_OK},
                                                   {12, 0, D3D_OK},
                                                   {10, 4, D3DERR_INVALIDCALL},
                                                   {13, 0, D3DERR_INVALIDCALL},
                                                   {12, 1, D3DERR_INVALIDCALL},
                                                   {4, 0xFFFFFFFFu, D3DERR_INVALIDCALL}};
  return cases;
}
