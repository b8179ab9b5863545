#pragma once

#include "tools/datagen/GenMath.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One MD3 surface: vertex positions and normals for every frame, shared texture coordinates and
// triangles. Triangles are given with (b − a) × (c − a) pointing outwards; the file stores them
// the other way round, as MD3 files do (readers reverse them).
struct Md3SurfaceData {
    std::string name;
    std::string shader;                                   // texture path, such as "models/players/x/upper.tga"
    std::vector<std::array<float, 2>> st;                 // per vertex, t measured from the picture's top
    std::vector<std::array<uint32_t, 3>> triangles;
    std::vector<std::vector<Vec3>> framePositions;        // [frame][vertex]
    std::vector<std::vector<Vec3>> frameNormals;          // [frame][vertex]
};

struct Md3TagData {
    std::string name;
    Vec3 origin;
    // Rows of the stored 3×3 block.
    std::array<Vec3, 3> axis{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
};

struct Md3Data {
    std::string name;
    int frameCount = 0;
    std::vector<std::string> tagNames;
    std::vector<std::vector<Md3TagData>> frameTags;       // [frame][tag], same order as tagNames
    std::vector<Md3SurfaceData> surfaces;
};

// Writes "IDP3" version 15 files, little-endian: header, frames, tags (frame-major), then each
// surface's header, shader, triangles, texture coordinates and vertices back to back.
class Md3Writer {
public:
    static std::vector<uint8_t> encode(const Md3Data& model);

    // The packed two-byte normal: byte 0 is the angle from +z, byte 1 the angle around it, each
    // in units of π/128.
    static std::array<uint8_t, 2> packNormal(Vec3 n);
    // Positions are stored as round(value · 64) in signed 16 bits.
    static int16_t quantize(float value);
};
