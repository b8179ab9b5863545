#pragma once

#include "tools/datagen/GenMesh.h"

#include <string>

// DirectX ".x" text ("xof 0302txt 0032"): one Mesh with MeshNormals, MeshTextureCoords and a
// MeshMaterialList of one textured Material. Coordinates are left-handed, y up, triangles
// clockwise seen from the front, texture v measured from the picture's top.
class XFileWriter {
public:
    static std::string write(const std::string& meshName, const GenMesh& mesh, const std::string& textureFile);
};
