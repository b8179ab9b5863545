#pragma once
#include <cstdint>

#include "engine/Vector3.h"

// RGBA packed into 32 bits, red in the top byte. The device's ARGB form is the value rotated right
// by 8 bits (packed(2)).
struct Color {
  std::uint32_t value = 0xFFFFFFFFu;

  constexpr Color() = default;
  constexpr explicit Color(std::uint32_t rgba) : value(rgba) {}
  // Each channel in [0, 1], times 255, truncated toward zero.
  Color(float r, float g, float b, float a);
  // Four floats in channel order 0 (r g b a), 1 (b g r a) or 2 (a r g b, i.e. the array holds
  // a0..a3 and (a1, a2, a3, a0) become (r, g, b, a)).
  static Color fromFloats(const float* values, int order);
  // Normal-map encoding of a unit normal: channels (n + 1)/2, alpha as given.
  static Color fromNormal(const Vector3& n, std::uint8_t alpha);

  // Order 0 as stored (RGBA), 1 with the bytes reversed (ABGR), 2 rotated right by 8 (ARGB).
  std::uint32_t packed(int order) const;
  // 0 red, 1 green, 2 blue, 3 alpha.
  std::uint8_t channel(int index) const { return static_cast<std::uint8_t>(value >> (24 - 8 * (index & 3))); }
  // r, g, b, a as floats in [0, 1].
  void toFloats(float out[4]) const;
  // Channel by channel on the float values; a channel equal in both is kept exactly.
  static Color lerp(const Color& a, const Color& b, float t);

  friend bool operator==(const Color&, const Color&) = default;
};
