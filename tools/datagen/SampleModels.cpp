#include "tools/datagen/SampleModels.h"

#include "tools/datagen/Noise.h"

#include <algorithm>
#include <cmath>

namespace {

// A proper rotation whose z axis is `polar` and whose x axis lies towards `ref`.
Xform frameAlong(Vec3 centre, Vec3 polar, Vec3 ref) {
    Xform f;
    f.cz = normalize(polar);
    f.cx = normalize(ref - f.cz * dot(ref, f.cz));
    f.cy = cross(f.cz, f.cx);
    f.t = centre;
    return f;
}

const Vec3 kUp{0, 1, 0};
const Vec3 kForward{1, 0, 0};

void limb(GenMesh& m, Vec3 from, Vec3 to, float radius, int slices = 10, int stacks = 6) {
    const Vec3 axis = to - from;
    const float half = length(axis) * 0.5f;
    m.addEllipsoid(frameAlong((from + to) * 0.5f, axis, kForward), {radius, radius, half + radius * 0.6f}, slices,
                   stacks, 0.0f, 0.0f, 1.0f);
}

// ---- the sea of the jump ------------------------------------------------------------------------

constexpr float kWaveLevel = -0.15f;      // still water, relative to the boat's origin
constexpr float kSeaHalfLength = 6.5f;    // along the boat's run (x)
constexpr float kSeaHalfWidth = 4.0f;     // across it (z)
constexpr float kSeaDepth = 1.2f;         // bottom below still water
constexpr int kSeaColumns = 105;          // surface vertices along x (0.125 apart)
constexpr int kSeaRows = 33;              // and along z (0.25 apart)
// The picture: the surface in its upper rows, the sides in the strip below. Texture coordinates
// point at texel centres, so filtering never mixes the two parts or wraps round the edges.
constexpr int kWaterPicture = 256;
constexpr int kSurfaceRows = 224;

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float smoothstep(float e0, float e1, float v) {
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Across the sea the big crest's ridge bends back and lowers, so the wave peaks where the boat
// meets it (z = 0).
float ridgeX(float z) {
    const float side = std::min(1.0f, std::abs(z) / kSeaHalfWidth);
    return -0.3f + 0.8f * side * side;
}

float ridgeHeight(float z) {
    const float side = std::min(1.0f, std::abs(z) / kSeaHalfWidth);
    return 1.15f * (1.0f - 0.3f * side * side);
}

// The big crest: a face 2.5 long that steepens to a sharp top (the hull's climb rests on it),
// a back 2.2 long, and behind it a trough a little below still water where the boat lands.
float crestProfile(float x, float z) {
    constexpr float kFace = 2.5f, kBack = 2.2f;
    const float d = x - ridgeX(z);
    const float height = ridgeHeight(z);
    if (d <= -kFace) return 0.0f;
    if (d <= 0.0f) {
        const float u = 1.0f + d / kFace;
        return height * u * u;
    }
    const float v = d / kBack;
    float h = v < 1.0f ? height * (1.0f - v) * (1.0f - v) : 0.0f;
    if (v > 0.5f && v < 2.3f) {
        const float s = std::sin(kGenPi * (v - 0.5f) / 1.8f);
        h -= 0.1f * s * s;
    }
    return h;
}

// Lesser swells ahead of and behind the big one, and ripples running across the sea.
float swell(float x, float z) {
    auto bump = [](float d, float width) { return std::exp(-(d * d) / (width * width)); };
    return 0.28f * bump(x + 5.7f - 0.1f * z, 0.8f) + 0.32f * bump(x - 4.9f - 0.15f * z, 0.9f) +
           0.04f * std::sin(1.9f * x + 0.6f * z + 0.4f) + 0.03f * std::sin(1.3f * z - 1.1f * x + 1.7f) +
           0.015f * std::sin(3.7f * x + 2.9f * z + 0.2f);
}

float waterU(float t) { return (0.5f + t * (kWaterPicture - 1)) / kWaterPicture; }
float surfaceV(float z) { return (0.5f + (kSeaHalfWidth - z) / (2 * kSeaHalfWidth) * (kSurfaceRows - 1)) / kWaterPicture; }
float sideV(float depth) { return (kSurfaceRows + 0.5f + depth * (kWaterPicture - kSurfaceRows - 1)) / kWaterPicture; }

void outwardTriangle(GenMesh& m, uint32_t a, uint32_t b, uint32_t c, Vec3 outward) {
    const Vec3 n = cross(m.positions[b] - m.positions[a], m.positions[c] - m.positions[a]);
    if (dot(n, outward) < 0) std::swap(b, c);
    m.triangles.push_back({a, b, c});
}

uint32_t addVertex(GenMesh& m, Vec3 p, Vec3 n, float u, float v) {
    m.positions.push_back(p);
    m.normals.push_back(n);
    m.uvs.push_back({u, v});
    m.bones.push_back(0);
    return static_cast<uint32_t>(m.positions.size() - 1);
}

}  // namespace

GenMesh SampleModels::tiger() {
    GenMesh m;
    // Torso: polar axis along the body, x axis up so that u = 0 is the spine.
    m.addEllipsoid(frameAlong({0, 0, 0}, kForward, kUp), {0.32f, 0.28f, 0.75f}, 24, 14, 0.0f, 0.0f, 1.0f);
    m.addEllipsoid(frameAlong({0.45f, 0.04f, 0}, kForward, kUp), {0.31f, 0.28f, 0.38f}, 16, 10, 0.0f, 0.1f, 0.6f);
    m.addEllipsoid(frameAlong({-0.48f, 0.02f, 0}, kForward, kUp), {0.30f, 0.27f, 0.38f}, 16, 10, 0.0f, 0.4f, 0.9f);
    // Neck, head, muzzle, ears.
    m.addEllipsoid(frameAlong({0.78f, 0.16f, 0}, {1, 0.7f, 0}, kUp), {0.19f, 0.18f, 0.26f}, 12, 8, 0.0f, 0.0f, 0.3f);
    m.addEllipsoid(frameAlong({1.02f, 0.3f, 0}, kForward, kUp), {0.25f, 0.26f, 0.26f}, 16, 10, 0.0f, 0.0f, 0.25f);
    m.addEllipsoid(frameAlong({1.26f, 0.2f, 0}, kForward, kUp), {0.13f, 0.15f, 0.14f}, 12, 8, 0.0f, 0.3f, 0.4f);
    for (float s : {-1.0f, 1.0f}) {
        m.addEllipsoid(frameAlong({0.98f, 0.54f, s * 0.15f}, kUp, kForward), {0.035f, 0.07f, 0.08f}, 8, 5, 0.0f, 0.0f, 0.2f);
    }
    // Legs: upper leg, lower leg, paw.
    for (float s : {-1.0f, 1.0f}) {
        const float z = s * 0.17f;
        limb(m, {0.5f, -0.02f, z}, {0.5f, -0.45f, z}, 0.12f);
        limb(m, {0.5f, -0.45f, z}, {0.54f, -0.76f, z}, 0.085f);
        m.addEllipsoid(frameAlong({0.6f, -0.8f, z}, kForward, kUp), {0.06f, 0.09f, 0.12f}, 10, 6, 0.0f, 0.6f, 1.0f);
        limb(m, {-0.5f, 0.02f, z}, {-0.42f, -0.4f, z}, 0.15f);
        limb(m, {-0.42f, -0.4f, z}, {-0.55f, -0.75f, z}, 0.085f);
        m.addEllipsoid(frameAlong({-0.5f, -0.8f, z}, kForward, kUp), {0.06f, 0.09f, 0.12f}, 10, 6, 0.0f, 0.6f, 1.0f);
    }
    // Tail: a curve of shrinking segments rising behind the hips.
    Vec3 prev{-0.72f, 0.12f, 0};
    for (int i = 1; i <= 6; ++i) {
        const float a = static_cast<float>(i) / 6.0f;
        const Vec3 next{-0.72f - 0.75f * a, 0.12f - 0.3f * std::sin(a * 2.0f) + 0.45f * a * a, 0.08f * std::sin(a * 3.0f)};
        limb(m, prev, next, 0.065f - 0.025f * a, 8, 5);
        prev = next;
    }
    return m;
}

GenMesh SampleModels::boatHull() {
    GenMesh hull;
    // Polar axis up so the planks of the wood picture run along the hull.
    hull.addEllipsoid(frameAlong({0, 0.1f, 0}, kUp, kForward), {1.6f, 0.55f, 0.5f}, 24, 10, 0.0f, 0.0f, 1.0f);
    // Shape the ellipsoid into a hull: a sharp bow, a narrower stern and a flat deck. Positions are
    // moved as a function of themselves, so duplicated seam vertices stay identical.
    for (size_t i = 0; i < hull.positions.size(); ++i) {
        Vec3& p = hull.positions[i];
        const float along = p.x / 1.6f;
        const float bow = along > 0 ? 1.0f - 0.75f * along * along : 1.0f - 0.25f * along * along;
        p.z *= bow;
        p.y = std::min(p.y, 0.32f);
        hull.normals[i] = normalize(Vec3{hull.normals[i].x, hull.normals[i].y, hull.normals[i].z / std::max(bow, 0.3f)});
    }
    GenMesh m = hull;
    m.addBox(frameAlong({-0.35f, 0.42f, 0}, kUp, kForward), {0.45f, 0.3f, 0.1f}, 0.0f, 0.0f, 1.0f, 0.25f);  // cabin
    m.addEllipsoid(frameAlong({0.0f, -0.45f, 0}, kUp, kForward), {0.6f, 0.03f, 0.3f}, 12, 6, 0.0f, 0.5f, 1.0f);  // keel
    return m;
}

GenMesh SampleModels::boatMast() {
    GenMesh m;
    m.addEllipsoid(frameAlong({0, 1.5f, 0}, kUp, kForward), {0.05f, 0.05f, 1.55f}, 8, 6, 0.0f, 0.0f, 1.0f);
    // Boom, pointing aft.
    m.addEllipsoid(frameAlong({-0.7f, 0.3f, 0}, kForward, kUp), {0.035f, 0.035f, 0.75f}, 8, 5, 0.0f, 0.0f, 1.0f);
    return m;
}

GenMesh SampleModels::boatSail() {
    // A thin closed wedge: triangle from the boom (aft) up the mast, extruded by 0.02.
    GenMesh m;
    const Vec3 pts[3] = {{-0.02f, 0.0f, 0}, {-1.35f, 0.0f, 0}, {-0.02f, 2.5f, 0}};
    const float uv[3][2] = {{1.0f, 1.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}};
    const float half = 0.01f;
    auto vertex = [&](Vec3 p, Vec3 n, float u, float v) {
        m.positions.push_back(p);
        m.normals.push_back(n);
        m.uvs.push_back({u, v});
        m.bones.push_back(0);
        return static_cast<uint32_t>(m.positions.size() - 1);
    };
    Vec3 front[3], back[3];
    for (int i = 0; i < 3; ++i) {
        front[i] = pts[i] + Vec3{0, 0, -half};
        back[i] = pts[i] + Vec3{0, 0, half};
    }
    const Vec3 centre{-0.46f, 0.83f, 0};
    auto tri = [&](uint32_t a, uint32_t b, uint32_t c) {
        const Vec3 n = cross(m.positions[b] - m.positions[a], m.positions[c] - m.positions[a]);
        const Vec3 mid = (m.positions[a] + m.positions[b] + m.positions[c]) * (1.0f / 3.0f);
        if (dot(n, mid - centre) < 0) std::swap(b, c);
        m.triangles.push_back({a, b, c});
    };
    uint32_t f[3], b[3];
    for (int i = 0; i < 3; ++i) {
        f[i] = vertex(front[i], {0, 0, -1}, uv[i][0], uv[i][1]);
        b[i] = vertex(back[i], {0, 0, 1}, uv[i][0], uv[i][1]);
    }
    tri(f[0], f[1], f[2]);
    tri(b[0], b[1], b[2]);
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const Vec3 edge = pts[j] - pts[i];
        const Vec3 n = normalize(cross(edge, Vec3{0, 0, 1}));
        const uint32_t a0 = vertex(front[i], n, 0, 0), a1 = vertex(front[j], n, 1, 0);
        const uint32_t b1 = vertex(back[j], n, 1, 0.05f), b0 = vertex(back[i], n, 0, 0.05f);
        tri(a0, a1, b1);
        tri(a0, b1, b0);
    }
    return m;
}

GenMesh SampleModels::boatFlag() {
    GenMesh m;
    m.addBox(frameAlong({-0.25f, -0.14f, 0}, {0, 0, 1}, kForward), {0.25f, 0.14f, 0.01f}, 0.0f, 0.0f, 1.0f, 1.0f);
    return m;
}

std::vector<LwsObject> SampleModels::boatScene() {
    auto constant = [](float v) { return std::vector<LwsKey>{LwsKey{0.0f, v, 0.0f, 0.0f}}; };
    // Children first, the hull last: mast (0) on the hull (3), sail (1) and flag (2) on the mast.
    LwsObject mast;
    mast.file = "mast.obj";
    mast.parent = 3;
    LwsObject sail;
    sail.file = "sail.obj";
    sail.parent = 0;
    LwsObject flag;
    flag.file = "flag.obj";
    flag.parent = 0;
    LwsObject hull;
    hull.file = "hull.obj";

    mast.channels[0] = constant(0.35f);
    mast.channels[1] = constant(0.5f);
    mast.channels[2] = constant(0.0f);
    for (int c = 3; c < 6; ++c) mast.channels[c] = constant(0.0f);
    for (int c = 6; c < 9; ++c) mast.channels[c] = constant(1.0f);

    sail.channels[0] = constant(0.0f);
    sail.channels[1] = constant(0.3f);
    sail.channels[2] = constant(0.0f);
    sail.channels[3] = LwsWriter::smoothKeys({{0.0f, 0.2f}, {1.0f, 0.4f}, {2.0f, 0.1f}, {3.0f, 0.45f}, {4.0f, 0.2f}});
    sail.channels[4] = constant(0.0f);
    sail.channels[5] = constant(0.0f);
    sail.channels[6] = LwsWriter::smoothKeys({{0.0f, 1.0f}, {1.5f, 0.94f}, {3.0f, 1.02f}, {4.0f, 1.0f}});
    sail.channels[7] = constant(1.0f);
    sail.channels[8] = constant(1.0f);

    flag.channels[0] = constant(0.0f);
    flag.channels[1] = constant(3.05f);
    flag.channels[2] = constant(0.0f);
    std::vector<std::pair<float, float>> flutter, stretch;
    for (int i = 0; i <= 16; ++i) {
        const float t = 0.25f * i;
        flutter.push_back({t, (i % 2 ? 0.35f : -0.25f) * (i == 0 || i == 16 ? 0.0f : 1.0f)});
        stretch.push_back({t, i % 2 ? 0.85f : 1.0f});
    }
    flag.channels[3] = LwsWriter::smoothKeys(flutter);
    flag.channels[4] = constant(0.0f);
    flag.channels[5] = constant(0.0f);
    flag.channels[6] = LwsWriter::smoothKeys(stretch);
    flag.channels[7] = constant(1.0f);
    flag.channels[8] = constant(1.0f);

    // The jump: up the face of the wave bow first, through the air, nose down into the trough.
    const float times[] = {0.0f, 0.8f, 1.4f, 2.0f, 2.6f, 3.1f, 3.6f, 4.0f};
    const float xs[] = {-3.0f, -1.8f, -0.8f, 0.3f, 1.3f, 2.1f, 2.7f, 3.0f};
    const float ys[] = {0.0f, 0.35f, 1.3f, 2.0f, 1.2f, 0.0f, -0.15f, 0.0f};
    const float bank[] = {0.0f, 0.3f, 0.45f, 0.1f, -0.35f, -0.15f, 0.08f, 0.0f};
    const float roll[] = {0.0f, 0.05f, -0.05f, -0.1f, 0.05f, 0.12f, -0.06f, 0.0f};
    std::vector<std::pair<float, float>> px, py, pb, pp;
    for (int i = 0; i < 8; ++i) {
        px.push_back({times[i], xs[i]});
        py.push_back({times[i], ys[i]});
        pb.push_back({times[i], bank[i]});
        pp.push_back({times[i], roll[i]});
    }
    hull.channels[0] = LwsWriter::smoothKeys(px);
    hull.channels[1] = LwsWriter::smoothKeys(py);
    hull.channels[2] = constant(0.0f);
    hull.channels[3] = constant(0.0f);
    hull.channels[4] = LwsWriter::smoothKeys(pp);
    hull.channels[5] = LwsWriter::smoothKeys(pb);
    hull.channels[6] = LwsWriter::smoothKeys({{0.0f, 1.0f}, {2.9f, 1.0f}, {3.1f, 1.06f}, {3.4f, 1.0f}, {4.0f, 1.0f}});
    hull.channels[7] = LwsWriter::smoothKeys({{0.0f, 1.0f}, {2.9f, 1.0f}, {3.1f, 0.85f}, {3.4f, 1.0f}, {4.0f, 1.0f}});
    hull.channels[8] = constant(1.0f);
    // The sea: still, without a parent, its still water a little below the boat's origin.
    LwsObject wave;
    wave.file = "wave.obj";
    wave.channels[0] = constant(0.0f);
    wave.channels[1] = constant(kWaveLevel);
    wave.channels[2] = constant(0.0f);
    for (int c = 3; c < 6; ++c) wave.channels[c] = constant(0.0f);
    for (int c = 6; c < 9; ++c) wave.channels[c] = constant(1.0f);

    std::vector<LwsObject> scene{mast, sail, flag, hull, wave};
    for (LwsObject& o : scene) LwsWriter::alignGroups(o);
    return scene;
}

float SampleModels::waveLevel() { return kWaveLevel; }

float SampleModels::waveHeight(float x, float z) {
    // The crest's sharp top is rounded by a short average along the run.
    constexpr float kStep = 0.08f;
    const float crest = (crestProfile(x - 2 * kStep, z) + 2 * crestProfile(x - kStep, z) + 3 * crestProfile(x, z) +
                         2 * crestProfile(x + kStep, z) + crestProfile(x + 2 * kStep, z)) / 9.0f;
    return crest + swell(x, z);
}

GenMesh SampleModels::wave() {
    GenMesh m;
    auto at = [](int i, int j) {
        const float x = -kSeaHalfLength + 2 * kSeaHalfLength * i / (kSeaColumns - 1);
        const float z = -kSeaHalfWidth + 2 * kSeaHalfWidth * j / (kSeaRows - 1);
        return Vec3{x, waveHeight(x, z), z};
    };
    // The surface, with normals from the height's slopes.
    constexpr float kDelta = 0.04f;
    for (int j = 0; j < kSeaRows; ++j) {
        for (int i = 0; i < kSeaColumns; ++i) {
            const Vec3 p = at(i, j);
            const float dx = (waveHeight(p.x + kDelta, p.z) - waveHeight(p.x - kDelta, p.z)) / (2 * kDelta);
            const float dz = (waveHeight(p.x, p.z + kDelta) - waveHeight(p.x, p.z - kDelta)) / (2 * kDelta);
            addVertex(m, p, normalize({-dx, 1, -dz}), waterU(static_cast<float>(i) / (kSeaColumns - 1)), surfaceV(p.z));
        }
    }
    const Vec3 up{0, 1, 0};
    for (int j = 0; j + 1 < kSeaRows; ++j) {
        for (int i = 0; i + 1 < kSeaColumns; ++i) {
            const uint32_t a = j * kSeaColumns + i, b = a + 1, c = a + kSeaColumns, d = c + 1;
            outwardTriangle(m, a, b, d, up);
            outwardTriangle(m, a, d, c, up);
        }
    }
    // The four sides, from the surface's edge down to the bottom.
    auto side = [&](int count, auto corner, Vec3 outward) {
        uint32_t previousTop = 0, previousBottom = 0;
        for (int k = 0; k < count; ++k) {
            const Vec3 p = corner(k);
            const float u = waterU(static_cast<float>(k) / (count - 1));
            const uint32_t top = addVertex(m, p, outward, u, sideV(0.0f));
            const uint32_t bottom = addVertex(m, {p.x, -kSeaDepth, p.z}, outward, u, sideV(1.0f));
            if (k > 0) {
                outwardTriangle(m, previousTop, top, bottom, outward);
                outwardTriangle(m, previousTop, bottom, previousBottom, outward);
            }
            previousTop = top;
            previousBottom = bottom;
        }
    };
    side(kSeaColumns, [&](int i) { return at(i, 0); }, Vec3{0, 0, -1});
    side(kSeaColumns, [&](int i) { return at(i, kSeaRows - 1); }, Vec3{0, 0, 1});
    side(kSeaRows, [&](int j) { return at(0, j); }, Vec3{-1, 0, 0});
    side(kSeaRows, [&](int j) { return at(kSeaColumns - 1, j); }, Vec3{1, 0, 0});
    // The bottom.
    const Vec3 down{0, -1, 0};
    uint32_t corners[4];
    for (int k = 0; k < 4; ++k) {
        const float x = (k & 1) ? kSeaHalfLength : -kSeaHalfLength, z = (k & 2) ? kSeaHalfWidth : -kSeaHalfWidth;
        corners[k] = addVertex(m, {x, -kSeaDepth, z}, down, waterU((k & 1) ? 1.0f : 0.0f), sideV(1.0f));
    }
    outwardTriangle(m, corners[0], corners[1], corners[3], down);
    outwardTriangle(m, corners[0], corners[3], corners[2], down);
    return m;
}

Picture SampleModels::waveWater() {
    const Noise noise(517);
    Picture pic(kWaterPicture, kWaterPicture, 3);
    auto mix = [](Vec3 a, Vec3 b, float t) { return a + (b - a) * t; };
    const Vec3 deep{0.05f, 0.27f, 0.38f}, body{0.09f, 0.45f, 0.53f}, glass{0.22f, 0.68f, 0.64f};
    const Vec3 foamWhite{0.90f, 0.95f, 0.95f};
    for (int py = 0; py < kWaterPicture; ++py) {
        for (int px = 0; px < kWaterPicture; ++px) {
            const float t = static_cast<float>(px) / (kWaterPicture - 1);
            Vec3 c;
            if (py < kSurfaceRows) {
                const float x = -kSeaHalfLength + 2 * kSeaHalfLength * t;
                const float z = kSeaHalfWidth - 2 * kSeaHalfWidth * py / (kSurfaceRows - 1);
                const float h = waveHeight(x, z);
                const float rise = h / ridgeHeight(z);
                // Darker in the troughs, glassy green high on the wave's face.
                c = mix(mix(deep, body, clamp01((h + 0.1f) / 0.35f)), glass, smoothstep(0.25f, 0.85f, rise));
                // Ripples: streaks across the run of the waves.
                c = c * (0.82f + 0.36f * noise.fbm3(x * 3.0f, z * 0.8f, 0.0f, 4));
                // Foam on the crest, in streaks down its back, and flecks on the swells.
                const float behind = x - ridgeX(z);
                float foam = smoothstep(0.86f, 0.97f, rise);
                if (behind > 0.0f && behind < 1.4f) {
                    foam = std::max(foam, smoothstep(0.55f, 0.8f, noise.fbm3(x * 2.5f, z * 6.0f, 1.0f, 3)) *
                                              (1.0f - behind / 1.4f));
                }
                foam = std::max(foam, 0.6f * smoothstep(0.7f, 0.85f, noise.fbm3(x * 4.0f, z * 4.0f, 2.0f, 3)) *
                                          smoothstep(0.08f, 0.2f, swell(x, z)));
                c = mix(c, foamWhite, foam);
            } else {
                // The sides: lit water at the surface, darkening with depth.
                const float depth = static_cast<float>(py - kSurfaceRows) / (kWaterPicture - kSurfaceRows - 1);
                c = mix(Vec3{0.06f, 0.33f, 0.42f}, Vec3{0.015f, 0.09f, 0.16f}, std::pow(depth, 0.7f));
                c = c * (0.9f + 0.2f * noise.fbm3(t * 40.0f, depth * 4.0f, 3.0f, 3));
            }
            pic.set(px, py, c.x, c.y, c.z);
        }
    }
    return pic;
}

std::vector<ObjGroup> SampleModels::crateGroups() {
    ObjGroup crate;
    crate.name = "crate";
    crate.quads = true;
    crate.corner = ObjCorner::PositionTextureNormal;
    crate.mesh.addBox(Xform(), {0.75f, 0.75f, 0.75f}, 0.0f, 0.0f, 1.0f, 1.0f);
    return {crate};
}

std::vector<ObjGroup> SampleModels::robotGroups() {
    auto box = [](GenMesh& m, Vec3 c, Vec3 h) { m.addBox(Xform::translation(c), h, 0.0f, 0.0f, 1.0f, 1.0f); };
    auto ball = [](GenMesh& m, Vec3 c, float r) {
        m.addEllipsoid(Xform::translation(c), {r, r, r}, 10, 6, 0.0f, 0.0f, 1.0f);
    };
    ObjGroup body{"robot_body", {}, true, ObjCorner::PositionTextureNormal};
    box(body.mesh, {0, 1.6f, 0}, {0.6f, 0.75f, 0.4f});
    box(body.mesh, {0, 0.7f, 0}, {0.5f, 0.22f, 0.35f});
    ObjGroup head{"robot_head", {}, true, ObjCorner::PositionTexture};
    box(head.mesh, {0, 2.75f, 0}, {0.35f, 0.3f, 0.35f});
    ObjGroup joints{"robot_joints", {}, false, ObjCorner::PositionNormal};
    for (float s : {-1.0f, 1.0f}) {
        ball(joints.mesh, {s * 0.8f, 2.1f, 0}, 0.22f);
        ball(joints.mesh, {s * 0.3f, 0.5f, 0}, 0.2f);
        ball(joints.mesh, {s * 0.85f, 1.0f, 0}, 0.14f);
    }
    ball(joints.mesh, {0, 2.4f, 0}, 0.15f);
    ball(joints.mesh, {0, 3.35f, 0}, 0.08f);
    ObjGroup limbs{"robot_limbs", {}, true, ObjCorner::Position};
    for (float s : {-1.0f, 1.0f}) {
        box(limbs.mesh, {s * 0.85f, 1.55f, 0}, {0.13f, 0.45f, 0.13f});
        box(limbs.mesh, {s * 0.85f, 0.6f, 0}, {0.11f, 0.38f, 0.11f});
        box(limbs.mesh, {s * 0.3f, -0.05f, 0}, {0.16f, 0.45f, 0.16f});
        box(limbs.mesh, {s * 0.3f, -0.55f, -0.08f}, {0.2f, 0.08f, 0.3f});
    }
    box(limbs.mesh, {0, 3.15f, 0}, {0.02f, 0.18f, 0.02f});
    ObjGroup eyes{"robot_eyes", {}, false, ObjCorner::PositionNormal};
    for (float s : {-1.0f, 1.0f}) box(eyes.mesh, {s * 0.14f, 2.8f, -0.36f}, {0.08f, 0.05f, 0.02f});
    return {body, head, joints, limbs, eyes};
}
