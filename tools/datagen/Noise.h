#pragma once

#include <cstdint>

// Deterministic lattice noise from an integer hash, so that pictures come out the same on every
// run without touching the engine's random state. Two-dimensional noise repeats with a given
// period, which makes tileable textures.
class Noise {
public:
    explicit Noise(uint32_t seed) : seed_(seed) {}

    // Hash of a lattice point into [0, 1).
    float lattice(int x, int y, int z = 0) const;

    // Smoothly interpolated value noise in [0, 1) repeating every `period` units along x and y.
    float tiled(float x, float y, int period) const;
    // Sum of octaves, each of twice the frequency and `gain` times the weight, normalised to [0, 1).
    float tiledFbm(float x, float y, int period, int octaves, float gain = 0.5f) const;

    // Non-repeating three-dimensional value noise in [0, 1) and its octave sum.
    float value3(float x, float y, float z) const;
    float fbm3(float x, float y, float z, int octaves, float gain = 0.5f) const;

    // Distance to the nearest of the jittered cell points (one per unit cell) of a tiled grid,
    // with the second-nearest distance in `second`; the basis of cells, cracks and stones.
    float cellDistance(float x, float y, int period, float* second = nullptr, uint32_t* cellId = nullptr) const;

private:
    uint32_t seed_;
};
