#include "engine/MousePicker.h"

#include "engine/Camera.h"
#include "foundation/Mouse.h"

void MousePicker::updateRay() {
  const MousePoint cursor = Mouse::instance().cursor();
  updateRay(static_cast<int>(cursor.x), static_cast<int>(cursor.y));
}

void MousePicker::updateRay(int screenX, int screenY) {
  if (!camera || !window || !camera->node()) return;
  int x = screenX, y = screenY, width = 0, height = 0;
  window->screenToClient(x, y);
  window->clientSize(width, height);
  if (width <= 0 || height <= 0) return;
  const float halfW = camera->nearWidth() * 0.5f;
  const float halfH = halfW / camera->aspect();
  // Client x from [0, width] to [−halfW, halfW]; client y (growing downwards) to [halfH, −halfH].
  const Vector3 nearPoint(-halfW + 2.0f * halfW * static_cast<float>(x) / static_cast<float>(width),
                          halfH - 2.0f * halfH * static_cast<float>(y) / static_cast<float>(height),
                          camera->nearDist());
  const Matrix34& local = camera->node()->local();
  lastRay.direction = local.linear() * nearPoint;
  lastRay.origin = local.translation();
}
