#include "tools/datagen/TextureSynthesis.h"

#include "tools/datagen/Noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

struct Rgb {
    float r, g, b;
};

Rgb mixRgb(Rgb a, Rgb b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scaleRgb(Rgb c, float s) { return {c.r * s, c.g * s, c.b * s}; }

Rgb fromArray(const std::array<float, 3>& a) { return {a[0], a[1], a[2]}; }

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void put(Picture& p, int x, int y, Rgb c, float a = 1.0f) { p.set(x, y, c.r, c.g, c.b, a); }

// Shared sky model: colours by elevation, clouds on a plane above the viewer, a sun glow.
struct SkyLook {
    Rgb zenith, horizon, nearSea, deepSea, cloud;
    float cloudCover;
    float sunX, sunY, sunZ;
    uint32_t seed;
};

Picture reflectionMap(int size, const SkyLook& look) {
    Picture pic(size, size, 3);
    const Noise noise(look.seed);
    const float sunLen = std::sqrt(look.sunX * look.sunX + look.sunY * look.sunY + look.sunZ * look.sunZ);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float x = (px + 0.5f) / size * 2.0f - 1.0f;
            float y = 1.0f - (py + 0.5f) / size * 2.0f;
            const float r2 = x * x + y * y;
            if (r2 > 1.0f) {  // outside the disc of directions: continue the rim outwards
                const float r = std::sqrt(r2);
                x /= r;
                y /= r;
            }
            const float z = std::sqrt(std::max(0.0f, 1.0f - x * x - y * y));
            Rgb c;
            if (y >= 0.0f) {
                c = mixRgb(look.horizon, look.zenith, std::pow(y, 0.6f));
                if (y > 0.04f) {
                    // Cloud layer: project the direction onto a plane one unit above.
                    const float cx = x / y, cz = z / y;
                    const float n = noise.fbm3(cx * 0.9f, cz * 0.9f, 3.7f, 5);
                    const float cover = smoothstep(look.cloudCover, look.cloudCover + 0.18f, n);
                    const float fade = smoothstep(0.04f, 0.25f, y);
                    const float shade = 0.82f + 0.18f * noise.fbm3(cx * 2.1f, cz * 2.1f, 9.1f, 3);
                    c = mixRgb(c, scaleRgb(look.cloud, shade), cover * fade * 0.9f);
                }
            } else {
                const float depth = std::pow(-y, 0.5f);
                c = mixRgb(look.nearSea, look.deepSea, depth);
                const float ripple = noise.fbm3(x * 14.0f, y * 40.0f, z * 14.0f, 3);
                c = scaleRgb(c, 0.9f + 0.2f * ripple);
            }
            const float sd = (x * look.sunX + y * look.sunY + z * look.sunZ) / sunLen;
            if (sd > 0.0f) {
                const float glow = std::pow(sd, 400.0f) * 1.5f + std::pow(sd, 24.0f) * 0.35f;
                c = {c.r + glow, c.g + glow * 0.95f, c.b + glow * 0.8f};
            }
            put(pic, px, py, c);
        }
    }
    return pic;
}

// Radial sprite: `shape` gives colour and alpha from the distance to the centre (0..1) and noise.
template <typename Shape>
Picture sprite(int size, Shape shape) {
    Picture pic(size, size, 4);
    const float half = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f - half) / half, dy = (y + 0.5f - half) / half;
            const float r = std::sqrt(dx * dx + dy * dy);
            if (r >= 1.0f) {
                pic.set(x, y, 0.0f, 0.0f, 0.0f, 0.0f);
                continue;
            }
            float rr, gg, bb, aa;
            shape(r, dx, dy, rr, gg, bb, aa);
            pic.set(x, y, rr, gg, bb, aa);
        }
    }
    return pic;
}

// Tileable picture from a per-texel function of coordinates in [0, 1).
template <typename Fn>
Picture tileable(int size, int channels, Fn fn) {
    Picture pic(size, size, channels);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgb c = fn(static_cast<float>(x) / size, static_cast<float>(y) / size);
            put(pic, x, y, c);
        }
    }
    return pic;
}

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

}  // namespace

Picture TextureSynthesis::oceanReflection(int size) {
    SkyLook look{};
    look.zenith = {0.05f, 0.17f, 0.38f};
    look.horizon = {0.42f, 0.60f, 0.70f};
    look.nearSea = {0.12f, 0.30f, 0.36f};
    look.deepSea = {0.01f, 0.07f, 0.14f};
    look.cloud = {0.78f, 0.84f, 0.88f};
    look.cloudCover = 0.58f;
    look.sunX = 0.25f;
    look.sunY = 0.45f;
    look.sunZ = 0.86f;
    look.seed = 11;
    return reflectionMap(size, look);
}

Picture TextureSynthesis::brightReflection(int size) {
    SkyLook look{};
    look.zenith = {0.30f, 0.52f, 0.86f};
    look.horizon = {0.88f, 0.92f, 0.95f};
    look.nearSea = {0.55f, 0.68f, 0.74f};
    look.deepSea = {0.20f, 0.36f, 0.48f};
    look.cloud = {1.0f, 1.0f, 1.0f};
    look.cloudCover = 0.50f;
    look.sunX = -0.3f;
    look.sunY = 0.6f;
    look.sunZ = 0.74f;
    look.seed = 23;
    return reflectionMap(size, look);
}

Picture TextureSynthesis::fireSprite(int size) {
    const Noise noise(31);
    return sprite(size, [&](float r, float dx, float dy, float& R, float& G, float& B, float& A) {
        const float flicker = noise.fbm3(dx * 3.0f + 5.0f, dy * 3.0f + 5.0f, 0.5f, 4);
        const float body = std::pow(1.0f - smoothstep(0.0f, 1.0f, r), 1.6f);
        A = clamp01(body * (0.75f + 0.5f * flicker)) * (1.0f - smoothstep(0.85f, 1.0f, r));
        const float core = 1.0f - smoothstep(0.0f, 0.55f, r);
        R = 1.0f;
        G = 0.72f + 0.28f * core;
        B = 0.30f + 0.65f * core * core;
    });
}

Picture TextureSynthesis::smokeSprite(int size) {
    const Noise noise(37);
    return sprite(size, [&](float r, float dx, float dy, float& R, float& G, float& B, float& A) {
        const float puff = noise.fbm3(dx * 2.5f + 11.0f, dy * 2.5f + 3.0f, 1.5f, 5);
        const float body = std::pow(1.0f - r, 1.3f);
        A = clamp01(body * (0.35f + 0.9f * puff)) * (1.0f - smoothstep(0.8f, 1.0f, r));
        const float shade = 0.72f + 0.28f * puff;
        R = G = B = shade;
    });
}

Picture TextureSynthesis::hills(int size) {
    const Noise noise(41);
    Picture pic(size, size, 3);
    std::vector<float> h(static_cast<size_t>(size) * size);
    float lo = 1e9f, hi = -1e9f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / size, v = static_cast<float>(y) / size;
            float value = noise.tiledFbm(u * 4.0f, v * 4.0f, 4, 5, 0.5f);
            // Two broad summits and a valley give the map a recognisable shape.
            const float d1 = std::hypot(u - 0.3f, v - 0.35f), d2 = std::hypot(u - 0.72f, v - 0.7f);
            const float d3 = std::hypot(u - 0.62f, v - 0.22f);
            value += 0.55f * std::exp(-d1 * d1 * 28.0f) + 0.4f * std::exp(-d2 * d2 * 40.0f);
            value -= 0.3f * std::exp(-d3 * d3 * 60.0f);
            h[static_cast<size_t>(y) * size + x] = value;
            lo = std::min(lo, value);
            hi = std::max(hi, value);
        }
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float t = (h[static_cast<size_t>(y) * size + x] - lo) / (hi - lo);
            const float g = (8.0f + 240.0f * t) / 255.0f;
            pic.set(x, y, g, g, g);
        }
    }
    return pic;
}

Picture TextureSynthesis::earthLumps(int size) {
    const Noise noise(51);
    return tileable(size, 3, [&](float u, float v) {
        float second = 0.0f;
        uint32_t id = 0;
        const float d = noise.cellDistance(u * 10.0f, v * 10.0f, 10, &second, &id);
        const float clod = 1.0f - smoothstep(0.0f, 0.75f, d);
        const float crevice = smoothstep(0.0f, 0.12f, second - d);
        const float grain = noise.tiledFbm(u * 32.0f, v * 32.0f, 32, 3);
        const float tint = noise.lattice(static_cast<int>(id), 7) * 0.15f;
        Rgb c = mixRgb({0.27f, 0.18f, 0.10f}, {0.50f, 0.36f, 0.22f}, clod * 0.8f + tint);
        return scaleRgb(c, (0.55f + 0.45f * crevice) * (0.85f + 0.3f * grain));
    });
}

Picture TextureSynthesis::grass(int size) {
    const Noise noise(61);
    return tileable(size, 3, [&](float u, float v) {
        const float blades = noise.tiledFbm(u * 64.0f, v * 16.0f, 16, 2);
        const float fine = noise.tiled(u * 128.0f, v * 128.0f, 128);
        const float patches = noise.tiledFbm(u * 4.0f, v * 4.0f, 4, 3);
        Rgb c = mixRgb({0.13f, 0.30f, 0.07f}, {0.36f, 0.56f, 0.16f}, blades * 0.7f + fine * 0.4f);
        c = mixRgb(c, {0.42f, 0.48f, 0.16f}, smoothstep(0.55f, 0.8f, patches) * 0.6f);
        return scaleRgb(c, 0.85f + 0.3f * fine);
    });
}

Picture TextureSynthesis::rock(int size) {
    const Noise noise(71);
    const Noise warp(73);
    return tileable(size, 3, [&](float u, float v) {
        // Warped cells give irregular boulders; fine fbm gives grain and lichen-coloured patches.
        const float wu = u * 6.0f + 0.8f * (warp.tiledFbm(u * 4.0f, v * 4.0f, 4, 3) - 0.5f) * 2.0f;
        const float wv = v * 6.0f + 0.8f * (warp.tiledFbm(u * 4.0f + 7.0f, v * 4.0f, 4, 3) - 0.5f) * 2.0f;
        float second = 0.0f;
        uint32_t id = 0;
        const float d = noise.cellDistance(wu, wv, 6, &second, &id);
        const float crack = smoothstep(0.0f, 0.1f, second - d);
        const float bulge = 1.0f - 0.35f * smoothstep(0.2f, 0.9f, d);
        const float body = noise.tiledFbm(u * 8.0f, v * 8.0f, 8, 5);
        const float grain = noise.tiled(u * 96.0f, v * 96.0f, 96);
        const float tint = noise.lattice(static_cast<int>(id), 3);
        Rgb c = mixRgb({0.34f, 0.32f, 0.29f}, {0.64f, 0.60f, 0.54f}, body * 0.8f + grain * 0.2f);
        c = mixRgb(c, {0.56f, 0.47f, 0.36f}, tint * 0.4f);
        c = mixRgb(c, {0.42f, 0.46f, 0.30f}, smoothstep(0.62f, 0.75f, body) * 0.35f);
        return scaleRgb(c, (0.5f + 0.5f * crack) * bulge);
    });
}

Picture TextureSynthesis::snow(int size) {
    const Noise noise(81);
    Picture pic = tileable(size, 3, [&](float u, float v) {
        const float drift = noise.tiledFbm(u * 4.0f, v * 4.0f, 4, 5);
        const float fine = noise.tiled(u * 64.0f, v * 64.0f, 64);
        Rgb c = mixRgb({0.74f, 0.80f, 0.90f}, {0.97f, 0.98f, 1.0f}, drift * 1.2f - 0.1f);
        return scaleRgb(c, 0.94f + 0.06f * fine);
    });
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (noise.lattice(x, y, 5) > 0.996f) pic.set(x, y, 1.0f, 1.0f, 1.0f);
        }
    }
    return pic;
}

Picture TextureSynthesis::darkRock(int size) {
    const Noise noise(91);
    return tileable(size, 3, [&](float u, float v) {
        const float warp = noise.tiledFbm(u * 4.0f, v * 4.0f, 4, 4);
        const float strata = 0.5f + 0.5f * std::sin((v * 10.0f + warp * 1.5f) * 2.0f * kPi);
        const float grit = noise.tiledFbm(u * 32.0f, v * 32.0f, 32, 3);
        Rgb c = mixRgb({0.12f, 0.11f, 0.12f}, {0.32f, 0.30f, 0.30f}, strata * 0.6f + grit * 0.4f);
        return c;
    });
}

Picture TextureSynthesis::reliefHeights(int size) {
    Picture pic(size, size, 3);
    const float s = static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / s, v = (y + 0.5f) / s;
            float h = 0.5f;
            // Raised dome, upper left.
            const float dd = std::hypot(u - 0.27f, v - 0.27f) / 0.18f;
            if (dd < 1.0f) h += 0.42f * std::sqrt(1.0f - dd * dd);
            // Raised square plateau with bevelled sides, upper right.
            const float px = std::abs(u - 0.73f), py = std::abs(v - 0.27f);
            h += 0.35f * (1.0f - smoothstep(0.13f, 0.17f, std::max(px, py)));
            // Sunken bowl, lower right.
            const float db = std::hypot(u - 0.73f, v - 0.73f) / 0.18f;
            if (db < 1.0f) h -= 0.40f * (1.0f - db * db);
            // Groove ring, lower left.
            const float dr = std::abs(std::hypot(u - 0.27f, v - 0.73f) - 0.13f);
            h -= 0.30f * (1.0f - smoothstep(0.0f, 0.03f, dr));
            // Raised cross in the centre.
            const float cx = std::abs(u - 0.5f), cy = std::abs(v - 0.5f);
            const float bar = std::min(std::max(cx, cy * 0.2f), std::max(cy, cx * 0.2f));
            h += 0.25f * (1.0f - smoothstep(0.02f, 0.035f, bar)) * (1.0f - smoothstep(0.08f, 0.1f, std::max(cx, cy)));
            pic.set(x, y, h, h, h);
        }
    }
    return pic;
}

Picture TextureSynthesis::reliefColours(int size) {
    const Noise noise(101);
    Picture pic(size, size, 3);
    const float s = static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / s, v = (y + 0.5f) / s;
            const float wear = noise.tiledFbm(u * 8.0f, v * 8.0f, 8, 4);
            Rgb c = mixRgb({0.30f, 0.36f, 0.44f}, {0.46f, 0.52f, 0.58f}, wear);
            if (std::hypot(u - 0.27f, v - 0.27f) < 0.18f) c = mixRgb({0.75f, 0.18f, 0.12f}, c, 0.2f);
            if (std::max(std::abs(u - 0.73f), std::abs(v - 0.27f)) < 0.15f) c = mixRgb({0.85f, 0.66f, 0.20f}, c, 0.2f);
            if (std::hypot(u - 0.73f, v - 0.73f) < 0.18f) c = mixRgb({0.10f, 0.55f, 0.55f}, c, 0.2f);
            if (std::abs(std::hypot(u - 0.27f, v - 0.73f) - 0.13f) < 0.025f) c = {0.12f, 0.12f, 0.14f};
            const float cx = std::abs(u - 0.5f), cy = std::abs(v - 0.5f);
            if (std::max(cx, cy) < 0.09f && std::min(cx, cy) < 0.03f) c = {0.90f, 0.90f, 0.86f};
            // Rivets along the border.
            const float gx = std::fmod(u * 16.0f, 1.0f) - 0.5f, gy = std::fmod(v * 16.0f, 1.0f) - 0.5f;
            const bool border = u < 1.0f / 16 || u > 15.0f / 16 || v < 1.0f / 16 || v > 15.0f / 16;
            if (border && std::hypot(gx, gy) < 0.22f) c = {0.70f, 0.72f, 0.74f};
            put(pic, x, y, c);
        }
    }
    return pic;
}

Picture TextureSynthesis::woodPlanks(int size) {
    const Noise noise(111);
    return tileable(size, 3, [&](float u, float v) {
        const int planks = 8;
        const float pv = v * planks;
        const int plank = static_cast<int>(pv);
        const float inPlank = pv - plank;
        const float offset = noise.lattice(plank, 1);
        const float grain = noise.tiledFbm(u * 2.0f + offset * 4.0f, v * 64.0f, 2, 4);
        const float rings = 0.5f + 0.5f * std::sin((u * 6.0f + grain * 3.0f + offset * 10.0f) * 2.0f * kPi);
        Rgb c = mixRgb({0.42f, 0.25f, 0.12f}, {0.66f, 0.45f, 0.24f}, rings * 0.5f + grain * 0.5f);
        c = scaleRgb(c, 0.85f + 0.3f * offset);
        const float seam = smoothstep(0.0f, 0.06f, inPlank) * smoothstep(0.0f, 0.06f, 1.0f - inPlank);
        // Butt joints where planks meet end to end, staggered per plank.
        const float joint = std::abs(std::fmod(u + offset, 0.5f) - 0.25f);
        const float jointShade = smoothstep(0.0f, 0.01f, std::abs(joint - 0.24f));
        return scaleRgb(c, (0.35f + 0.65f * seam) * (0.55f + 0.45f * jointShade));
    });
}

Picture TextureSynthesis::tigerFur(int size) {
    // u runs around the body (0 = spine, 0.5 = belly), v along it; stripes cross the body.
    const Noise noise(121);
    Picture pic(size, size, 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / size, v = static_cast<float>(y) / size;
            const float belly = 1.0f - std::abs(u - 0.5f) * 2.0f;  // 1 at the belly, 0 at the spine
            const float fur = noise.tiledFbm(u * 32.0f, v * 32.0f, 32, 3);
            Rgb c = mixRgb({0.86f, 0.45f, 0.10f}, {0.95f, 0.62f, 0.22f}, fur * 0.6f);
            c = mixRgb(c, {0.96f, 0.92f, 0.84f}, smoothstep(0.55f, 0.8f, belly));
            const float warp = noise.tiledFbm(u * 4.0f, v * 4.0f, 4, 3);
            const float stripe = std::sin((v * 14.0f + warp * 1.2f + std::abs(u - 0.5f) * 0.6f) * 2.0f * kPi);
            const float width = 0.55f + 0.4f * belly;  // stripes thin out towards the belly
            const float dark = smoothstep(width, width + 0.12f, stripe);
            c = mixRgb(c, {0.07f, 0.05f, 0.04f}, dark);
            put(pic, x, y, scaleRgb(c, 0.9f + 0.2f * fur));
        }
    }
    return pic;
}

Picture TextureSynthesis::crate(int size) {
    const Noise noise(131);
    return tileable(size, 3, [&](float u, float v) {
        const float grain = noise.tiledFbm(u * 2.0f, v * 48.0f, 2, 4);
        Rgb c = mixRgb({0.55f, 0.38f, 0.18f}, {0.74f, 0.55f, 0.30f}, grain);
        const float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        const float diag = std::min(std::abs(u - v), std::abs(u + v - 1.0f));
        if (edge < 0.1f || diag < 0.06f) c = scaleRgb(mixRgb({0.45f, 0.30f, 0.14f}, c, 0.3f), 0.85f);
        if (edge < 0.012f || std::abs(edge - 0.1f) < 0.008f) c = scaleRgb(c, 0.4f);
        // Nails at the corners of the frame.
        const float nx = std::min(u, 1.0f - u), ny = std::min(v, 1.0f - v);
        if (std::hypot(nx - 0.05f, ny - 0.05f) < 0.018f) c = {0.25f, 0.25f, 0.27f};
        return c;
    });
}

Picture TextureSynthesis::robotPlating(int size) {
    const Noise noise(141);
    return tileable(size, 3, [&](float u, float v) {
        const float wear = noise.tiledFbm(u * 8.0f, v * 8.0f, 8, 4);
        Rgb c = mixRgb({0.45f, 0.48f, 0.52f}, {0.70f, 0.72f, 0.75f}, wear);
        const float pu = std::fmod(u * 4.0f, 1.0f), pv = std::fmod(v * 4.0f, 1.0f);
        const float seam = std::min(std::min(pu, 1.0f - pu), std::min(pv, 1.0f - pv));
        if (seam < 0.03f) c = scaleRgb(c, 0.45f);
        if (std::hypot(pu - 0.12f, pv - 0.12f) < 0.04f || std::hypot(pu - 0.88f, pv - 0.88f) < 0.04f) {
            c = {0.82f, 0.82f, 0.80f};
        }
        // Hazard stripes along one panel row.
        if (pv > 0.4f && pv < 0.6f && static_cast<int>(v * 4.0f) == 1) {
            const bool yellow = std::fmod((u + v) * 16.0f, 1.0f) < 0.5f;
            c = yellow ? Rgb{0.90f, 0.72f, 0.10f} : Rgb{0.10f, 0.10f, 0.10f};
        }
        return c;
    });
}

namespace {

// Fills rows [t0, t1) of a skin; `fn` gets the position inside the band (u, t in 0..1).
template <typename Fn>
void paintBand(Picture& pic, SkinBand band, Fn fn) {
    const int h = pic.height(), w = pic.width();
    const int y0 = static_cast<int>(band.t0 * h), y1 = static_cast<int>(band.t1 * h);
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < w; ++x) {
            const float u = (x + 0.5f) / w, t = (y - y0 + 0.5f) / (y1 - y0);
            put(pic, x, y, fn(u, t));
        }
    }
}

Rgb cloth(const Noise& noise, Rgb base, float u, float t) {
    const float weave = noise.tiled(u * 64.0f, t * 32.0f, 64);
    const float folds = noise.tiledFbm(u * 4.0f, t * 4.0f, 4, 3);
    return scaleRgb(base, 0.75f + 0.2f * weave + 0.2f * folds);
}

Rgb armour(const Noise& noise, Rgb base, Rgb trim, float u, float t) {
    const float wear = noise.tiledFbm(u * 8.0f, t * 4.0f, 8, 3);
    Rgb c = scaleRgb(base, 0.8f + 0.35f * wear);
    const float pu = std::fmod(u * 8.0f, 1.0f);
    if (pu < 0.06f || t < 0.06f || t > 0.94f) c = scaleRgb(trim, 0.9f);
    if (std::abs(pu - 0.5f) < 0.08f && std::abs(t - 0.5f) < 0.08f) c = scaleRgb(trim, 1.15f);
    return c;
}

}  // namespace

Picture TextureSynthesis::playerLower(const PlayerPalette& p, int size) {
    const Noise noise(151);
    Picture pic(size, size, 3);
    paintBand(pic, kLowerPants, [&](float u, float t) {
        Rgb c = cloth(noise, fromArray(p.cloth), u, t);
        if (std::abs(std::fmod(u * 4.0f, 1.0f) - 0.5f) < 0.04f) c = fromArray(p.trim);  // side seams
        return c;
    });
    paintBand(pic, kLowerBoots, [&](float u, float t) {
        const float leather = noise.tiledFbm(u * 16.0f, t * 8.0f, 16, 3);
        Rgb c = scaleRgb({0.16f, 0.12f, 0.10f}, 0.8f + 0.5f * leather);
        if (t < 0.12f) c = fromArray(p.trim);
        return c;
    });
    paintBand(pic, kLowerBelt, [&](float u, float t) {
        Rgb c = armour(noise, fromArray(p.armour), fromArray(p.trim), u, t);
        if (std::abs(u - 0.5f) < 0.05f && std::abs(t - 0.5f) < 0.3f) c = {0.85f, 0.75f, 0.35f};  // buckle
        return c;
    });
    return pic;
}

Picture TextureSynthesis::playerUpper(const PlayerPalette& p, int size) {
    const Noise noise(161);
    Picture pic(size, size, 3);
    paintBand(pic, kUpperChest, [&](float u, float t) {
        Rgb c = armour(noise, fromArray(p.armour), fromArray(p.trim), u, t);
        // Emblem on the chest (the front is u = 0.5).
        const float d = std::hypot((u - 0.5f) * 3.0f, t - 0.35f);
        if (d < 0.16f) c = fromArray(p.glow);
        if (std::abs(d - 0.2f) < 0.03f) c = fromArray(p.trim);
        return c;
    });
    paintBand(pic, kUpperArms, [&](float u, float t) { return cloth(noise, fromArray(p.cloth), u, t); });
    paintBand(pic, kUpperHands, [&](float u, float t) {
        const float grain = noise.tiled(u * 32.0f, t * 8.0f, 32);
        return scaleRgb({0.20f, 0.18f, 0.17f}, 0.8f + 0.4f * grain);
    });
    paintBand(pic, kUpperPads, [&](float u, float t) {
        return scaleRgb(armour(noise, fromArray(p.armour), fromArray(p.trim), u, t), 0.85f);
    });
    return pic;
}

Picture TextureSynthesis::playerHead(const PlayerPalette& p, int size) {
    const Noise noise(171);
    Picture pic(size, size, 3);
    paintBand(pic, kHeadFace, [&](float u, float t) {
        const float blotch = noise.tiledFbm(u * 8.0f, t * 8.0f, 8, 3);
        Rgb c = scaleRgb(fromArray(p.skin), 0.85f + 0.25f * blotch);
        // Face features around the front (u = 0.5): eyes, brows, mouth.
        const float du = (u - 0.5f) * 4.0f;
        for (float side : {-0.28f, 0.28f}) {
            const float de = std::hypot(du - side, (t - 0.52f) * 2.2f);
            if (de < 0.13f) c = fromArray(p.glow);
            else if (de < 0.17f) c = {0.05f, 0.05f, 0.05f};
            if (std::abs(du - side) < 0.18f && std::abs(t - 0.43f) < 0.02f) c = scaleRgb(fromArray(p.skin), 0.4f);
        }
        if (std::abs(du) < 0.25f && std::abs(t - 0.78f) < 0.025f) c = {0.25f, 0.08f, 0.08f};
        return c;
    });
    paintBand(pic, kHeadHelmet, [&](float u, float t) {
        Rgb c = armour(noise, fromArray(p.armour), fromArray(p.trim), u, t);
        if (std::abs(u - 0.5f) < 0.03f) c = fromArray(p.glow);  // crest
        return c;
    });
    return pic;
}

Picture TextureSynthesis::playerWeapon(const PlayerPalette& p, int size) {
    const Noise noise(181);
    Picture pic(size, size, 3);
    paintBand(pic, kWeaponAll, [&](float u, float t) {
        const float brushed = noise.tiled(u * 4.0f, t * 64.0f, 4);
        Rgb c = scaleRgb({0.42f, 0.44f, 0.47f}, 0.8f + 0.35f * brushed);
        if (std::abs(std::fmod(t * 5.0f, 1.0f) - 0.5f) < 0.06f) c = fromArray(p.trim);
        if (t > 0.9f) c = fromArray(p.glow);
        return c;
    });
    return pic;
}

Picture TextureSynthesis::sailCloth(int size) {
    const Noise noise(191);
    return tileable(size, 3, [&](float u, float v) {
        const float weave = noise.tiled(u * 128.0f, v * 128.0f, 128);
        Rgb c = scaleRgb({0.95f, 0.93f, 0.86f}, 0.9f + 0.1f * weave);
        // Horizontal panel seams and a red band near the foot of the sail.
        if (std::abs(std::fmod(v * 6.0f, 1.0f) - 0.5f) < 0.02f) c = scaleRgb(c, 0.8f);
        if (v > 0.78f && v < 0.88f) c = {0.80f, 0.15f, 0.12f};
        return c;
    });
}

Picture TextureSynthesis::flag(int size) {
    // A red pennant with a yellow band and a white disc.
    Picture pic(size, size, 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            Rgb c{0.78f, 0.10f, 0.10f};
            if (std::abs(u - v) < 0.09f) c = {0.95f, 0.80f, 0.15f};
            if (std::hypot(u - 0.3f, v - 0.5f) < 0.16f) c = {0.96f, 0.96f, 0.94f};
            put(pic, x, y, c);
        }
    }
    return pic;
}
