#include "engine/Quaternion.h"

#include <cmath>

Quaternion Quaternion::fromAxisAngle(const Vector3& a, float angleRad) {
  const float s = std::sin(angleRad * 0.5f);
  return {std::cos(angleRad * 0.5f), a.x * s, a.y * s, a.z * s};
}

Quaternion Quaternion::fromMatrix33(const Matrix33& r) {
  const float trace = r.at(0, 0) + r.at(1, 1) + r.at(2, 2);
  Quaternion q;
  if (trace > 0.0f) {
    const float s = std::sqrt(trace + 1.0f);
    const float f = 0.5f / s;
    q.w = -s * 0.5f;
    q.x = (r.at(1, 2) - r.at(2, 1)) * f;
    q.y = (r.at(2, 0) - r.at(0, 2)) * f;
    q.z = (r.at(0, 1) - r.at(1, 0)) * f;
    return q;
  }
  int i = 0;
  if (r.at(1, 1) > r.at(0, 0)) i = 1;
  if (r.at(2, 2) > r.at(i, i)) i = 2;
  static constexpr int next[3] = {1, 2, 0};
  const int j = next[i], k = next[j];
  const float s = std::sqrt(r.at(i, i) - (r.at(j, j) + r.at(k, k)) + 1.0f);
  float v[3];
  v[i] = s * 0.5f;
  const float f = s != 0.0f ? 0.5f / s : s;
  q.w = -(r.at(j, k) - r.at(k, j)) * f;
  v[j] = (r.at(i, j) + r.at(j, i)) * f;
  v[k] = (r.at(i, k) + r.at(k, i)) * f;
  q.x = v[0];
  q.y = v[1];
  q.z = v[2];
  return q;
}

Quaternion Quaternion::slerp(const Quaternion& a, const Quaternion& b, float t) {
  if (t == 0.0f) return a;
  const auto near = [](float p, float q) { return std::fabs(p - q) < 0.001f; };
  if (near(a.w, b.w) && near(a.x, b.x) && near(a.y, b.y) && near(a.z, b.z)) return a;
  if (t == 1.0f) return b;
  const float theta = std::acos(std::fmax(-1.0f, std::fmin(1.0f, a.dot(b))));
  const float sinTheta = std::sin(theta);
  // θ near π: b is −a, the same rotation; dividing by sin θ would blow up.
  if (std::fabs(sinTheta) < 1e-6f) return a;
  const float fa = std::sin((1.0f - t) * theta) / sinTheta, fb = std::sin(t * theta) / sinTheta;
  return {a.w * fa + b.w * fb, a.x * fa + b.x * fb, a.y * fa + b.y * fb, a.z * fa + b.z * fb};
}

Matrix34 Quaternion::toMatrix34() const {
  const float x2 = x + x, y2 = y + y, z2 = z + z;
  const float xx = x * x2, xy = x * y2, xz = x * z2;
  const float yy = y * y2, yz = y * z2, zz = z * z2;
  const float wx = w * x2, wy = w * y2, wz = w * z2;
  return {1 - (yy + zz), xy - wz,       xz + wy,       0,  //
          xy + wz,       1 - (xx + zz), yz - wx,       0,  //
          xz - wy,       yz + wx,       1 - (xx + yy), 0};
}

Vector3 Quaternion::rotate(const Vector3& v) const {
  const Quaternion p = *this * Quaternion(0.0f, v.x, v.y, v.z) * conjugate();
  return {p.x, p.y, p.z};
}
