#include "engine/Matrix34.h"

Matrix34::Matrix34(const Matrix33& r, const Vector3& t)
    : m{r.m[0], r.m[1], r.m[2], t.x, r.m[3], r.m[4], r.m[5], t.y, r.m[6], r.m[7], r.m[8], t.z} {}

void Matrix34::setLinear(const Matrix33& r) {
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) m[row * 4 + col] = r.m[row * 3 + col];
}

Matrix34 Matrix34::operator*(const Matrix34& b) const {
  Matrix34 out;
  for (int r = 0; r < 3; ++r) {
    const float* a = &m[r * 4];
    for (int c = 0; c < 3; ++c) out.m[r * 4 + c] = a[0] * b.m[c] + a[1] * b.m[4 + c] + a[2] * b.m[8 + c];
    out.m[r * 4 + 3] = a[0] * b.m[3] + a[1] * b.m[7] + a[2] * b.m[11] + a[3];
  }
  return out;
}

Matrix34 Matrix34::lookAt(const Vector3& eye, const Vector3& target, const Vector3& up) {
  const Vector3 z = (target - eye).normalized();
  const Vector3 x = up.cross(z).normalized();
  const Vector3 y = z.cross(x);
  return Matrix34(x.x, y.x, z.x, eye.x, x.y, y.y, z.y, eye.y, x.z, y.z, z.z, eye.z);
}

Matrix34 Matrix34::rigidInverse() const {
  const Matrix33 rt = linear().transposed();
  return Matrix34(rt, -(rt * translation()));
}
