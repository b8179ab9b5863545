#pragma once
#include <cstdint>
#include <vector>

#include "foundation/RefPtr.h"
#include "water/HeightSource.h"

// Particle deposition: each mountain drops a random number of particles at a point that drifts one
// cell in a random direction every driftInterval particles; a particle rolls to a lower neighbour
// (of eight, edges wrapping round) until none is lower, then raises its cell by one, up to 255. The
// heights are then stretched so the highest is 255 and smoothed.
class DepositionTerrain {
 public:
  DepositionTerrain(std::uint32_t width, std::uint32_t height, float filterK, int driftInterval, int mountains,
                    int minParticles, int maxParticles);

  // Fills the grid the first time; later calls keep it.
  void generate();

  // One particle dropped at (x, y), both inside the grid. Every move goes to a strictly lower cell,
  // so a particle rests after at most 255 moves.
  void dropParticle(std::uint32_t x, std::uint32_t y);

  std::uint32_t width() const { return columns; }
  std::uint32_t height() const { return rows; }
  const std::uint8_t* heights() const { return grid.data(); }
  std::uint8_t* heights() { return grid.data(); }

  // The grid as it is; it borrows the grid, so this terrain must outlive it.
  RefPtr<HeightSource> heightSource() const;

  // The eight neighbours, once round: index r moves by (kDx[r], kDy[r]).
  static constexpr int kDx[8] = {1, 1, 1, 0, -1, -1, -1, 0};
  static constexpr int kDy[8] = {-1, 0, 1, 1, 1, 0, -1, -1};

 private:
  void normalise();

  std::vector<std::uint8_t> grid;
  float filterK;
  std::uint32_t columns;
  std::uint32_t rows;
  int driftInterval;
  int mountains;
  int minParticles;
  int maxParticles;
  bool generated = false;
};
