#pragma once
#include <memory>

#include "app/RenderSurface.h"
#include "device/GraphicsDevice.h"

class RecordingDevice;

// A surface without a window: OpenGL on the off-screen EGL device, or the RecordingDevice, which
// draws nothing and so measures the engine's own cost. It has no events and is never closed.
class OffscreenSurface : public RenderSurface {
 public:
  enum class Kind { Gl, Recording };

  // Null, with a log line, when the device cannot be made.
  static std::unique_ptr<OffscreenSurface> create(Kind kind, const SurfaceRequest& request);
  ~OffscreenSurface() override;

  RefPtr<GraphicsDevice> device() override { return graphicsDevice; }
  // Also forgets the recorded calls of the previous frame, so long runs keep a bounded log.
  bool processEvents() override;
  int clientWidth() const override { return width; }
  int clientHeight() const override { return height; }
  int clientX() const override { return x; }
  int clientY() const override { return y; }
  bool requestCapture() override;
  bool takeCapture(std::vector<std::uint8_t>& rgba, int& width, int& height) override;

  Kind kind() const { return surfaceKind; }

 private:
  OffscreenSurface() = default;

  Kind surfaceKind = Kind::Gl;
  RefPtr<GraphicsDevice> graphicsDevice;
  RecordingDevice* recording = nullptr;  // the same device when it records
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool captureRequested = false;
};
