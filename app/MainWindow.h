#pragma once
#include <SDL.h>

#include <memory>

#include "app/RenderSurface.h"
#include "app/SdlInputSource.h"
#include "device/GraphicsDevice.h"

class GlDevice;

// The one top-level window: an SDL window with an OpenGL 3.3 core context (24-bit depth, 8-bit
// stencil) whose client area is at first exactly the requested size. The user may resize or
// maximise it: the back buffer then follows the client area (and with it the projection's aspect
// and the mouse picker). Minimised, or with no client area, it is paused. Closing it ends the main
// loop; the window itself, its GL context and device stay until the object is destroyed, so that
// everything holding device resources can still release them.
class MainWindow : public RenderSurface {
 public:
  // Null, with a log line, when SDL has no display or the window or context cannot be made.
  static std::unique_ptr<MainWindow> create(const SurfaceRequest& request);
  ~MainWindow() override;

  RefPtr<GraphicsDevice> device() override { return graphicsDevice; }
  bool processEvents() override;
  bool isPaused() const override { return minimised || !hasArea; }
  void waitForEvents(int timeoutMs) override;
  int clientWidth() const override;
  int clientHeight() const override;
  int clientX() const override;
  int clientY() const override;
  InputSource* inputSource() override;
  bool requestCapture() override;
  bool takeCapture(std::vector<std::uint8_t>& rgba, int& width, int& height) override;

  SDL_Window* sdlWindow() const { return window; }
  bool isClosed() const { return closed; }

 private:
  MainWindow() = default;
  // Runs inside the device's present: the frame is complete in the back buffer.
  void swapBuffers();
  // Gives the device the drawable's size after a change of the client area.
  void followClientSize();

  SDL_Window* window = nullptr;
  SDL_GLContext glContext = nullptr;
  RefPtr<GraphicsDevice> graphicsDevice;
  GlDevice* glDevice = nullptr;  // the same device, for resizing
  SdlInputSource input;
  bool closed = false;
  bool minimised = false;
  bool hasArea = true;
  bool captureRequested = false;
  bool captureReady = false;
  std::vector<std::uint8_t> capture;
  int captureWidth = 0;
  int captureHeight = 0;
};
