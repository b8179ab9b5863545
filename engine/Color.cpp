#include "engine/Color.h"

namespace {
constexpr float kByteToFloat = 0.003921569f;

// Out-of-range channels are clamped rather than wrapped into a neighbouring byte.
std::uint32_t toByte(float c) {
  const float scaled = c * 255.0f;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<std::uint32_t>(scaled);
}
}  // namespace

Color::Color(float r, float g, float b, float a)
    : value(toByte(r) << 24 | toByte(g) << 16 | toByte(b) << 8 | toByte(a)) {}

Color Color::fromFloats(const float* v, int order) {
  switch (order) {
    case 1:
      return Color(v[2], v[1], v[0], v[3]);
    case 2:
      return Color(v[1], v[2], v[3], v[0]);
    default:
      return Color(v[0], v[1], v[2], v[3]);
  }
}

Color Color::fromNormal(const Vector3& n, std::uint8_t alpha) {
  Color c((n.x + 1.0f) * 0.5f, (n.y + 1.0f) * 0.5f, (n.z + 1.0f) * 0.5f, 0.0f);
  c.value = (c.value & 0xFFFFFF00u) | alpha;
  return c;
}

std::uint32_t Color::packed(int order) const {
  switch (order) {
    case 1:
      return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
    case 2:
      return (value >> 8) | (value << 24);
    default:
      return value;
  }
}

void Color::toFloats(float out[4]) const {
  for (int i = 0; i < 4; ++i) out[i] = channel(i) * kByteToFloat;
}

Color Color::lerp(const Color& a, const Color& b, float t) {
  float fa[4], fb[4];
  a.toFloats(fa);
  b.toFloats(fb);
  std::uint32_t packedValue = 0;
  for (int i = 0; i < 4; ++i) {
    // Equal channels are kept as they are: the float round trip could lose the last step.
    const std::uint32_t c = a.channel(i) == b.channel(i) ? a.channel(i) : toByte(fa[i] * (1.0f - t) + fb[i] * t);
    packedValue |= c << (24 - 8 * i);
  }
  return Color(packedValue);
}
