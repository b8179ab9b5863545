#include "tools/datagen/Noise.h"

#include <cmath>

namespace {

uint32_t mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

int wrap(int v, int period) {
    const int m = v % period;
    return m < 0 ? m + period : m;
}

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

// The weighted mean of the octaves of a fractal noise: octave o is a noise of its own seed,
// sampled at 2^o times the coordinates (scale is a power of two, so scaling is exact) and
// weighted by gain^o.
template <typename Sample>
float octaveMean(uint32_t seed, int octaves, float gain, Sample sample) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f, scale = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * sample(Noise(seed + 101u * static_cast<uint32_t>(o)), o, scale);
        total += weight;
        weight *= gain;
        scale *= 2.0f;
    }
    return sum / total;
}

}  // namespace

float Noise::lattice(int x, int y, int z) const {
    uint32_t h = seed_ * 0x9E3779B9u;
    h = mix(h ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu);
    h = mix(h ^ static_cast<uint32_t>(y) * 0xC2B2AE35u);
    h = mix(h ^ static_cast<uint32_t>(z) * 0x27D4EB2Fu);
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float Noise::tiled(float x, float y, int period) const {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = smooth(x - fx), ty = smooth(y - fy);
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float a = lerp(lattice(x0, y0), lattice(x1, y0), tx);
    const float b = lerp(lattice(x0, y1), lattice(x1, y1), tx);
    return lerp(a, b, ty);
}

float Noise::tiledFbm(float x, float y, int period, int octaves, float gain) const {
    return octaveMean(seed_, octaves, gain, [&](const Noise& octave, int o, float scale) {
        return octave.tiled(x * scale, y * scale, period << o);
    });
}

float Noise::value3(float x, float y, float z) const {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const float tx = smooth(x - fx), ty = smooth(y - fy), tz = smooth(z - fz);
    float layer[2];
    for (int dz = 0; dz < 2; ++dz) {
        const float a = lerp(lattice(ix, iy, iz + dz), lattice(ix + 1, iy, iz + dz), tx);
        const float b = lerp(lattice(ix, iy + 1, iz + dz), lattice(ix + 1, iy + 1, iz + dz), tx);
        layer[dz] = lerp(a, b, ty);
    }
    return lerp(layer[0], layer[1], tz);
}

float Noise::fbm3(float x, float y, float z, int octaves, float gain) const {
    return octaveMean(seed_, octaves, gain, [&](const Noise& octave, int, float scale) {
        return octave.value3(x * scale, y * scale, z * scale);
    });
}

float Noise::cellDistance(float x, float y, int period, float* second, uint32_t* cellId) const {
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    float best = 1e9f, next = 1e9f;
    uint32_t bestId = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int gx = cx + dx, gy = cy + dy;
            const int wx = wrap(gx, period), wy = wrap(gy, period);
            const float px = static_cast<float>(gx) + 0.15f + 0.7f * lattice(wx, wy, 1);
            const float py = static_cast<float>(gy) + 0.15f + 0.7f * lattice(wx, wy, 2);
            const float d = std::hypot(px - x, py - y);
            if (d < best) {
                next = best;
                best = d;
                bestId = static_cast<uint32_t>(wy * period + wx);
            } else if (d < next) {
                next = d;
            }
        }
    }
    if (second) *second = next;
    if (cellId) *cellId = bestId;
    return best;
}
