#pragma once
#include <array>

#include "engine/Matrix33.h"
#include "engine/Vector3.h"

// The engine's transform: three rows of four, row-major, implicit last row (0 0 0 1). Element k is
// row k/4, column k%4; the translation is at 3, 7, 11. Points are column vectors (p' = M·p) and a
// parent·child product composes a child into its parent's space.
struct Matrix34 {
  float m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

  constexpr Matrix34() = default;
  constexpr Matrix34(float m00, float m01, float m02, float tx, float m10, float m11, float m12, float ty,
                     float m20, float m21, float m22, float tz)
      : m{m00, m01, m02, tx, m10, m11, m12, ty, m20, m21, m22, tz} {}
  // Linear block from a rotation, translation column from t.
  Matrix34(const Matrix33& linear, const Vector3& t);

  // The shared identity; a const reference, so writing through it is impossible.
  static const Matrix34& identity() {
    static const Matrix34 value;
    return value;
  }
  static Matrix34 translation(const Vector3& t) { return {1, 0, 0, t.x, 0, 1, 0, t.y, 0, 0, 1, t.z}; }
  // A camera (or any node looking along its local +z) at eye facing target, its local y as close
  // to up as the view direction allows.
  static Matrix34 lookAt(const Vector3& eye, const Vector3& target, const Vector3& up);

  float& operator[](int k) { return m[k]; }
  float operator[](int k) const { return m[k]; }
  float& at(int row, int col) { return m[row * 4 + col]; }
  float at(int row, int col) const { return m[row * 4 + col]; }

  Vector3 translation() const { return {m[3], m[7], m[11]}; }
  void setTranslation(const Vector3& t) {
    m[3] = t.x;
    m[7] = t.y;
    m[11] = t.z;
  }
  // Column c (0..2) of the linear block; column 2 is the local z axis.
  Vector3 axis(int col) const { return {m[col], m[4 + col], m[8 + col]}; }
  Matrix33 linear() const { return Matrix33(*this); }
  void setLinear(const Matrix33& r);

  // C = A·B: linear A.lin·B.lin, translation A.lin·B.t + A.t.
  Matrix34 operator*(const Matrix34& b) const;
  Vector3 transformPoint(const Vector3& p) const {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
  }
  Vector3 transformDirection(const Vector3& d) const {
    return {m[0] * d.x + m[1] * d.y + m[2] * d.z, m[4] * d.x + m[5] * d.y + m[6] * d.z,
            m[8] * d.x + m[9] * d.y + m[10] * d.z};
  }

  // Inverse of a rotation-plus-translation transform: (Rᵀ | −Rᵀ·t). Wrong for scaled blocks.
  Matrix34 rigidInverse() const;

  // The 16 floats of the 4×4 form, row by row, last row (0 0 0 1).
  std::array<float, 16> toMatrix44() const {
    return {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], 0, 0, 0, 1};
  }

  friend bool operator==(const Matrix34&, const Matrix34&) = default;
};
