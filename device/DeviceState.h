#pragma once
#include <array>
#include <cstdint>

#include "device/DeviceTypes.h"

constexpr std::uint32_t kDeviceMaxLights = 8;

// The fixed-function state a device keeps between calls, with Direct3D's values after device
// creation. Shared by the devices so they start from the same defaults.
struct DeviceState {
  std::array<std::uint32_t, D3DRS_STATECOUNT> renderStates{};
  std::array<std::array<std::uint32_t, D3DTSS_STATECOUNT>, D3DMAX_TEXTURESTAGES> stageStates{};
  // World, view, projection, then the four texture transforms (see transformSlot).
  std::array<std::array<float, 16>, 7> transforms{};
  std::array<D3DLIGHT8, kDeviceMaxLights> lights{};
  std::array<bool, kDeviceMaxLights> lightEnabled{};
  D3DMATERIAL8 material;
  std::uint32_t vertexShader = 0;

  DeviceState() { reset(); }
  void reset();

  // Index into transforms for a D3DTS_* value, −1 for values the device does not keep.
  static int transformSlot(std::uint32_t state);
};
