#include "water/HeightSource.h"

#include <cmath>

std::uint8_t HeightSource::quantise(float value, float min, float range) {
  if (range == 0.0f) return 0;
  const float scaled = (value - min) * 255.0f / range;
  if (!(std::fabs(scaled) < 2147483520.0f)) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled)));
}
