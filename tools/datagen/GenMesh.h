#pragma once

#include "tools/datagen/GenMath.h"

#include <array>
#include <cstdint>
#include <vector>

// An indexed triangle mesh under construction. Triangles are stored with (b − a) × (c − a)
// pointing out of the surface, which is the engine's clockwise front face in its left-handed
// world; writers for formats with the other convention reverse them. Every vertex may carry the
// index of the bone that moves it, for keyframed MD3 parts.
class GenMesh {
public:
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<int> bones;
    std::vector<std::array<uint32_t, 3>> triangles;

    size_t vertexCount() const { return positions.size(); }
    size_t triangleCount() const { return triangles.size(); }

    // Closed ellipsoid: `frame` places the unit sphere (its z axis is the polar axis) and `radii`
    // scale the local axes. u runs around the polar axis from u0 to u0 + 1 starting at local +x
    // (wrapping), v from v0 at the +z pole to v1 at the −z pole. Seam and pole vertices are
    // duplicated with bit-identical positions, so the surface is closed by position.
    void addEllipsoid(const Xform& frame, Vec3 radii, int slices, int stacks, float u0, float v0, float v1,
                      int bone = 0, float uSpan = 1.0f);

    // Closed box with its own vertices per face; every face gets the whole (u0..u1, v0..v1) range.
    void addBox(const Xform& frame, Vec3 halfSize, float u0, float v0, float u1, float v1, int bone = 0);

    // Appends another mesh, optionally moved.
    void append(const GenMesh& other, const Xform& frame = Xform());

    // Undirected edges used by exactly two triangles in opposite directions, judged on positions:
    // true when every edge of every triangle has such a partner (a closed surface).
    bool isClosedByPosition() const;

private:
    uint32_t addVertex(Vec3 p, Vec3 n, float u, float v, int bone);
    void addOutwardTriangle(uint32_t a, uint32_t b, uint32_t c, Vec3 inside);
};
