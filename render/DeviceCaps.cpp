#include "render/DeviceCaps.h"

#include <ostream>

#include "foundation/Logger.h"
#include "device/GraphicsDevice.h"

DeviceCaps& DeviceCaps::instance() {
  static DeviceCaps shared;
  return shared;
}

void DeviceCaps::query(GraphicsDevice* device, std::uint32_t adapter) {
  caps = absentCaps();
  for (bool& supported : depthFormats) supported = false;
  if (!device) {
    Logger::instance().line(2) << "Couldn't obtain Direct3D interface" << std::endl;
    return;
  }
  if (adapter >= device->adapterCount()) adapter = 0;

  if (deviceFailed(device->getDeviceCaps(adapter, D3DDEVTYPE_HAL, caps))) {
    caps = absentCaps();
    Logger::instance().line(2) << "Error getting device caps for a HAL device.\n"
                               << "Software rendering is not supported" << std::endl;
  }

  D3DDISPLAYMODE mode;
  if (deviceSucceeded(device->getDisplayMode(adapter, mode))) {
    for (int i = 0; i < kDepthFormatCount; ++i) {
      depthFormats[i] = device->checkDepthStencilFormat(adapter, D3DDEVTYPE_HAL, mode.Format,
                                                        kDepthFormats[i]) == D3D_OK;
    }
  }
}
