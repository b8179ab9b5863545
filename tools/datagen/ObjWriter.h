#pragma once

#include "tools/datagen/GenMesh.h"

#include <string>
#include <vector>

// How the faces of one OBJ group write their corners.
enum class ObjCorner { Position, PositionTexture, PositionTextureNormal, PositionNormal };

struct ObjGroup {
    std::string name;       // also its material name
    GenMesh mesh;
    bool quads = false;     // merge the two triangles of each box face into one quad
    ObjCorner corner = ObjCorner::PositionTextureNormal;
};

struct MtlMaterial {
    std::string name;
    float r = 1, g = 1, b = 1;
    std::string texture;    // map_Kd file name, empty for none
};

// Wavefront OBJ and MTL text. Every vertex gets its own "v", "vt" and "vn" line with the same
// number, so all four corner forms name the same vertex (a corner written as position/texture
// also finds its normal under the texture number). Polygons are written clockwise seen from
// outside (the reverse of the mesh's order), which is what the engine's OBJ reader turns back
// into its front faces.
class ObjWriter {
public:
    static std::string obj(const std::vector<ObjGroup>& groups, const std::string& mtlFile, const std::string& comment);
    static std::string mtl(const std::vector<MtlMaterial>& materials);

    // Triangles of a group after writing (quads count twice), for checks.
    static size_t triangleCount(const ObjGroup& group);
    static size_t faceCount(const ObjGroup& group);

    // Faces as corner lists in the mesh's own winding; boxes merged into quads when asked.
    static std::vector<std::vector<uint32_t>> polygons(const ObjGroup& group);
};
