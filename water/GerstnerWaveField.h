#pragma once
#include <cstdint>
#include <vector>

#include "water/GerstnerWave.h"

// A grid of width × height points over sizeX × sizeZ, moved every evaluation by a sum of Gerstner
// waves: each point circles about its rest position, so crests sharpen and troughs flatten. The
// triangle list is fixed at construction.
class GerstnerWaveField {
 public:
  // A grid of fewer than 2 × 2 or more than 65536 points (beyond 16-bit indices) is left empty.
  GerstnerWaveField(std::uint32_t width, std::uint32_t height, float sizeX, float sizeZ);

  // Adds a wave; a direction of length 0 has no meaning and is refused (false).
  bool addWave(float directionX, float directionZ, float wavelength, float amplitude, float phase);

  // Rewrites every position (x, y, z triples, row j outer, column i inner) for time t in seconds.
  void evaluate(double timeSec) { evaluate(timeSec, positionArray.data()); }
  // The same into a caller's array of vertexCount() triples (a mesh's own frame, say).
  void evaluate(double timeSec, float* positions) const;

  std::uint32_t vertexCount() const { return columns * rows; }
  std::uint32_t indexCount() const { return static_cast<std::uint32_t>(indexArray.size()); }
  const float* positions() const { return positionArray.data(); }
  const std::vector<std::uint16_t>& indices() const { return indexArray; }
  const std::vector<GerstnerWave>& waves() const { return waveList; }

 private:
  std::vector<GerstnerWave> waveList;
  std::vector<float> positionArray;
  std::vector<std::uint16_t> indexArray;
  std::uint32_t columns;
  std::uint32_t rows;
  float spacingX;
  float spacingZ;
};
