#include <gtest/gtest.h>

#include <cmath>

#include "engine/Color.h"
#include "engine/Matrix33.h"
#include "engine/Matrix34.h"
#include "engine/Plane.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"

namespace {

void expectMatrixNear(const Matrix34& a, const Matrix34& b, float tol) {
  for (int k = 0; k < 12; ++k) EXPECT_NEAR(a[k], b[k], tol) << "element " << k;
}

TEST(Vector3Test, CrossFollowsComponentFormula) {
  const Vector3 a(1, 2, 3), b(4, 5, 6);
  // (2·6 − 3·5, 3·4 − 1·6, 1·5 − 2·4)
  EXPECT_EQ(a.cross(b), Vector3(-3, 6, -3));
  EXPECT_EQ(Vector3(1, 0, 0).cross(Vector3(0, 1, 0)), Vector3(0, 0, 1));
  EXPECT_FLOAT_EQ(a.dot(b), 32.0f);
  EXPECT_FLOAT_EQ(Vector3(3, 4, 12).length(), 13.0f);
  EXPECT_EQ(a.componentProduct(b), Vector3(4, 10, 18));
}

TEST(Vector3Test, ToleranceIsStrictAndPerComponent) {
  const Vector3 a(1, 1, 1);
  EXPECT_TRUE(a.equals(Vector3(1.0005f, 0.9995f, 1.0f), 0.001f));
  EXPECT_FALSE(a.equals(Vector3(1.0f, 1.0f, 1.002f), 0.001f));
  EXPECT_FALSE(Vector3(0, 0, 0).equals(Vector3(0, 0, 1.0f), 1.0f));  // |diff| < ε, not ≤
  EXPECT_TRUE(Vector3(1e-7f, 0, 0).isZero());
  EXPECT_FALSE(Vector3(1e-5f, 0, 0).isZero());
}

TEST(Vector3Test, LerpAndNormalize) {
  EXPECT_EQ(Vector3::lerp(Vector3(0, 0, 0), Vector3(2, 4, 8), 0.25f), Vector3(0.5f, 1, 2));
  const Vector3 same(0.1f, 0.2f, 0.3f);
  EXPECT_EQ(Vector3::lerp(same, same, 0.37f), same);
  Vector3 v(0, 3, 4);
  v.normalize();
  EXPECT_FLOAT_EQ(v.y, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
  Vector3 zero;
  zero.normalize();
  EXPECT_FALSE(std::isfinite(zero.x));
}

TEST(Matrix34Test, ProductComposesLinearBlockAndTranslation) {
  // A: rotation +90° about z (x→y) then translation (1, 2, 3); B: scale 2 and translation (1, 0, 0).
  const Matrix34 a(0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3);
  const Matrix34 b(2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 2, 0);
  const Matrix34 c = a * b;
  // linear = A.lin·B.lin, translation = A.lin·(1,0,0) + (1,2,3) = (0,1,0)+(1,2,3)
  EXPECT_EQ(c, Matrix34(0, -2, 0, 1, 2, 0, 0, 3, 0, 0, 2, 3));
  // The product applied to a point equals applying B, then A.
  const Vector3 p(1, 2, 3);
  EXPECT_EQ(c.transformPoint(p), a.transformPoint(b.transformPoint(p)));
  EXPECT_EQ(Matrix34::identity() * a, a);
  EXPECT_EQ(a * Matrix34::identity(), a);
}

TEST(Matrix34Test, RigidInverseUndoesTransform) {
  const Matrix34 r = Quaternion::fromAxisAngle(Vector3(0, 1, 0), 0.7f).toMatrix34();
  Matrix34 w = r;
  w.setTranslation(Vector3(3, -2, 5));
  expectMatrixNear(w.rigidInverse() * w, Matrix34::identity(), 1e-6f);
  expectMatrixNear(w * w.rigidInverse(), Matrix34::identity(), 1e-6f);
  const auto m44 = w.toMatrix44();
  EXPECT_EQ(m44[3], 3.0f);
  EXPECT_EQ(m44[11], 5.0f);
  EXPECT_EQ(m44[12], 0.0f);
  EXPECT_EQ(m44[15], 1.0f);
}

TEST(Matrix33Test, ProductRowByColumnAndExtraction) {
  const Matrix33 a(1, 2, 3, 4, 5, 6, 7, 8, 9);
  const Matrix33 b(9, 8, 7, 6, 5, 4, 3, 2, 1);
  EXPECT_EQ(a * b, Matrix33(30, 24, 18, 84, 69, 54, 138, 114, 90));
  EXPECT_EQ(a * Vector3(1, 0, -1), Vector3(-2, -2, -2));
  const Matrix34 t(1, 2, 3, 10, 4, 5, 6, 11, 7, 8, 9, 12);
  EXPECT_EQ(Matrix33(t), a);
}

TEST(QuaternionTest, FromIdentityIsNegatedUnit) {
  const Quaternion q = Quaternion::fromMatrix33(Matrix33::identity());
  EXPECT_EQ(q, Quaternion(-1, 0, 0, 0));
  EXPECT_EQ(q.toMatrix34(), Matrix34::identity());
}

TEST(QuaternionTest, MatrixRoundTripOnEveryBranch) {
  // Trace branch, and the three largest-diagonal branches (rotations of 180° about x, y, z, and
  // a large angle about a mixed axis).
  const struct {
    Vector3 axis;
    float angle;
  } cases[] = {{{0, 0, 1}, 0.5f}, {{1, 0, 0}, kPi}, {{0, 1, 0}, kPi}, {{0, 0, 1}, kPi}, {{0.6f, 0.0f, 0.8f}, 2.9f}};
  for (const auto& c : cases) {
    const Matrix34 r = Quaternion::fromAxisAngle(c.axis, c.angle).toMatrix34();
    const Quaternion q = Quaternion::fromMatrix33(r.linear());
    expectMatrixNear(q.toMatrix34(), r, 1e-5f);
  }
  // Trace branch gives the negated textbook value: 90° about z is (cos45, 0, 0, sin45) normally.
  const Quaternion q = Quaternion::fromMatrix33(Matrix33(0, -1, 0, 1, 0, 0, 0, 0, 1));
  EXPECT_NEAR(q.w, -0.70710678f, 1e-6f);
  EXPECT_NEAR(q.z, -0.70710678f, 1e-6f);
}

TEST(QuaternionTest, RotateMatchesMatrix) {
  const Quaternion q = Quaternion::fromAxisAngle(Vector3(0, 0, 1), kHalfPi);
  const Vector3 v = q.rotate(Vector3(1, 0, 0));
  EXPECT_NEAR(v.x, 0.0f, 1e-6f);
  EXPECT_NEAR(v.y, 1.0f, 1e-6f);
  const Vector3 p(0.3f, -1.2f, 2.0f);
  const Quaternion r = Quaternion::fromAxisAngle(Vector3(0.0f, 0.6f, 0.8f), 1.1f);
  EXPECT_TRUE(r.rotate(p).equals(r.toMatrix34().transformPoint(p), 1e-5f));
}

TEST(QuaternionTest, SlerpHalfwayAndShortcuts) {
  const Vector3 z(0, 0, 1);
  const Quaternion a = Quaternion::fromAxisAngle(z, 0.0f), b = Quaternion::fromAxisAngle(z, 1.0f);
  const Quaternion half = Quaternion::slerp(a, b, 0.5f);
  const Quaternion expected = Quaternion::fromAxisAngle(z, 0.5f);
  EXPECT_NEAR(half.w, expected.w, 1e-6f);
  EXPECT_NEAR(half.z, expected.z, 1e-6f);
  EXPECT_EQ(Quaternion::slerp(a, b, 0.0f), a);
  EXPECT_EQ(Quaternion::slerp(a, b, 1.0f), b);
  const Quaternion close(a.w, 0.0f, 0.0f, 0.0005f);
  EXPECT_EQ(Quaternion::slerp(a, close, 0.5f), a);
  // No shorter-arc flip: from a to −b goes the long way, through angle −(2π − 1)/2 about z.
  const Quaternion negB(-b.w, -b.x, -b.y, -b.z);
  const Quaternion longWay = Quaternion::slerp(a, negB, 0.5f);
  EXPECT_NEAR(longWay.w, std::cos((kTwoPi - 1.0f) * 0.25f), 1e-5f);
  const Quaternion opposite(-1, 0, 0, 0);
  EXPECT_EQ(Quaternion::slerp(a, opposite, 0.5f), a);
}

TEST(Matrix33Test, AxisRotations) {
  const Vector3 x(1, 0, 0), y(0, 1, 0);
  EXPECT_TRUE((Matrix33::rotationZ(kHalfPi) * x).equals(y, 1e-6f));
  EXPECT_TRUE((Matrix33::rotationX(kHalfPi) * y).equals(Vector3(0, 0, 1), 1e-6f));
  EXPECT_TRUE((Matrix33::rotationY(kHalfPi) * Vector3(0, 0, 1)).equals(x, 1e-6f));
}

TEST(PlaneTest, NormalisedOnConstructionDistanceAsGiven) {
  const Plane p(Vector3(0, 0, 2), 3.0f);
  EXPECT_EQ(p.normal(), Vector3(0, 0, 1));
  EXPECT_EQ(p.d, 3.0f);
  EXPECT_FLOAT_EQ(p.distance(Vector3(7, 7, 5)), 2.0f);
  EXPECT_FLOAT_EQ(p.distance(Vector3(0, 0, 0)), -3.0f);
}

TEST(ColorTest, PackingAndOrders) {
  const Color red(1.0f, 0.0f, 0.0f, 1.0f);
  EXPECT_EQ(red.value, 0xFF0000FFu);
  EXPECT_EQ(red.packed(2), 0xFFFF0000u);
  const Color c(0x11223344u);
  EXPECT_EQ(c.packed(0), 0x11223344u);
  EXPECT_EQ(c.packed(1), 0x44332211u);
  EXPECT_EQ(c.packed(2), 0x44112233u);
  EXPECT_EQ(c.channel(0), 0x11);
  EXPECT_EQ(c.channel(3), 0x44);
  EXPECT_EQ(Color().value, 0xFFFFFFFFu);
  // 0.5·255 = 127.5 truncates to 127 (0x7F).
  EXPECT_EQ(Color(0.5f, 0.25f, 0.0f, 1.0f).value, 0x7F3F00FFu);
}

TEST(ColorTest, FloatArrayOrders) {
  const float a[4] = {1.0f, 0.5f, 0.0f, 0.25f};  // 0xFF, 0x7F, 0x00, 0x3F
  EXPECT_EQ(Color::fromFloats(a, 0).value, 0xFF7F003Fu);
  EXPECT_EQ(Color::fromFloats(a, 1).value, 0x007FFF3Fu);
  EXPECT_EQ(Color::fromFloats(a, 2).value, 0x7F003FFFu);
}

TEST(ColorTest, FloatsNormalAndLerp) {
  float f[4];
  Color(0xFF00807Fu).toFloats(f);
  EXPECT_NEAR(f[0], 1.0f, 1e-6f);
  EXPECT_EQ(f[1], 0.0f);
  EXPECT_NEAR(f[2], 128.0f / 255.0f, 1e-6f);
  // (0,0,1): x,y → 0.5 → 0x7F; z → 1 → 0xFF.
  EXPECT_EQ(Color::fromNormal(Vector3(0, 0, 1), 0x80).value, 0x7F7FFF80u);
  EXPECT_EQ(Color::lerp(Color(0x000000FFu), Color(0xFF0000FFu), 0.5f).value, 0x7F0000FFu);
  EXPECT_EQ(Color(2.0f, -1.0f, 0.0f, 1.0f).value, 0xFF0000FFu);  // clamped, not wrapped
}

}  // namespace
