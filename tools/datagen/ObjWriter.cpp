#include "tools/datagen/ObjWriter.h"

#include <sstream>

#include "tools/datagen/DecimalText.h"

std::vector<std::vector<uint32_t>> ObjWriter::polygons(const ObjGroup& group) {
    std::vector<std::vector<uint32_t>> out;
    const auto& tris = group.mesh.triangles;
    for (size_t i = 0; i < tris.size(); ++i) {
        const auto& t1 = tris[i];
        if (group.quads && i + 1 < tris.size() && tris[i + 1][0] == t1[0]) {
            const auto& t2 = tris[i + 1];
            if (t2[2] == t1[1]) {
                out.push_back({t1[0], t2[1], t1[1], t1[2]});
                ++i;
                continue;
            }
            if (t2[1] == t1[2]) {
                out.push_back({t1[0], t1[1], t1[2], t2[2]});
                ++i;
                continue;
            }
        }
        out.push_back({t1[0], t1[1], t1[2]});
    }
    return out;
}

size_t ObjWriter::faceCount(const ObjGroup& group) { return polygons(group).size(); }

size_t ObjWriter::triangleCount(const ObjGroup& group) {
    size_t n = 0;
    for (const auto& p : polygons(group)) n += p.size() - 2;
    return n;
}

std::string ObjWriter::obj(const std::vector<ObjGroup>& groups, const std::string& mtlFile, const std::string& comment) {
    std::ostringstream out;
    out << "# " << comment << "\n";
    out << "mtllib " << mtlFile << "\n";
    for (const auto& g : groups) {
        for (size_t v = 0; v < g.mesh.vertexCount(); ++v) {
            const Vec3 p = g.mesh.positions[v];
            out << "v " << decimalText(p.x) << " " << decimalText(p.y) << " " << decimalText(p.z) << "\n";
        }
    }
    for (const auto& g : groups) {
        for (size_t v = 0; v < g.mesh.vertexCount(); ++v) {
            out << "vt " << decimalText(g.mesh.uvs[v][0]) << " " << decimalText(g.mesh.uvs[v][1]) << "\n";
        }
    }
    for (const auto& g : groups) {
        for (size_t v = 0; v < g.mesh.vertexCount(); ++v) {
            const Vec3 n = g.mesh.normals[v];
            out << "vn " << decimalText(n.x) << " " << decimalText(n.y) << " " << decimalText(n.z) << "\n";
        }
    }
    size_t base = 1;
    for (const auto& g : groups) {
        out << "g " << g.name << "\n";
        out << "usemtl " << g.name << "\n";
        for (const auto& poly : polygons(g)) {
            out << "f";
            // Reverse order: first corner kept, the rest backwards.
            for (size_t k = 0; k < poly.size(); ++k) {
                const size_t idx = base + poly[k == 0 ? 0 : poly.size() - k];
                out << " ";
                switch (g.corner) {
                    case ObjCorner::Position: out << idx; break;
                    case ObjCorner::PositionTexture: out << idx << "/" << idx; break;
                    case ObjCorner::PositionTextureNormal: out << idx << "/" << idx << "/" << idx; break;
                    case ObjCorner::PositionNormal: out << idx << "//" << idx; break;
                }
            }
            out << "\n";
        }
        base += g.mesh.vertexCount();
    }
    return out.str();
}

std::string ObjWriter::mtl(const std::vector<MtlMaterial>& materials) {
    std::ostringstream out;
    out << "# materials\n";
    for (const auto& m : materials) {
        out << "\nnewmtl " << m.name << "\n";
        out << "Ka 0.200000 0.200000 0.200000\n";
        out << "Kd " << decimalText(m.r) << " " << decimalText(m.g) << " " << decimalText(m.b) << "\n";
        out << "Ks 0.300000 0.300000 0.300000\n";
        out << "Ns 20.000000\n";
        if (!m.texture.empty()) out << "map_Kd " << m.texture << "\n";
    }
    return out.str();
}
