#pragma once
#include "engine/Vector3.h"

struct Matrix34;

// 3×3 rotation matrix, row-major: element r*3 + c is row r, column c. Points are column vectors.
struct Matrix33 {
  float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

  constexpr Matrix33() = default;
  constexpr Matrix33(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                     float m22)
      : m{m00, m01, m02, m10, m11, m12, m20, m21, m22} {}
  // The 3×3 linear block of a transform.
  explicit Matrix33(const Matrix34& transform);

  static const Matrix33& identity() {
    static const Matrix33 value;
    return value;
  }
  // Rotation about the x, y or z axis for column vectors.
  static Matrix33 rotationX(float angleRad);
  static Matrix33 rotationY(float angleRad);
  static Matrix33 rotationZ(float angleRad);

  float& at(int row, int col) { return m[row * 3 + col]; }
  float at(int row, int col) const { return m[row * 3 + col]; }
  Vector3 column(int col) const { return {m[col], m[3 + col], m[6 + col]}; }
  Vector3 row(int r) const { return {m[r * 3], m[r * 3 + 1], m[r * 3 + 2]}; }

  Matrix33 operator*(const Matrix33& b) const;
  Vector3 operator*(const Vector3& v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
  }
  Matrix33 transposed() const { return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}; }

  friend bool operator==(const Matrix33&, const Matrix33&) = default;
};
