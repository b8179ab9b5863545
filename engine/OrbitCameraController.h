#pragma once
#include <vector>

#include "engine/Context.h"
#include "engine/Vector3.h"

class Camera;

// One frame of mouse input for the controller.
struct OrbitInput {
  float dx = 0.0f;
  float dy = 0.0f;
  float wheel = 0.0f;
  bool buttons[3] = {false, false, false};  // 0 orbit, 1 pan, 2 zoom by horizontal motion
};

// Moves a camera about a target point: button 0 orbits, button 1 pans the target, the wheel (or
// button 2) changes the distance, which never goes below 1.
class OrbitCameraController {
 public:
  // The camera is borrowed; the scene owns both.
  explicit OrbitCameraController(Camera* camera);

  void setSensitivity(float s) { sensitivity = s; }
  void setDistance(float d) { distance = d; }
  float getDistance() const { return distance; }
  // +1 when inverted, −1 (the default) otherwise; the sign of every mouse-driven motion.
  void setInverted(bool inverted) { direction = inverted ? 1 : -1; }
  const Vector3& getTarget() const { return target; }
  // target = camera position + local z · distance.
  void syncTarget();

  // The mouse actions the controller answers to, for the key help of the contexts that use it.
  static std::vector<KeyHelp> mouseHelp();

  // Reads the mouse of this frame.
  void update();
  void update(const OrbitInput& input);

 private:
  float sensitivity = 1.0f;
  float distance = 10.0f;
  Vector3 target;
  int direction = -1;
  Camera* camera;
};
