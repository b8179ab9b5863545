#include "tools/datagen/GenMesh.h"

#include <cstring>
#include <map>
#include <tuple>

uint32_t GenMesh::addVertex(Vec3 p, Vec3 n, float u, float v, int bone) {
    positions.push_back(p);
    normals.push_back(normalize(n));
    uvs.push_back({u, v});
    bones.push_back(bone);
    return static_cast<uint32_t>(positions.size() - 1);
}

void GenMesh::addOutwardTriangle(uint32_t a, uint32_t b, uint32_t c, Vec3 inside) {
    const Vec3 pa = positions[a], pb = positions[b], pc = positions[c];
    const Vec3 n = cross(pb - pa, pc - pa);
    const Vec3 centroid = (pa + pb + pc) * (1.0f / 3.0f);
    if (dot(n, centroid - inside) < 0) std::swap(b, c);
    triangles.push_back({a, b, c});
}

void GenMesh::addEllipsoid(const Xform& frame, Vec3 radii, int slices, int stacks, float u0, float v0,
                           float v1, int bone, float uSpan) {
    // Ring positions are computed once per (stack, slice) and reused for the seam copies.
    std::vector<Vec3> ring(static_cast<size_t>(slices));
    std::vector<Vec3> ringNormal(static_cast<size_t>(slices));
    const Vec3 north = frame.apply({0, 0, radii.z});
    const Vec3 south = frame.apply({0, 0, -radii.z});
    const Vec3 centre = frame.t;
    std::vector<uint32_t> previous;
    for (int i = 1; i < stacks; ++i) {
        const float theta = kGenPi * static_cast<float>(i) / stacks;
        const float st = std::sin(theta), ct = std::cos(theta);
        for (int j = 0; j < slices; ++j) {
            const float phi = 2.0f * kGenPi * static_cast<float>(j) / slices;
            const float cp = std::cos(phi), sp = std::sin(phi);
            ring[j] = frame.apply({radii.x * st * cp, radii.y * st * sp, radii.z * ct});
            ringNormal[j] = frame.applyDir({st * cp / radii.x, st * sp / radii.y, ct / radii.z});
        }
        const float v = v0 + (v1 - v0) * static_cast<float>(i) / stacks;
        std::vector<uint32_t> current;
        for (int j = 0; j <= slices; ++j) {
            const int k = j % slices;
            current.push_back(addVertex(ring[k], ringNormal[k], u0 + uSpan * static_cast<float>(j) / slices, v, bone));
        }
        if (i == 1) {
            for (int j = 0; j < slices; ++j) {
                const uint32_t pole = addVertex(north, frame.applyDir({0, 0, 1}),
                                                u0 + uSpan * (j + 0.5f) / slices, v0, bone);
                addOutwardTriangle(pole, current[j], current[j + 1], centre);
            }
        } else {
            for (int j = 0; j < slices; ++j) {
                addOutwardTriangle(previous[j], current[j], current[j + 1], centre);
                addOutwardTriangle(previous[j], current[j + 1], previous[j + 1], centre);
            }
        }
        previous = current;
    }
    for (int j = 0; j < slices; ++j) {
        const uint32_t pole = addVertex(south, frame.applyDir({0, 0, -1}), u0 + uSpan * (j + 0.5f) / slices, v1, bone);
        addOutwardTriangle(pole, previous[j + 1], previous[j], centre);
    }
}

void GenMesh::addBox(const Xform& frame, Vec3 h, float u0, float v0, float u1, float v1, int bone) {
    // Corner k has the signs of bits 0, 1, 2 on x, y, z; computed once so shared corners match.
    Vec3 corner[8];
    for (int k = 0; k < 8; ++k) {
        corner[k] = frame.apply({(k & 1) ? h.x : -h.x, (k & 2) ? h.y : -h.y, (k & 4) ? h.z : -h.z});
    }
    const int faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    const Vec3 axes[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    const float fu[4] = {u0, u1, u1, u0}, fv[4] = {v1, v1, v0, v0};
    for (int f = 0; f < 6; ++f) {
        uint32_t idx[4];
        for (int c = 0; c < 4; ++c) idx[c] = addVertex(corner[faces[f][c]], frame.applyDir(axes[f]), fu[c], fv[c], bone);
        addOutwardTriangle(idx[0], idx[1], idx[2], frame.t);
        addOutwardTriangle(idx[0], idx[2], idx[3], frame.t);
    }
}

void GenMesh::append(const GenMesh& other, const Xform& frame) {
    const uint32_t base = static_cast<uint32_t>(positions.size());
    for (size_t i = 0; i < other.positions.size(); ++i) {
        positions.push_back(frame.apply(other.positions[i]));
        normals.push_back(normalize(frame.applyDir(other.normals[i])));
        uvs.push_back(other.uvs[i]);
        bones.push_back(other.bones[i]);
    }
    for (const auto& t : other.triangles) triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
}

bool GenMesh::isClosedByPosition() const {
    using Key = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>;
    auto bits = [](float f) {
        uint32_t b;
        std::memcpy(&b, &f, 4);
        return b;
    };
    std::map<Key, int> directed;
    auto key = [&](Vec3 a, Vec3 b) {
        return Key{bits(a.x), bits(a.y), bits(a.z), bits(b.x), bits(b.y), bits(b.z)};
    };
    for (const auto& t : triangles) {
        for (int e = 0; e < 3; ++e) directed[key(positions[t[e]], positions[t[(e + 1) % 3]])]++;
    }
    for (const auto& t : triangles) {
        for (int e = 0; e < 3; ++e) {
            const Vec3 a = positions[t[e]], b = positions[t[(e + 1) % 3]];
            if (directed[key(a, b)] != 1) return false;
            auto it = directed.find(key(b, a));
            if (it == directed.end() || it->second != 1) return false;
        }
    }
    return true;
}
