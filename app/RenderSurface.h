#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/MousePicker.h"
#include "foundation/RefPtr.h"

class GraphicsDevice;
class InputSource;

// Where the frames go: a window on the screen or an off-screen surface. The application draws
// through device() and never asks which one it has. As a PickerWindow it maps the mouse cursor
// into its client area.
class RenderSurface : public PickerWindow {
 public:
  ~RenderSurface() override = default;

  // The device that draws into this surface; null when none could be made.
  virtual RefPtr<GraphicsDevice> device() = 0;

  // Handles every pending event. False once the user has closed the surface; an off-screen
  // surface is never closed.
  virtual bool processEvents() = 0;

  // True while the surface has no area to show a frame in (a minimised window): the shell then
  // draws nothing and waits for events until it is restored.
  virtual bool isPaused() const { return false; }
  // Sleeps until an event arrives or timeoutMs pass (used while paused).
  virtual void waitForEvents(int /*timeoutMs*/) {}

  virtual int clientWidth() const = 0;
  virtual int clientHeight() const = 0;
  // Screen position of the client area's top-left pixel.
  virtual int clientX() const = 0;
  virtual int clientY() const = 0;

  void screenToClient(int& x, int& y) const override {
    x -= clientX();
    y -= clientY();
  }
  void clientSize(int& width, int& height) const override {
    width = clientWidth();
    height = clientHeight();
  }

  // The keyboard and mouse that belong to this surface; null when it has none (off-screen).
  virtual InputSource* inputSource() { return nullptr; }

  // Keeps a copy of the next presented frame (RGBA, top row first), taken between the end of the
  // scene and the present. False when the surface cannot read frames back.
  virtual bool requestCapture() = 0;
  // The captured frame, once a present has happened after requestCapture.
  virtual bool takeCapture(std::vector<std::uint8_t>& rgba, int& width, int& height) = 0;
};

// What the application asks for when it makes its surface.
struct SurfaceRequest {
  std::string title;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
