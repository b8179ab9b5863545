#pragma once
#include <cstdint>
#include <vector>

// The discrete two-dimensional wave equation on a width × height grid, in two buffers that take
// turns: each step writes the new heights over the ones from two steps back. Damped by 1% per
// step; the border stays at 0. Cell (column x, row y) is element width·y + x.
class WaterHeightField2D {
 public:
  // Wave speed c gives the coefficient a = (0.2·c)².
  WaterHeightField2D(std::uint32_t width, std::uint32_t height, float speed);

  void step();
  // A drop: 3.0 at the interior cell (x, y), 1.5 at each neighbour that is not on the border.
  // Border cells are ignored.
  void disturb(std::uint32_t x, std::uint32_t y);

  std::uint32_t width() const { return columns; }
  std::uint32_t height() const { return rows; }
  float coefficient() const { return a; }
  // The latest heights; the buffer changes with every step.
  const float* current() const { return buffers[currentIndex].data(); }
  float* current() { return buffers[currentIndex].data(); }
  // The heights of the step before (what the next step overwrites).
  float* previous() { return buffers[1 - currentIndex].data(); }

 private:
  std::vector<float> buffers[2];
  int currentIndex = 0;
  std::uint32_t columns;
  std::uint32_t rows;
  float a;
};
