#include "water/GerstnerWaveField.h"

#include <cmath>

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

GerstnerWaveField::GerstnerWaveField(std::uint32_t width, std::uint32_t height, float sizeX,
                                     float sizeZ)
    : columns(width), rows(height), spacingX(sizeX / width), spacingZ(sizeZ / height) {
  if (width < 2 || height < 2 || static_cast<std::uint64_t>(width) * height > 65536) {
    columns = rows = 0;
    return;
  }
  positionArray.assign(static_cast<std::size_t>(width) * height * 3, 0.0f);
  indexArray.reserve((6 * static_cast<std::size_t>(width) - 6) * (height - 1));
  for (std::uint32_t r = 0; r + 1 < rows; ++r) {
    for (std::uint32_t c = 0; c + 1 < columns; ++c) {
      const auto a = static_cast<std::uint16_t>(columns * r + c);
      const auto right = static_cast<std::uint16_t>(a + 1);
      const auto diagonal = static_cast<std::uint16_t>(a + columns + 1);
      const auto below = static_cast<std::uint16_t>(a + columns);
      indexArray.insert(indexArray.end(), {a, right, diagonal, a, diagonal, below});
    }
  }
}

bool GerstnerWaveField::addWave(float directionX, float directionZ, float wavelength,
                                float amplitude, float phase) {
  const float length = std::sqrt(directionX * directionX + directionZ * directionZ);
  if (length == 0.0f || wavelength <= 0.0f) return false;
  GerstnerWave wave;
  wave.k = 6.2831855f / wavelength;
  wave.kx = directionX / length * wave.k;
  wave.kz = directionZ / length * wave.k;
  wave.amplitude = amplitude;
  wave.omega = std::sqrt(9.81f * wave.k);
  wave.phase = phase;
  waveList.push_back(wave);
  return true;
}

void GerstnerWaveField::evaluate(double timeSec, float* out) const {
  const int halfWidth = static_cast<int>(columns / 2);
  const int halfHeight = static_cast<int>(rows / 2);
  for (std::uint32_t j = 0; j < rows; ++j) {
    const float z0 = static_cast<float>(halfHeight - static_cast<int>(j)) * spacingZ;
    for (std::uint32_t i = 0; i < columns; ++i, out += 3) {
      const float x0 = static_cast<float>(static_cast<int>(i) - halfWidth) * spacingX;
      float dx = 0.0f, dz = 0.0f, y = 0.0f;
      for (const GerstnerWave& wave : waveList) {
        double theta = x0 * wave.kx + z0 * wave.kz - wave.omega * timeSec + wave.phase;
        // Reduced in double: the time term grows without bound and a float phase would lose it.
        theta -= kTwoPi * std::nearbyint(theta * (1.0 / kTwoPi));
        float s, c;
        ::sincosf(static_cast<float>(theta), &s, &c);
        const float horizontal = wave.amplitude * s / wave.k;
        dx += wave.kx * horizontal;
        dz += wave.kz * horizontal;
        y += wave.amplitude * c;
      }
      out[0] = x0 - dx;
      out[1] = y;
      out[2] = z0 - dz;
    }
  }
}
