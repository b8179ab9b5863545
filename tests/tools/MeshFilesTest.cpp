#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/XFileWriter.h"

#include "GeneratedData.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace {

std::string readText(const std::string& path) {
    const auto b = readFileBytes(path);
    return std::string(b.begin(), b.end());
}

std::string materialName(const aiScene* s, const aiMesh* m) {
    aiString name;
    s->mMaterials[m->mMaterialIndex]->Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

// Closed by position: every directed edge has exactly one partner running the other way.
bool closedByPosition(const aiMesh* m) {
    std::map<std::array<float, 6>, int> edges;
    auto key = [&](unsigned a, unsigned b) {
        const aiVector3D p = m->mVertices[a], q = m->mVertices[b];
        return std::array<float, 6>{p.x, p.y, p.z, q.x, q.y, q.z};
    };
    for (unsigned f = 0; f < m->mNumFaces; ++f)
        for (unsigned e = 0; e < 3; ++e) edges[key(m->mFaces[f].mIndices[e], m->mFaces[f].mIndices[(e + 1) % 3])]++;
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
        for (unsigned e = 0; e < 3; ++e) {
            const unsigned a = m->mFaces[f].mIndices[e], b = m->mFaces[f].mIndices[(e + 1) % 3];
            if (edges[key(a, b)] != 1) return false;
            const auto it = edges.find(key(b, a));
            if (it == edges.end() || it->second != 1) return false;
        }
    }
    return true;
}

}  // namespace

TEST(ObjWriter, WritesEachCornerFormAndReversesTheWinding) {
    struct Case {
        ObjCorner corner;
        const char* face;
    };
    const Case cases[] = {{ObjCorner::Position, "f 1 3 2"},
                          {ObjCorner::PositionTexture, "f 1/1 3/3 2/2"},
                          {ObjCorner::PositionTextureNormal, "f 1/1/1 3/3/3 2/2/2"},
                          {ObjCorner::PositionNormal, "f 1//1 3//3 2//2"}};
    for (const Case& c : cases) {
        ObjGroup g;
        g.name = "m";
        g.corner = c.corner;
        g.mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        g.mesh.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
        g.mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
        g.mesh.bones = {0, 0, 0};
        g.mesh.triangles = {{0, 1, 2}};
        const std::string text = ObjWriter::obj({g}, "m.mtl", "t");
        EXPECT_NE(text.find(std::string("\n") + c.face + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("mtllib m.mtl\n"), std::string::npos);
        EXPECT_NE(text.find("usemtl m\n"), std::string::npos);
    }
}

TEST(ObjWriter, MergesBoxFacesIntoQuads) {
    ObjGroup g;
    g.name = "box";
    g.quads = true;
    g.mesh.addBox(Xform(), {1, 1, 1}, 0, 0, 1, 1);
    EXPECT_EQ(ObjWriter::faceCount(g), 6u);
    EXPECT_EQ(ObjWriter::triangleCount(g), 12u);
    // Each quad's fan reproduces the two outward triangles.
    for (const auto& q : ObjWriter::polygons(g)) {
        ASSERT_EQ(q.size(), 4u);
        for (int k = 1; k < 3; ++k) {
            const Vec3 a = g.mesh.positions[q[0]], b = g.mesh.positions[q[k]], c = g.mesh.positions[q[k + 1]];
            const Vec3 centroid = (a + b + c) * (1.0f / 3.0f);
            EXPECT_GT(dot(cross(b - a, c - a), centroid), 0.0f);
        }
    }
}

TEST(GeneratedObj, CrateAndRobotReadBackPerMaterialInAssimp) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    struct Case {
        const char* file;
        const std::vector<MeshCounts>* groups;
    };
    for (const Case& c : {Case{"cube.obj", &g.manifest.cubeGroups}, Case{"test.obj", &g.manifest.robotGroups}}) {
        Assimp::Importer importer;
        const aiScene* s = importer.ReadFile(g.root + "/data/animations/testrobot/" + c.file, aiProcess_Triangulate);
        ASSERT_NE(s, nullptr) << importer.GetErrorString();
        std::map<std::string, size_t> triangles;
        for (unsigned i = 0; i < s->mNumMeshes; ++i) triangles[materialName(s, s->mMeshes[i])] += s->mMeshes[i]->mNumFaces;
        ASSERT_EQ(triangles.size(), c.groups->size()) << c.file;
        for (const MeshCounts& group : *c.groups) EXPECT_EQ(triangles[group.name], group.triangles) << group.name;
    }
}

TEST(GeneratedObj, RobotUsesTrianglesQuadsAndAllFourCornerForms) {
    const GeneratedData& g = generatedData();
    std::istringstream in(readText(g.root + "/data/animations/testrobot/test.obj"));
    std::string line;
    std::map<std::string, int> forms;
    int triangles = 0, quads = 0;
    while (std::getline(in, line)) {
        if (line.rfind("f ", 0) != 0) continue;
        std::istringstream words(line.substr(2));
        std::string corner;
        int corners = 0;
        while (words >> corner) {
            ++corners;
            const size_t slash = corner.find('/');
            if (slash == std::string::npos) forms["v"]++;
            else if (corner.find("//") != std::string::npos) forms["v//vn"]++;
            else if (corner.find('/', slash + 1) != std::string::npos) forms["v/vt/vn"]++;
            else forms["v/vt"]++;
        }
        triangles += corners == 3;
        quads += corners == 4;
    }
    EXPECT_GT(triangles, 0);
    EXPECT_GT(quads, 0);
    for (const char* f : {"v", "v/vt", "v/vt/vn", "v//vn"}) EXPECT_GT(forms[f], 0) << f;
    // Textured and plain materials, with textures beside the MTL file.
    const std::string mtl = readText(g.root + "/data/animations/testrobot/test.mtl");
    EXPECT_NE(mtl.find("map_Kd robot.tga"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(g.root + "/data/animations/testrobot/robot.tga"));
    EXPECT_TRUE(std::filesystem::exists(g.root + "/data/animations/testrobot/crate.tga"));
}

// Faces are written clockwise seen from outside: the normal of the face as written points
// against the vertex normals, so the reader's reversal yields outward front faces.
TEST(GeneratedObj, FacesAsWrittenTurnAgainstTheirNormals) {
    const GeneratedData& g = generatedData();
    ASSERT_EQ(g.manifest.sailJumpObjects.size(), 5u);
    struct Case {
        std::string file;
        size_t triangles;
    };
    const Case cases[] = {{"testrobot/cube.obj", 12}, {"sailjump/wave.obj", g.manifest.sailJumpObjects[4].triangles}};
    for (const Case& c : cases) {
        Assimp::Importer importer;
        const aiScene* s = importer.ReadFile(g.root + "/data/animations/" + c.file, aiProcess_Triangulate);
        ASSERT_NE(s, nullptr) << c.file;
        size_t checked = 0;
        for (unsigned i = 0; i < s->mNumMeshes; ++i) {
            const aiMesh* m = s->mMeshes[i];
            ASSERT_TRUE(m->HasNormals());
            for (unsigned f = 0; f < m->mNumFaces; ++f) {
                const unsigned* idx = m->mFaces[f].mIndices;
                const aiVector3D a = m->mVertices[idx[0]], b = m->mVertices[idx[1]], c = m->mVertices[idx[2]];
                const aiVector3D n = (b - a) ^ (c - a);
                EXPECT_LT(n * m->mNormals[idx[0]], 0.0f) << f;
                ++checked;
            }
        }
        EXPECT_EQ(checked, c.triangles) << c.file;
    }
}

// The sea reads back as one textured mesh whose surface spans the boat's whole run, a big crest
// standing well above the rest, and sides and a bottom closing it below.
TEST(GeneratedObj, WaveReadsBackAsOneTexturedBlockOfSea) {
    const GeneratedData& g = generatedData();
    const std::string dir = g.root + "/data/animations/sailjump/";
    Assimp::Importer importer;
    const aiScene* s = importer.ReadFile(dir + "wave.obj", 0);
    ASSERT_NE(s, nullptr) << importer.GetErrorString();
    ASSERT_EQ(s->mNumMeshes, 1u);
    const aiMesh* m = s->mMeshes[0];
    ASSERT_EQ(g.manifest.sailJumpObjects.back().name, "wave.obj");
    EXPECT_EQ(m->mNumFaces, g.manifest.sailJumpObjects.back().triangles);
    EXPECT_LT(m->mNumVertices, 65536u);  // the engine's 16-bit indices
    EXPECT_EQ(materialName(s, m), "wave");
    aiString texture;
    ASSERT_EQ(s->mMaterials[m->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &texture), AI_SUCCESS);
    EXPECT_STREQ(texture.C_Str(), "wave.tga");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + "wave.tga"));
    aiVector3D low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
    float crestX = 0, ahead = -1e9f, behind = -1e9f;
    for (unsigned i = 0; i < m->mNumVertices; ++i) {
        const aiVector3D p = m->mVertices[i];
        low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        if (p.y == high.y) crestX = p.x;
        // Each texture coordinate points inside the picture (the sides and surface never wrap).
        ASSERT_GT(m->mTextureCoords[0][i].x, 0.0f);
        ASSERT_LT(m->mTextureCoords[0][i].x, 1.0f);
    }
    // The boat runs from x = −3 to 3 and is 3.2 long: the sea holds all of it.
    EXPECT_LE(low.x, -5.0f);
    EXPECT_GE(high.x, 5.0f);
    EXPECT_LE(low.z, -2.0f);
    EXPECT_GE(high.z, 2.0f);
    for (unsigned i = 0; i < m->mNumVertices; ++i) {
        const aiVector3D p = m->mVertices[i];
        if (p.y <= low.y) continue;
        if (p.x < crestX - 3.0f) ahead = std::max(ahead, p.y);
        if (p.x > crestX + 3.0f) behind = std::max(behind, p.y);
    }
    // One crest: a metre above still water, more than twice the height of the swells around it.
    EXPECT_GT(high.y, 0.9f);
    EXPECT_LT(ahead, high.y * 0.5f);
    EXPECT_LT(behind, high.y * 0.5f);
    EXPECT_LT(low.y, -0.5f);  // a bottom well below the troughs
}

TEST(GeneratedXFile, TigerReadsBackCornerByCornerInAssimp) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    const std::string path = g.root + "/data/xfiles/tiger.x";
    EXPECT_EQ(readText(path).rfind("xof 0302txt 0032\n", 0), 0u);
    Assimp::Importer importer;
    // Left-handed conversion gives the file's own coordinates, winding and texture v back.
    const aiScene* s = importer.ReadFile(path, aiProcess_ConvertToLeftHanded);
    ASSERT_NE(s, nullptr) << importer.GetErrorString();
    ASSERT_EQ(s->mNumMeshes, 1u);
    const aiMesh* m = s->mMeshes[0];
    const GenMesh tiger = SampleModels::tiger();
    ASSERT_EQ(m->mNumFaces, g.manifest.tiger.triangles);
    ASSERT_EQ(m->mNumFaces, tiger.triangleCount());
    EXPECT_GE(g.manifest.tiger.triangles, 2000u);
    ASSERT_TRUE(m->HasNormals());
    ASSERT_TRUE(m->HasTextureCoords(0));
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
        for (unsigned k = 0; k < 3; ++k) {
            const unsigned i = m->mFaces[f].mIndices[k];
            const uint32_t w = tiger.triangles[f][k];
            ASSERT_NEAR(m->mVertices[i].x, tiger.positions[w].x, 1e-5f) << f;
            ASSERT_NEAR(m->mVertices[i].y, tiger.positions[w].y, 1e-5f) << f;
            ASSERT_NEAR(m->mVertices[i].z, tiger.positions[w].z, 1e-5f) << f;
            ASSERT_NEAR(m->mNormals[i].y, tiger.normals[w].y, 1e-5f) << f;
            ASSERT_NEAR(m->mTextureCoords[0][i].x, tiger.uvs[w][0], 1e-5f) << f;
            ASSERT_NEAR(m->mTextureCoords[0][i].y, tiger.uvs[w][1], 1e-5f) << f;
        }
    }
    EXPECT_TRUE(closedByPosition(m));
    aiString texture;
    ASSERT_EQ(s->mMaterials[m->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &texture), AI_SUCCESS);
    EXPECT_STREQ(texture.C_Str(), "tiger.tga");
    EXPECT_TRUE(std::filesystem::exists(g.root + "/data/xfiles/tiger.tga"));
}

TEST(GeneratedXFile, TigerFacesPointOutwards) {
    // In the engine's left-handed world (b − a) × (c − a) of a front face points out of the body.
    const GenMesh tiger = SampleModels::tiger();
    size_t agree = 0;
    for (const auto& t : tiger.triangles) {
        const Vec3 a = tiger.positions[t[0]], b = tiger.positions[t[1]], c = tiger.positions[t[2]];
        const Vec3 n = tiger.normals[t[0]] + tiger.normals[t[1]] + tiger.normals[t[2]];
        agree += dot(cross(b - a, c - a), n) > 0;
    }
    EXPECT_EQ(agree, tiger.triangleCount());
    EXPECT_TRUE(tiger.isClosedByPosition());
}

// Reads a scene the way the engine's LightWave reader does, to check the writer against that
// grammar: object lines, channel groups 0, 3, 6 of three envelopes each, Key lines, ParentItem.
struct GrammarObject {
    std::string file;
    size_t keys[9] = {};
    std::vector<double> times[9], values[9], inTangents[9], outTangents[9];
    int parent = -1;
};

static std::vector<GrammarObject> readWithGrammar(const std::string& text) {
    std::vector<GrammarObject> objects;
    std::istringstream in(text);
    std::string line, first;
    std::getline(in, line);
    if (line != "LWSC") return objects;
    std::getline(in, line);
    if (line != "3") return objects;
    int channel = -1;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        words >> first;
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        if (first == "LoadObjectLayer") {
            objects.emplace_back();
            objects.back().file = rest.substr(rest.find(' ') + 1);
        } else if (first == "Channel") {
            channel = std::stoi(rest);
        } else if (first == "Key" && !objects.empty() && channel >= 0) {
            std::istringstream k(rest);
            double v[9];
            for (double& x : v) k >> x;
            objects.back().keys[channel]++;
            objects.back().times[channel].push_back(v[1]);
            objects.back().values[channel].push_back(v[0]);
            objects.back().inTangents[channel].push_back(v[6]);
            objects.back().outTangents[channel].push_back(v[7]);
        } else if (first == "ParentItem" && !objects.empty()) {
            const size_t zero = rest.find('0');
            const size_t digits = rest.find_first_not_of('0', zero);
            objects.back().parent = digits == std::string::npos ? 0 : std::stoi(rest.substr(digits));
        }
    }
    return objects;
}

TEST(LwsWriter, AlignsTheChannelsOfAGroupOnCommonKeyTimes) {
    LwsObject o;
    o.channels[6] = {{0.0f, 1.0f, 0, 0}, {2.0f, 3.0f, 0.5f, 0.5f}};
    o.channels[7] = {{0.0f, 1.0f, 0, 0}};
    o.channels[8] = {{1.0f, 2.0f, 0, 0}};
    LwsWriter::alignGroups(o);
    for (int c = 6; c < 9; ++c) {
        ASSERT_EQ(o.channels[c].size(), 3u) << c;
        EXPECT_EQ(o.channels[c][0].timeS, 0.0f);
        EXPECT_EQ(o.channels[c][1].timeS, 1.0f);
        EXPECT_EQ(o.channels[c][2].timeS, 2.0f);
    }
    EXPECT_FLOAT_EQ(o.channels[6][1].value, 2.0f);  // halfway between its own keys
    EXPECT_FLOAT_EQ(o.channels[6][2].inTangent, 0.5f);  // its own keys are kept as they were
    EXPECT_FLOAT_EQ(o.channels[7][2].value, 1.0f);  // a constant stays constant
    EXPECT_FLOAT_EQ(o.channels[8][0].value, 2.0f);  // before its first key: its first value
    EXPECT_TRUE(o.channels[0].empty());             // groups without keys stay empty
}

TEST(LwsWriter, ItemNumbersAndTangents) {
    EXPECT_EQ(LwsWriter::itemNumber(0), "10000000");
    EXPECT_EQ(LwsWriter::itemNumber(3), "10000003");
    // Keys at 0, 1, 3 s with values 0, 2, 2: the middle key's slope is (2 − 0)/(3 − 0), scaled by
    // the span before (1 s) and after (2 s) it; the ends are flat.
    const auto keys = LwsWriter::smoothKeys({{0.0f, 0.0f}, {1.0f, 2.0f}, {3.0f, 2.0f}});
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_FLOAT_EQ(keys[1].inTangent, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(keys[1].outTangent, 4.0f / 3.0f);
    EXPECT_EQ(keys[0].outTangent, 0.0f);
    EXPECT_EQ(keys[2].inTangent, 0.0f);
}

TEST(LwsWriter, ValuesFollowTheReadersHermiteSpans) {
    // Halfway through a span h1 = h2 = 0.5, h3 = 0.125, h4 = −0.125: 0·0.5 + 2·0.5 + 2·0.125 − 1·0.125.
    const std::vector<LwsKey> keys = {{0.0f, 0.0f, 0.0f, 2.0f}, {1.0f, 2.0f, 1.0f, 0.0f}, {3.0f, 5.0f, 0.0f, 0.0f}};
    EXPECT_FLOAT_EQ(LwsWriter::valueAt(keys, 0.5f), 1.125f);
    EXPECT_FLOAT_EQ(LwsWriter::valueAt(keys, 1.0f), 2.0f);
    EXPECT_FLOAT_EQ(LwsWriter::valueAt(keys, 2.0f), 3.5f);  // flat tangents: the plain average
    EXPECT_FLOAT_EQ(LwsWriter::valueAt(keys, -1.0f), 0.0f);
    EXPECT_FLOAT_EQ(LwsWriter::valueAt(keys, 9.0f), 5.0f);
    // A pose: position, then bank about z (a quarter turn takes x to y).
    LwsObject o;
    for (int c = 0; c < 9; ++c) o.channels[c] = {{0.0f, c == 0 ? 1.0f : c == 5 ? kGenPi / 2 : c >= 6 ? 2.0f : 0.0f, 0, 0}};
    const Vec3 p = LwsWriter::poseAt(o, 0.5f).apply({1, 0, 0});
    EXPECT_NEAR(p.x, 1.0f, 1e-6f);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
    EXPECT_EQ(LwsWriter::scaleAt(o, 0.5f).z, 2.0f);
}

TEST(GeneratedLws, SceneFollowsTheReadersGrammar) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    const std::string dir = g.root + "/data/animations/sailjump/";
    const auto objects = readWithGrammar(readText(dir + "sails_jump.lws"));
    const auto& meant = g.manifest.lwsObjects;
    ASSERT_EQ(objects.size(), meant.size());
    size_t roots = 0;
    bool someTangent = false;
    for (size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(objects[i].file, meant[i].file);
        EXPECT_TRUE(std::filesystem::exists(dir + objects[i].file)) << objects[i].file;
        EXPECT_EQ(objects[i].parent, meant[i].parent) << objects[i].file;
        roots += objects[i].parent < 0;
        for (int c = 0; c < 9; ++c) {
            EXPECT_EQ(objects[i].keys[c], meant[i].keys[c]) << objects[i].file << " channel " << c;
            EXPECT_GE(objects[i].keys[c], 1u);
            for (double t : objects[i].outTangents[c]) someTangent |= t != 0.0;
        }
        // The reader merges a group's components by key time and takes 0 where one has no key,
        // so the three channels of each group must share their times.
        for (int group = 0; group < 9; group += 3) {
            EXPECT_EQ(objects[i].times[group], objects[i].times[group + 1]) << objects[i].file << " group " << group;
            EXPECT_EQ(objects[i].times[group], objects[i].times[group + 2]) << objects[i].file << " group " << group;
        }
        // Scales never merge to 0 or below.
        for (int c = 6; c < 9; ++c)
            for (size_t k = 0; k < objects[i].times[c].size(); ++k) EXPECT_GT(objects[i].values[c][k], 0.5) << objects[i].file;
    }
    // The hull and the wave.
    EXPECT_EQ(roots, 2u);
    EXPECT_TRUE(someTangent);
    // Hull ← mast ← sail and flag: a chain of parents.
    EXPECT_EQ(objects[meant[1].parent].file, "mast.obj");
    EXPECT_EQ(objects[objects[meant[1].parent].parent].file, "hull.obj");
    EXPECT_GE(g.manifest.lwsLastKeySeconds, 2.0f);
    // The wave comes last, on its own, and holds one pose: one key in every channel.
    ASSERT_FALSE(objects.empty());
    const GrammarObject& wave = objects.back();
    EXPECT_EQ(wave.file, "wave.obj");
    EXPECT_EQ(wave.parent, -1);
    for (int c = 0; c < 9; ++c) EXPECT_EQ(wave.keys[c], 1u) << "channel " << c;
}

// The reader evaluates each span as value0·h1 + value1·h2 + out0·h3 + in1·h4 on u in 0..1, so
// tangents are in value units per span. Motion is smooth in time when, at every inner key, the
// incoming tangent per second of the span before equals the outgoing one per second of the span
// after; and the curve passes through its keys without wild overshoot.
TEST(GeneratedLws, EnvelopesAreSmoothInTime) {
    const GeneratedData& g = generatedData();
    const auto objects = readWithGrammar(readText(g.root + "/data/animations/sailjump/sails_jump.lws"));
    ASSERT_FALSE(objects.empty());
    int innerKeys = 0;
    for (const GrammarObject& o : objects) {
        for (int c = 0; c < 9; ++c) {
            const auto& t = o.times[c];
            const auto& v = o.values[c];
            double lo = *std::min_element(v.begin(), v.end()), hi = *std::max_element(v.begin(), v.end());
            for (size_t k = 1; k + 1 < t.size(); ++k) {
                const double in = o.inTangents[c][k] / (t[k] - t[k - 1]);
                const double out = o.outTangents[c][k] / (t[k + 1] - t[k]);
                EXPECT_NEAR(in, out, 1e-4) << o.file << " channel " << c << " key " << k;
                ++innerKeys;
            }
            for (size_t k = 0; k + 1 < t.size(); ++k) {
                for (int step = 0; step <= 10; ++step) {
                    const double u = step / 10.0;
                    const double h1 = 2 * u * u * u - 3 * u * u + 1, h2 = 3 * u * u - 2 * u * u * u;
                    const double h3 = u * u * u - 2 * u * u + u, h4 = u * u * u - u * u;
                    const double value = v[k] * h1 + v[k + 1] * h2 + o.outTangents[c][k] * h3 + o.inTangents[c][k + 1] * h4;
                    const double margin = 0.25 * (hi - lo) + 1e-6;
                    EXPECT_GE(value, lo - margin) << o.file << " channel " << c;
                    EXPECT_LE(value, hi + margin) << o.file << " channel " << c;
                }
            }
        }
    }
    EXPECT_GT(innerKeys, 20);
}

static const aiNode* findNode(const aiNode* n, const std::string& prefix) {
    if (std::string(n->mName.C_Str()).rfind(prefix, 0) == 0) return n;
    for (unsigned i = 0; i < n->mNumChildren; ++i)
        if (const aiNode* f = findNode(n->mChildren[i], prefix)) return f;
    return nullptr;
}

TEST(GeneratedLws, AssimpLoadsTheBoatWithItsHierarchyAndEnvelopes) {
    const GeneratedData& g = generatedData();
    const std::string dir = g.root + "/data/animations/sailjump";
    // assimp looks for the object files relative to the working directory.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    Assimp::Importer importer;
    const aiScene* s = importer.ReadFile("sails_jump.lws", 0);
    std::filesystem::current_path(previous);
    ASSERT_NE(s, nullptr) << importer.GetErrorString();
    ASSERT_EQ(g.manifest.sailJumpObjects.size(), 5u);
    ASSERT_EQ(s->mNumMeshes, 5u);
    std::map<std::string, unsigned> faces;
    for (unsigned i = 0; i < s->mNumMeshes; ++i) faces[s->mMeshes[i]->mName.C_Str()] = s->mMeshes[i]->mNumFaces;
    for (const MeshCounts& o : g.manifest.sailJumpObjects) {
        const std::string name = o.name.substr(0, o.name.find('.'));
        EXPECT_EQ(faces[name], o.triangles) << o.name;
    }
    const aiNode* hull = findNode(s->mRootNode, "hull_");
    ASSERT_NE(hull, nullptr);
    const aiNode* mast = findNode(hull, "mast_");
    ASSERT_NE(mast, nullptr);
    EXPECT_NE(findNode(mast, "sail_"), nullptr);
    EXPECT_NE(findNode(mast, "flag_"), nullptr);
    // The wave is not carried by the boat.
    EXPECT_NE(findNode(s->mRootNode, "wave_"), nullptr);
    EXPECT_EQ(findNode(hull, "wave_"), nullptr);
    ASSERT_EQ(s->mNumAnimations, 1u);
    const aiAnimation* a = s->mAnimations[0];
    std::map<std::string, const aiNodeAnim*> channels;
    for (unsigned c = 0; c < a->mNumChannels; ++c) channels[a->mChannels[c]->mNodeName.C_Str()] = a->mChannels[c];
    const aiNodeAnim* hullMotion = channels["Pivot:" + std::string(hull->mName.C_Str())];
    ASSERT_NE(hullMotion, nullptr);
    // The hull's three position channels share their key times.
    EXPECT_EQ(hullMotion->mNumPositionKeys, g.manifest.lwsObjects[3].keys[0]);
    EXPECT_GT(hullMotion->mNumRotationKeys, 1u);
    EXPECT_GT(hullMotion->mNumScalingKeys, 1u);
    // It rises well above its start while jumping.
    float top = -1e9f;
    for (unsigned k = 0; k < hullMotion->mNumPositionKeys; ++k) top = std::max(top, hullMotion->mPositionKeys[k].mValue.y);
    EXPECT_GT(top, 1.5f);
}

// The scene reads as a jump over the wave: the hull rides up the wave's face in the water, is
// clear of the sea at the top of its jump with the crest beneath it, and comes down into the
// water behind the crest, its deck staying dry whenever it is afloat.
TEST(GeneratedLws, TheBoatClimbsTheWavesFaceClearsItsCrestAndLandsBehindIt) {
    const std::vector<LwsObject> scene = SampleModels::boatScene();
    const auto find = [&](const std::string& file) {
        return *std::find_if(scene.begin(), scene.end(), [&](const LwsObject& o) { return o.file == file; });
    };
    const LwsObject hull = find("hull.obj"), wave = find("wave.obj");
    const GenMesh body = SampleModels::boatHull();
    struct Afloat {
        float deepest = -1e9f;     // how far the lowest point of the hull is under the surface
        float deckDepth = -1e9f;   // the same for the deck's rim and the cabin top
        float x = 0;               // the hull's position along the run
    };
    const auto afloat = [&](float t) {
        const Xform pose = LwsWriter::poseAt(hull, t), sea = LwsWriter::poseAt(wave, t);
        const Vec3 scale = LwsWriter::scaleAt(hull, t);
        Afloat a;
        a.x = pose.t.x;
        for (const Vec3& local : body.positions) {
            const Vec3 p = pose.apply({local.x * scale.x, local.y * scale.y, local.z * scale.z});
            const float depth = sea.t.y + SampleModels::waveHeight(p.x - sea.t.x, p.z - sea.t.z) - p.y;
            a.deepest = std::max(a.deepest, depth);
            if (local.y > 0.3f) a.deckDepth = std::max(a.deckDepth, depth);
        }
        return a;
    };
    // Up the face: afloat, bow high; then over the crest; then down into the trough behind it.
    for (float t : {0.0f, 0.5f, 1.0f, 1.5f, 3.1f, 3.5f, 4.0f}) {
        const Afloat a = afloat(t);
        EXPECT_GT(a.deepest, 0.1f) << "in the water at " << t << " s";
        EXPECT_LT(a.deckDepth, -0.1f) << "deck dry at " << t << " s";
    }
    float crestX = 0, crestHeight = -1e9f;
    for (int i = -600; i <= 600; ++i) {
        const float h = SampleModels::waveHeight(0.01f * i, 0.0f);
        if (h > crestHeight) crestHeight = h, crestX = 0.01f * i;
    }
    EXPECT_GT(crestHeight, 0.9f);
    for (float t : {1.9f, 2.0f, 2.2f, 2.4f}) EXPECT_LT(afloat(t).deepest, -0.3f) << "clear of the sea at " << t << " s";
    // At the top of the jump the crest lies under the hull (3.2 long), behind it in the water.
    EXPECT_LT(std::abs(crestX - afloat(2.0f).x), 1.6f);
    EXPECT_LT(afloat(1.0f).x, crestX);
    EXPECT_GT(afloat(3.1f).x - 1.6f, crestX);
}
