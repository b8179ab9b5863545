#include "tools/datagen/XFileWriter.h"

#include <sstream>

#include "tools/datagen/DecimalText.h"

std::string XFileWriter::write(const std::string& meshName, const GenMesh& mesh, const std::string& textureFile) {
    std::ostringstream out;
    const size_t nv = mesh.vertexCount(), nt = mesh.triangleCount();
    auto sep = [](size_t i, size_t n) { return i + 1 < n ? ",\n" : ";\n"; };
    out << "xof 0302txt 0032\n\n";
    out << "Mesh " << meshName << " {\n";
    out << " " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3 p = mesh.positions[i];
        out << " " << decimalText(p.x) << ";" << decimalText(p.y) << ";" << decimalText(p.z) << ";" << sep(i, nv);
    }
    out << " " << nt << ";\n";
    for (size_t i = 0; i < nt; ++i) {
        const auto& t = mesh.triangles[i];
        out << " 3;" << t[0] << "," << t[1] << "," << t[2] << ";" << sep(i, nt);
    }
    out << "\n MeshNormals {\n  " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3 n = mesh.normals[i];
        out << "  " << decimalText(n.x) << ";" << decimalText(n.y) << ";" << decimalText(n.z) << ";" << sep(i, nv);
    }
    out << "  " << nt << ";\n";
    for (size_t i = 0; i < nt; ++i) {
        const auto& t = mesh.triangles[i];
        out << "  3;" << t[0] << "," << t[1] << "," << t[2] << ";" << sep(i, nt);
    }
    out << " }\n\n MeshTextureCoords {\n  " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i) {
        out << "  " << decimalText(mesh.uvs[i][0]) << ";" << decimalText(mesh.uvs[i][1]) << ";" << sep(i, nv);
    }
    out << " }\n\n MeshMaterialList {\n  1;\n  " << nt << ";\n";
    for (size_t i = 0; i < nt; ++i) out << "  0" << sep(i, nt);
    out << "  Material {\n   1.000000;1.000000;1.000000;1.000000;;\n   12.000000;\n   0.200000;0.200000;0.200000;;\n"
        << "   0.000000;0.000000;0.000000;;\n   TextureFilename {\n    \"" << textureFile << "\";\n   }\n  }\n }\n}\n";
    return out.str();
}
