#include "water/GerstnerWaveField.h"

#include <algorithm>
#include <cmath>

#include "water/PhaseFactors.h"

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
  constexpr std::uint32_t kChunk = 256;
  float restX[kChunk], sumX[kChunk], sumZ[kChunk], sumY[kChunk];
  for (std::uint32_t j = 0; j < rows; ++j) {
    const float z0 = static_cast<float>(halfHeight - static_cast<int>(j)) * spacingZ;
    for (std::uint32_t first = 0; first < columns; first += kChunk) {
      const std::uint32_t count = std::min(kChunk, columns - first);
      for (std::uint32_t k = 0; k < count; ++k) {
        restX[k] = static_cast<float>(static_cast<int>(first + k) - halfWidth) * spacingX;
        sumX[k] = sumZ[k] = sumY[k] = 0.0f;
      }
      for (const GerstnerWave& wave : waveList) {
        // θ = x0·Kx + (z0·Kz − ωt + φ): the row's part, which holds the unbounded time term, is
        // reduced in double once; the column's part stays small enough for float.
        const float rowPhase = reducePhase(static_cast<double>(z0 * wave.kz) - wave.omega * timeSec + wave.phase);
        const float horizontalX = wave.kx / wave.k * wave.amplitude;
        const float horizontalZ = wave.kz / wave.k * wave.amplitude;
        for (std::uint32_t k = 0; k < count; ++k) {
          float s, c;
          sinCosPeriod(reducePhase(restX[k] * wave.kx + rowPhase), s, c);
          sumX[k] += horizontalX * s;
          sumZ[k] += horizontalZ * s;
          sumY[k] += wave.amplitude * c;
        }
      }
      float* o = out + (static_cast<std::size_t>(j) * columns + first) * 3;
      for (std::uint32_t k = 0; k < count; ++k, o += 3) {
        o[0] = restX[k] - sumX[k];
        o[1] = sumY[k];
        o[2] = z0 - sumZ[k];
      }
    }
  }
}
