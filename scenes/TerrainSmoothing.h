#pragma once
#include <cstddef>
#include <cstdint>

// The exponential running average the terrain generators erode their grids with. Forward:
// v[i] = k·v[i − 1] + (1 − k)·v[i] for i = 1..count−1; backward: v[i] = k·v[i + 1] + (1 − k)·v[i]
// for i = count−2 down to 0. The byte version truncates every result back to 8 bits.
enum class SmoothPasses { Forward = 0, Backward = 1, Both = 2 };

// One line of count values, stride elements apart.
void smooth(float* values, std::size_t count, std::size_t stride, float k, SmoothPasses passes);
void smooth(std::uint8_t* values, std::size_t count, std::size_t stride, float k, SmoothPasses passes);

// A row-major width × height grid: every row forward then backward, then every column forward then
// backward.
void smoothGrid(float* values, std::uint32_t width, std::uint32_t height, float k);
void smoothGrid(std::uint8_t* values, std::uint32_t width, std::uint32_t height, float k);
