#pragma once
#include <cstdint>
#include <vector>

// An n × n height grid of masses, each pulled towards its eight neighbours (diagonals weighted
// 1/√2), integrated with a fixed explicit step k and damped by 1% per step. The border ring stays
// at 0. Cell (column x, row y) is element n·y + x.
class SpringWaterGrid {
 public:
  SpringWaterGrid(std::uint32_t n, float k);

  // Clears forces and velocities and writes start pattern 0..9 (see the .cpp); a pattern above 9
  // keeps the interior heights.
  void reset(int pattern);
  void step();
  // Lifts one interior cell to n·0.2; border cells and cells outside the grid are ignored.
  void raise(std::uint32_t x, std::uint32_t y);

  std::uint32_t size() const { return n; }
  const float* heights() const { return height.data(); }
  float heightAt(std::uint32_t x, std::uint32_t y) const { return height[static_cast<std::size_t>(n) * y + x]; }

 private:
  std::uint32_t n;
  float k;
  std::vector<float> force;
  std::vector<float> velocity;
  std::vector<float> height;
};
