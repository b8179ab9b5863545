#include "tools/datagen/SampleModels.h"

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
    std::vector<LwsObject> scene{mast, sail, flag, hull};
    for (LwsObject& o : scene) LwsWriter::alignGroups(o);
    return scene;
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
