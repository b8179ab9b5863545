#pragma once
#include "engine/Vector3.h"

class Camera;

// The window a picker maps the cursor into; the window layer implements it.
class PickerWindow {
 public:
  virtual ~PickerWindow() = default;
  // Screen coordinates to the window's client coordinates, in place.
  virtual void screenToClient(int& x, int& y) const = 0;
  virtual void clientSize(int& width, int& height) const = 0;
};

struct Ray {
  Vector3 origin;
  Vector3 direction;
};

// Turns the mouse cursor into a ray from the camera through the near plane.
class MousePicker {
 public:
  // Both are borrowed from the scene and the window layer.
  MousePicker(Camera* camera, const PickerWindow* window) : camera(camera), window(window) {}

  // From the mouse's current cursor.
  void updateRay();
  // From a cursor position in screen coordinates. The direction is not normalised (its length is at
  // least the near distance). Nothing changes while the window has no area.
  void updateRay(int screenX, int screenY);
  const Ray& ray() const { return lastRay; }

 private:
  Camera* camera;
  const PickerWindow* window;
  Ray lastRay;
};
