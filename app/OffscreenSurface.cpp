#include "app/OffscreenSurface.h"

#include <algorithm>

#include "foundation/Logger.h"
#include "device/GlDevice.h"
#include "device/RecordingDevice.h"

std::unique_ptr<OffscreenSurface> OffscreenSurface::create(Kind kind, const SurfaceRequest& request) {
  std::unique_ptr<OffscreenSurface> self(new OffscreenSurface());
  self->surfaceKind = kind;
  self->x = request.x;
  self->y = request.y;
  // A frame buffer needs at least one pixel.
  self->width = std::max(request.width, 1);
  self->height = std::max(request.height, 1);
  if (kind == Kind::Recording) {
    RefPtr<RecordingDevice> device = new RecordingDevice(false);
    device->setWindowSize(self->width, self->height);
    self->recording = device.get();
    self->graphicsDevice = device;
  } else {
    self->graphicsDevice = GlDevice::createHeadless(self->width, self->height);
    if (!self->graphicsDevice) {
      Logger::instance().line(2) << "Couldn't create the off-screen OpenGL device" << std::endl;
      return nullptr;
    }
  }
  return self;
}

OffscreenSurface::~OffscreenSurface() = default;

bool OffscreenSurface::processEvents() {
  if (recording) recording->clearCalls();
  return true;
}

bool OffscreenSurface::requestCapture() {
  captureRequested = true;
  return true;
}

bool OffscreenSurface::takeCapture(std::vector<std::uint8_t>& rgba, int& outWidth, int& outHeight) {
  // The off-screen frame buffer keeps the last frame after present.
  if (!captureRequested || !graphicsDevice) return false;
  captureRequested = false;
  return graphicsDevice->readFrame(rgba, outWidth, outHeight) >= 0;
}
