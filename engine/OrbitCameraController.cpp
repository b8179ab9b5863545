#include "engine/OrbitCameraController.h"

#include <cmath>

#include "engine/Camera.h"
#include "engine/MathConstants.h"
#include "foundation/Mouse.h"

OrbitCameraController::OrbitCameraController(Camera* camera) : camera(camera) { syncTarget(); }

std::vector<KeyHelp> OrbitCameraController::mouseHelp() {
  return {{"Left drag", "orbit the camera"},
          {"Right drag", "move the point the camera looks at"},
          {"Wheel or middle drag", "move the camera closer or farther"}};
}

void OrbitCameraController::syncTarget() {
  if (!camera || !camera->node()) return;
  const Matrix34& local = camera->node()->local();
  target = local.translation() + local.axis(2) * distance;
}

void OrbitCameraController::update() {
  const Mouse& mouse = Mouse::instance();
  OrbitInput input;
  input.dx = mouse.movement().x;
  input.dy = mouse.movement().y;
  input.wheel = mouse.wheel();
  for (int i = 0; i < 3; ++i) input.buttons[i] = mouse.button(i) != 0;
  update(input);
}

void OrbitCameraController::update(const OrbitInput& input) {
  if (!camera || !camera->node()) return;
  SceneNode& node = *camera->node();
  const float dx = input.dx * sensitivity, dy = input.dy * sensitivity;
  const float s = static_cast<float>(direction);
  Matrix33 m = node.local().linear();
  bool moved = false;

  if (input.buttons[0]) {
    const Vector3 z = m.column(2);
    const Vector3 up(0, 1, 0);
    const float alpha = std::acos(z.dot(up) / (z.length() * up.length()));
    const float pitch = s * dy * 0.01f;
    // The camera never tips over a pole.
    const Matrix33 p = alpha + pitch >= 0.0f && alpha + pitch <= kPi ? Matrix33::rotationX(pitch) : Matrix33::identity();
    const Matrix33 y = Matrix33::rotationY(s * dx * 0.01f);
    m = y * m * p;
    node.local().setLinear(m);
    moved = true;
  }
  if (input.buttons[1]) {
    target += m * Vector3(-s * dx * 0.2f, s * dy * 0.2f, 0.0f);
    moved = true;
  }
  float w = input.wheel * sensitivity;
  if (w == 0.0f && input.buttons[2]) w = dx * 2.0f;
  if (w == 0.0f && !moved) return;
  if (w != 0.0f) {
    distance = (s * 0.001f * w + 1.0f) * distance;
    if (distance < 1.0f) distance = 1.0f;
  }
  node.local().setTranslation(target - m.column(2) * distance);
  node.updateWorld();
}
