#include <gtest/gtest.h>

#include <cmath>

#include "engine/Camera.h"
#include "engine/MathConstants.h"
#include "engine/MousePicker.h"
#include "engine/OrbitCameraController.h"
#include "engine/Quaternion.h"

namespace {

Camera defaultCamera() { return Camera(SceneNode::create(Matrix34::identity())); }

TEST(CameraTest, ClassifiesSpheresAlongTheViewAxis) {
  Camera camera = defaultCamera();
  const struct {
    Vector3 center;
    int expected;
  } cases[] = {
      {{0, 0, 5}, 2},       {{0, 0, 1000.5f}, 1}, {{0, 0, 1002}, 0},  // far plane at 1000
      {{0, 0, 0.5f}, 1},    {{0, 0, -1.5f}, 0},                       // near plane at 1
      {{-6, 0, 5}, 1},      {{-7, 0, 5}, 0},                          // left plane at 45°
      {{0, 3.5f, 5}, 1},    {{0, 0, 998}, 2},     {{0, 0, 999}, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(camera.classifySphere(c.center, 1.0f), c.expected) << c.center.x << " " << c.center.y << " " << c.center.z;
}

TEST(CameraTest, FrustumFollowsNodeAndSettings) {
  Camera camera = defaultCamera();
  EXPECT_EQ(camera.classifySphere(Vector3(0, 0, 95), 1.0f), 2);
  // Turn around (180° about y) and move to z = 100: the camera now looks along −z.
  camera.node()->local() = Quaternion::fromAxisAngle(Vector3(0, 1, 0), kPi).toMatrix34();
  camera.node()->local().setTranslation(Vector3(0, 0, 100));
  camera.node()->updateWorld();
  EXPECT_EQ(camera.classifySphere(Vector3(0, 0, 95), 1.0f), 2);
  EXPECT_EQ(camera.classifySphere(Vector3(0, 0, 105), 1.0f), 0);
  EXPECT_EQ(camera.classifySphere(Vector3(0, 0, -902), 1.0f), 0);
  camera.setFarDist(2000.0f);
  EXPECT_EQ(camera.classifySphere(Vector3(0, 0, -902), 1.0f), 2);
}

TEST(CameraTest, ProjectionMatrixMapsNearAndFarDepth) {
  Camera camera = defaultCamera();
  const auto p = camera.projectionMatrix();
  const float q = 1000.0f / 999.0f;
  const float expected[16] = {1, 0, 0, 0, 0, 1.3333334f, 0, 0, 0, 0, q, -q, 0, 0, 1, 0};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(p[i], expected[i], 1e-6f) << i;
  // Depth after division by w = z.
  const auto depth = [&](float z) { return (p[10] * z + p[11]) / z; };
  EXPECT_NEAR(depth(1.0f), 0.0f, 1e-6f);
  EXPECT_NEAR(depth(1000.0f), 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(camera.nearWidth(), 2.0f);
}

class OrbitTest : public ::testing::Test {
 protected:
  Camera camera = defaultCamera();
  OrbitCameraController orbit{&camera};
  OrbitInput input;

  Vector3 viewAxis() { return camera.node()->local().axis(2); }
  Vector3 position() { return camera.node()->local().translation(); }
};

TEST_F(OrbitTest, DraggingRightYawsNegativeByDefault) {
  EXPECT_EQ(orbit.getTarget(), Vector3(0, 0, 10));
  input.buttons[0] = true;
  input.dx = 10.0f;
  orbit.update(input);
  // yaw = −1·10·0.01: z axis (sin(−0.1), 0, cos(−0.1)), position = target − z·10.
  EXPECT_TRUE(viewAxis().equals(Vector3(std::sin(-0.1f), 0, std::cos(-0.1f)), 1e-6f));
  EXPECT_TRUE(position().equals(Vector3(10 * std::sin(0.1f), 0, 10 - 10 * std::cos(0.1f)), 1e-5f));
  EXPECT_EQ(camera.node()->world().translation(), position());

  orbit.setInverted(true);
  orbit.update(input);  // back to the start
  EXPECT_TRUE(viewAxis().equals(Vector3(0, 0, 1), 1e-6f));
}

TEST_F(OrbitTest, PitchStopsAtThePoleWhileYawApplies) {
  input.buttons[0] = true;
  input.dy = -100.0f;  // pitch +1 rad: from the horizon (α = π/2) to α = π/2 + 1
  orbit.update(input);
  EXPECT_TRUE(viewAxis().equals(Vector3(0, -std::sin(1.0f), std::cos(1.0f)), 1e-6f));
  const Vector3 before = viewAxis();
  input.dy = -100.0f;  // another +1 rad would pass straight down
  input.dx = 10.0f;
  orbit.update(input);
  const Vector3 after = viewAxis();
  EXPECT_NEAR(after.y, before.y, 1e-6f);                         // no pitch
  EXPECT_NEAR(std::atan2(after.x, after.z), -0.1f, 1e-5f);        // but the yaw
  EXPECT_TRUE(position().equals(orbit.getTarget() - after * 10.0f, 1e-5f));
}

TEST_F(OrbitTest, PitchLeavesThePoleAgain) {
  // Looking straight down (α = π): pitching back up is allowed.
  camera.node()->local().setLinear(Matrix33::rotationX(kHalfPi));
  input.buttons[0] = true;
  input.dy = 50.0f;  // pitch −0.5
  orbit.update(input);
  EXPECT_NEAR(std::acos(viewAxis().y), kPi - 0.5f, 1e-4f);
}

TEST_F(OrbitTest, ZoomScalesDistanceAndStopsAtOne) {
  const struct {
    float wheel;
    float dx;
    bool button2;
    float expected;
  } cases[] = {
      {500.0f, 0.0f, false, 5.0f},    // (−0.001·500 + 1)·10
      {-1000.0f, 0.0f, false, 20.0f}, // (0.001·1000 + 1)·10
      {2000.0f, 0.0f, false, 1.0f},   // −10 clamps to exactly 1
      {0.0f, 250.0f, true, 5.0f},     // button 2: w = dx·2
  };
  for (const auto& c : cases) {
    orbit.setDistance(10.0f);
    OrbitInput in;
    in.wheel = c.wheel;
    in.dx = c.dx;
    in.buttons[2] = c.button2;
    orbit.update(in);
    EXPECT_EQ(orbit.getDistance(), c.expected) << c.wheel << " " << c.dx;
    EXPECT_TRUE(position().equals(Vector3(0, 0, 10 - c.expected), 1e-5f));
  }
}

TEST_F(OrbitTest, PanMovesTargetInCameraAxesAndIdleFrameChangesNothing) {
  input.buttons[1] = true;
  input.dx = 10.0f;
  input.dy = 5.0f;
  orbit.update(input);
  // offset = (−s·dx·0.2, s·dy·0.2, 0) = (2, −1, 0)
  EXPECT_TRUE(orbit.getTarget().equals(Vector3(2, -1, 10), 1e-6f));
  EXPECT_TRUE(position().equals(Vector3(2, -1, 0), 1e-6f));

  camera.node()->local().setTranslation(Vector3(7, 7, 7));
  orbit.update(OrbitInput{});
  EXPECT_EQ(position(), Vector3(7, 7, 7));
  orbit.syncTarget();
  EXPECT_EQ(orbit.getTarget(), Vector3(7, 7, 17));
}

TEST_F(OrbitTest, SensitivityScalesMotion) {
  orbit.setSensitivity(0.5f);
  input.buttons[1] = true;
  input.dx = 10.0f;
  orbit.update(input);
  EXPECT_TRUE(orbit.getTarget().equals(Vector3(1, 0, 10), 1e-6f));
}

class FakeWindow : public PickerWindow {
 public:
  void screenToClient(int& x, int& y) const override {
    x -= 100;
    y -= 50;
  }
  void clientSize(int& width, int& height) const override {
    width = w;
    height = h;
  }
  int w = 640;
  int h = 480;
};

TEST(MousePickerTest, CursorMapsOntoNearPlane) {
  Camera camera = defaultCamera();
  FakeWindow window;
  MousePicker picker(&camera, &window);
  // nearWidth 2: x spans [−1, 1], y spans [0.75, −0.75] (aspect 4/3).
  const struct {
    int sx, sy;
    Vector3 direction;
  } cases[] = {{420, 290, {0, 0, 1}}, {100, 50, {-1, 0.75f, 1}}, {740, 530, {1, -0.75f, 1}}, {260, 170, {-0.5f, 0.375f, 1}}};
  for (const auto& c : cases) {
    picker.updateRay(c.sx, c.sy);
    EXPECT_TRUE(picker.ray().direction.equals(c.direction, 1e-6f)) << c.sx << " " << c.sy;
    EXPECT_EQ(picker.ray().origin, Vector3(0, 0, 0));
  }
  // The direction turns with the camera's local rotation; the origin is its local translation.
  camera.node()->local() = Quaternion::fromAxisAngle(Vector3(0, 1, 0), kHalfPi).toMatrix34();
  camera.node()->local().setTranslation(Vector3(1, 2, 3));
  picker.updateRay(420, 290);
  EXPECT_TRUE(picker.ray().direction.equals(Vector3(1, 0, 0), 1e-6f));
  EXPECT_EQ(picker.ray().origin, Vector3(1, 2, 3));
  window.w = 0;
  picker.updateRay(100, 50);
  EXPECT_TRUE(picker.ray().direction.equals(Vector3(1, 0, 0), 1e-6f));
}

}  // namespace
