#include "engine/Matrix33.h"

#include <cmath>

#include "engine/Matrix34.h"

Matrix33::Matrix33(const Matrix34& t)
    : m{t.m[0], t.m[1], t.m[2], t.m[4], t.m[5], t.m[6], t.m[8], t.m[9], t.m[10]} {}

Matrix33 Matrix33::rotationX(float angleRad) {
  const float c = std::cos(angleRad), s = std::sin(angleRad);
  return {1, 0, 0, 0, c, -s, 0, s, c};
}

Matrix33 Matrix33::rotationY(float angleRad) {
  const float c = std::cos(angleRad), s = std::sin(angleRad);
  return {c, 0, s, 0, 1, 0, -s, 0, c};
}

Matrix33 Matrix33::rotationZ(float angleRad) {
  const float c = std::cos(angleRad), s = std::sin(angleRad);
  return {c, -s, 0, s, c, 0, 0, 0, 1};
}

Matrix33 Matrix33::operator*(const Matrix33& b) const {
  Matrix33 out;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      out.m[r * 3 + c] = m[r * 3] * b.m[c] + m[r * 3 + 1] * b.m[3 + c] + m[r * 3 + 2] * b.m[6 + c];
  return out;
}
