#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/PlayerModelBuilder.h"

#include "GeneratedData.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

int32_t s32At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

int16_t s16At(const std::vector<uint8_t>& b, size_t at) { return static_cast<int16_t>(b[at] | b[at + 1] << 8); }

// The decoding rule of the MD3 reader: a = byte 0 · π/128, b = byte 1 · π/128.
Vec3 unpackNormal(std::array<uint8_t, 2> n) {
    const float a = n[0] * 3.1415927f / 128.0f, b = n[1] * 3.1415927f / 128.0f;
    return {std::sin(a) * std::cos(b), std::sin(a) * std::sin(b), std::cos(a)};
}

Md3Data tinyModel() {
    Md3Data d;
    d.name = "tiny";
    d.frameCount = 2;
    d.tagNames = {"tag_torso"};
    Md3TagData t0{"tag_torso", {1, 2, 3}, {}};
    Md3TagData t1{"tag_torso", {4, 5, 6}, {}};
    d.frameTags = {{t0}, {t1}};
    Md3SurfaceData s;
    s.name = "s";
    s.shader = "models/players/x/skin.tga";
    s.st = {{0, 0}, {1, 0}, {0, 1}};
    s.triangles = {{0, 1, 2}};
    s.framePositions = {{{1, -2, 0.5f}, {0, 0, 0}, {0, 0, 1}}, {{2, 0, 0}, {0, 1, 0}, {0, 0, -1}}};
    s.frameNormals = {{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}};
    d.surfaces = {s};
    return d;
}

std::string extractPart(const std::string& dir, const std::string& member, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + std::filesystem::path(member).filename().string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

const aiScene* readMd3(Assimp::Importer& importer, const std::string& path, int keyframe) {
    importer.SetPropertyBool(AI_CONFIG_IMPORT_MD3_HANDLE_MULTIPART, false);
    importer.SetPropertyInteger(AI_CONFIG_IMPORT_GLOBAL_KEYFRAME, keyframe);
    return importer.ReadFile(path, 0);
}

}  // namespace

TEST(Md3Writer, PacksNormalsAsAngleFromZAndAngleAroundIt) {
    struct Case {
        Vec3 n;
        uint8_t a, b;
    };
    const Case cases[] = {{{0, 0, 1}, 0, 0},    {{0, 0, -1}, 128, 0}, {{1, 0, 0}, 64, 0},
                          {{0, 1, 0}, 64, 64},  {{-1, 0, 0}, 64, 128}, {{0, -1, 0}, 64, 192}};
    for (const Case& c : cases) {
        const auto packed = Md3Writer::packNormal(c.n);
        EXPECT_EQ(packed[0], c.a) << c.n.x << "," << c.n.y << "," << c.n.z;
        EXPECT_EQ(packed[1], c.b) << c.n.x << "," << c.n.y << "," << c.n.z;
    }
    // Any direction comes back within the resolution of the two bytes.
    for (Vec3 n : {Vec3{0.3f, -0.5f, 0.81f}, Vec3{-0.7f, 0.2f, -0.68f}, Vec3{0.01f, 0.99f, 0.1f}}) {
        n = normalize(n);
        const Vec3 back = unpackNormal(Md3Writer::packNormal(n));
        EXPECT_GT(dot(n, back), 0.998f);
    }
}

TEST(Md3Writer, LaysOutHeaderFramesTagsAndSurfaceBackToBack) {
    const auto b = Md3Writer::encode(tinyModel());
    // 108 header + 2 frames · 56 + 2 · 1 tags · 112 = 444; surface: 108 + 68 shader + 12 triangle
    // + 3 · 8 st + 2 · 3 · 8 vertices = 260.
    ASSERT_EQ(b.size(), 704u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "IDP3");
    EXPECT_EQ(s32At(b, 4), 15);
    EXPECT_EQ(s32At(b, 76), 2);    // frames
    EXPECT_EQ(s32At(b, 80), 1);    // tags
    EXPECT_EQ(s32At(b, 84), 1);    // surfaces
    EXPECT_EQ(s32At(b, 92), 108);  // ofsFrames
    EXPECT_EQ(s32At(b, 96), 220);  // ofsTags
    EXPECT_EQ(s32At(b, 100), 444);
    EXPECT_EQ(s32At(b, 104), 704);
    // Second frame's tag origin, frame-major after the first.
    float origin[3];
    std::memcpy(origin, &b[220 + 112 + 64], 12);
    EXPECT_EQ(origin[0], 4.0f);
    EXPECT_EQ(origin[2], 6.0f);
    const size_t s = 444;
    EXPECT_EQ(std::string(b.begin() + s, b.begin() + s + 4), "IDP3");
    EXPECT_EQ(s32At(b, s + 72), 2);    // frames
    EXPECT_EQ(s32At(b, s + 76), 1);    // shaders
    EXPECT_EQ(s32At(b, s + 80), 3);    // vertices
    EXPECT_EQ(s32At(b, s + 84), 1);    // triangles
    EXPECT_EQ(s32At(b, s + 88), 176);  // ofsTriangles, after the header and one shader
    EXPECT_EQ(s32At(b, s + 96), 188);  // ofsST
    EXPECT_EQ(s32At(b, s + 100), 212); // ofsXyzNormals
    EXPECT_EQ(s32At(b, s + 104), 260); // ofsEnd
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[s + 108])), "models/players/x/skin.tga");
    // The triangle is stored with its winding reversed.
    EXPECT_EQ(s32At(b, s + 176), 0);
    EXPECT_EQ(s32At(b, s + 180), 2);
    EXPECT_EQ(s32At(b, s + 184), 1);
    // Vertex (1, −2, 0.5) of frame 0 as 1/64 units, normal +z as bytes (0, 0).
    EXPECT_EQ(s16At(b, s + 212), 64);
    EXPECT_EQ(s16At(b, s + 214), -128);
    EXPECT_EQ(s16At(b, s + 216), 32);
    EXPECT_EQ(b[s + 218], 0);
    EXPECT_EQ(b[s + 219], 0);
    // Frame 1 follows all of frame 0's vertices: (2, 0, 0).
    EXPECT_EQ(s16At(b, s + 212 + 24), 128);
}

// Every part of every player in the archive, read by assimp's MD3 importer.
TEST(GeneratedPlayers, EveryPartReadsBackWithItsCountsInAssimp) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    std::map<std::string, const std::vector<uint8_t>*> byName;
    for (const auto& m : members) byName[m.first] = &m.second;
    const TempDirectory dir("md3");
    ASSERT_EQ(g.manifest.md3Parts.size(), 66u);
    for (const Md3PartCounts& part : g.manifest.md3Parts) {
        ASSERT_TRUE(byName.count(part.member)) << part.member;
        const std::string path = extractPart(dir.path(), part.member, *byName[part.member]);
        Assimp::Importer importer;
        const aiScene* scene = readMd3(importer, path, part.frames - 1);
        ASSERT_NE(scene, nullptr) << part.member << ": " << importer.GetErrorString();
        ASSERT_EQ(scene->mNumMeshes, part.surfaces.size()) << part.member;
        // assimp lists the surfaces back to front; match them by face count and texture.
        size_t facesSeen = 0, facesMeant = 0;
        for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
            const aiMesh* mesh = scene->mMeshes[i];
            EXPECT_EQ(mesh->mNumVertices, mesh->mNumFaces * 3) << part.member;
            facesSeen += mesh->mNumFaces;
        }
        for (const auto& s : part.surfaces) facesMeant += s.triangles;
        EXPECT_EQ(facesSeen, facesMeant) << part.member;
        std::vector<std::string> tags;
        for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i) tags.push_back(scene->mRootNode->mChildren[i]->mName.C_Str());
        EXPECT_EQ(tags, part.tags) << part.member;
        // One frame past the last is refused, so the file holds exactly `frames` frames.
        Assimp::Importer beyond;
        EXPECT_EQ(readMd3(beyond, path, part.frames), nullptr) << part.member;
        std::filesystem::remove(path);
    }
}

TEST(GeneratedPlayers, PartsHaveTheFramesTagsAndSurfacesTheLoaderNeeds) {
    const GeneratedData& g = generatedData();
    ASSERT_EQ(g.manifest.modelDirectories.size(), 22u);
    for (size_t m = 0; m < 22; ++m) {
        const Md3PartCounts& lower = g.manifest.md3Parts[3 * m];
        const Md3PartCounts& upper = g.manifest.md3Parts[3 * m + 1];
        const Md3PartCounts& head = g.manifest.md3Parts[3 * m + 2];
        EXPECT_EQ(lower.frames, PlayerModelBuilder::bothFrameCount() + PlayerModelBuilder::legsFrameCount());
        EXPECT_EQ(upper.frames, PlayerModelBuilder::bothFrameCount() + PlayerModelBuilder::torsoFrameCount());
        EXPECT_EQ(head.frames, 1);
        EXPECT_EQ(lower.tags, (std::vector<std::string>{"tag_torso"}));
        EXPECT_NE(std::find(upper.tags.begin(), upper.tags.end(), "tag_head"), upper.tags.end());
        EXPECT_NE(std::find(upper.tags.begin(), upper.tags.end(), "tag_weapon"), upper.tags.end());
        for (const Md3PartCounts* p : {&lower, &upper, &head}) {
            for (const auto& s : p->surfaces) {
                EXPECT_GT(s.triangles, 0u);
                EXPECT_LT(s.vertices, 65536u);
            }
        }
    }
}

// The loader names a skin by the shader's text from its second character, cut after the last
// '/', below the model directory: every such member must be in the archive.
TEST(GeneratedPlayers, ShaderNamesResolveToSkinsInTheArchive) {
    const GeneratedData& g = generatedData();
    const auto& members = g.manifest.pk3Members;
    for (size_t m = 0; m < g.manifest.modelDirectories.size(); ++m) {
        const std::string& dir = g.manifest.modelDirectories[m];
        for (int k = 0; k < 3; ++k) {
            for (const std::string& shader : g.manifest.md3Parts[3 * m + k].shaders) {
                const std::string tail = shader.substr(1);
                const std::string member = dir + "/" + tail.substr(tail.rfind('/') + 1);
                EXPECT_NE(std::find(members.begin(), members.end(), member), members.end()) << member;
            }
        }
    }
}

// Rebuilding one player gives the positions assimp reads from its file, to the 1/64 grid. assimp
// 5.2 only checks that a requested key frame exists and always returns the first frame's
// vertices, so frame 0 is compared here and later frames by the sequential reader below.
TEST(GeneratedPlayers, AssimpSeesTheQuantisedPositionsOfTheFirstFrame) {
    const GeneratedData& g = generatedData();
    const PlayerModel model = PlayerModelBuilder::build(PlayerModelBuilder::styles()[15]);
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    const TempDirectory dir("md3frame");
    for (const auto& m : members) {
        if (m.first != model.directory + "/lower.md3") continue;
        const std::string path = extractPart(dir.path(), m.first, m.second);
        const int frame = 0;
        Assimp::Importer importer;
        const aiScene* scene = readMd3(importer, path, frame);
        ASSERT_NE(scene, nullptr);
        // Surfaces come in reverse order; the first written surface is the last mesh.
        const aiMesh* mesh = scene->mMeshes[scene->mNumMeshes - 1];
        const Md3SurfaceData& s = model.lower.surfaces[0];
        ASSERT_EQ(mesh->mNumFaces, s.triangles.size());
        int checked = 0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            for (unsigned k = 0; k < 3; ++k) {
                const aiVector3D p = mesh->mVertices[mesh->mFaces[f].mIndices[k]];
                // Find the written vertex this corner came from.
                bool found = false;
                for (unsigned c = 0; c < 3 && !found; ++c) {
                    const Vec3 w = s.framePositions[frame][s.triangles[f][c]];
                    found = std::abs(p.x - Md3Writer::quantize(w.x) / 64.0f) < 1e-4f &&
                            std::abs(p.y - Md3Writer::quantize(w.y) / 64.0f) < 1e-4f &&
                            std::abs(p.z - Md3Writer::quantize(w.z) / 64.0f) < 1e-4f;
                }
                EXPECT_TRUE(found) << "face " << f << " corner " << k;
                ++checked;
            }
        }
        EXPECT_EQ(checked, static_cast<int>(s.triangles.size() * 3));
        return;
    }
    FAIL() << "lower.md3 of " << model.directory << " not in the archive";
}

// The legs stand on the ground and the torso sits on the waist: in every legs frame the lowest
// point is near the ground plane, except in the air: jumping, running (its flight phase),
// swimming and dying.
TEST(GeneratedPlayers, StandingFramesTouchTheGround) {
    const PlayerModel model = PlayerModelBuilder::build(PlayerModelBuilder::styles()[8]);
    for (const auto& a : PlayerModelBuilder::animations()) {
        if (a.name.rfind("LEGS_", 0) != 0 || a.name == "LEGS_JUMP" || a.name == "LEGS_JUMPB" || a.name == "LEGS_SWIM" ||
            a.name == "LEGS_RUN")
            continue;
        const int first = a.firstFrame - PlayerModelBuilder::torsoFrameCount();
        for (int f = first; f < first + a.numFrames; ++f) {
            float lowest = 1e9f;
            for (const auto& s : model.lower.surfaces)
                for (const Vec3& p : s.framePositions[f]) lowest = std::min(lowest, p.z);
            EXPECT_NEAR(lowest, -24.0f, 1.0f) << a.name << " frame " << f;
        }
    }
}

// Reads a part strictly front to back, as the engine's archive stream must (it cannot seek):
// header, frames, tags, then per surface its header, shaders, triangles, texture coordinates and
// vertices. Every recorded offset has to equal the position the sequential read reached.
TEST(GeneratedPlayers, PartsReadFrontToBackWithoutSeeking) {
    const GeneratedData& g = generatedData();
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    const PlayerModel sarge = PlayerModelBuilder::build(PlayerModelBuilder::styles()[15]);
    int parts = 0;
    for (const auto& [name, b] : members) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".md3") continue;
        ++parts;
        ASSERT_GE(b.size(), 108u) << name;
        const int frames = s32At(b, 76), tags = s32At(b, 80), surfaces = s32At(b, 84);
        EXPECT_EQ(s32At(b, 92), 108) << name;
        size_t at = 108 + static_cast<size_t>(frames) * 56;
        EXPECT_EQ(s32At(b, 96), static_cast<int32_t>(at)) << name;
        at += static_cast<size_t>(frames) * tags * 112;
        EXPECT_EQ(s32At(b, 100), static_cast<int32_t>(at)) << name;
        for (int s = 0; s < surfaces; ++s) {
            const size_t start = at;
            ASSERT_LE(start + 108, b.size()) << name;
            const int sFrames = s32At(b, start + 72), shaders = s32At(b, start + 76);
            const int verts = s32At(b, start + 80), tris = s32At(b, start + 84);
            EXPECT_EQ(sFrames, frames) << name;
            at += 108 + static_cast<size_t>(shaders) * 68;
            EXPECT_EQ(start + s32At(b, start + 88), at) << name;  // triangles
            // Triangle indices stay inside the surface.
            for (int t = 0; t < tris * 3; ++t) {
                const int32_t v = s32At(b, at + 4 * static_cast<size_t>(t));
                ASSERT_TRUE(v >= 0 && v < verts) << name;
            }
            at += static_cast<size_t>(tris) * 12;
            EXPECT_EQ(start + s32At(b, start + 96), at) << name;  // texture coordinates
            at += static_cast<size_t>(verts) * 8;
            EXPECT_EQ(start + s32At(b, start + 100), at) << name;  // vertices
            // A late frame of sarge's legs, decoded here, matches the generator's positions.
            if (name == sarge.directory + "/lower.md3" && s == 0) {
                const int frame = 150;
                const Md3SurfaceData& meant = sarge.lower.surfaces[0];
                for (int v = 0; v < verts; v += 7) {
                    const size_t p = at + (static_cast<size_t>(frame) * verts + v) * 8;
                    EXPECT_EQ(s16At(b, p), Md3Writer::quantize(meant.framePositions[frame][v].x));
                    EXPECT_EQ(s16At(b, p + 4), Md3Writer::quantize(meant.framePositions[frame][v].z));
                    const Vec3 n = unpackNormal({b[p + 6], b[p + 7]});
                    EXPECT_GT(dot(n, normalize(meant.frameNormals[frame][v])), 0.99f);
                }
            }
            at += static_cast<size_t>(frames) * verts * 8;
            EXPECT_EQ(start + s32At(b, start + 104), at) << name;
        }
        EXPECT_EQ(at, b.size()) << name;
        EXPECT_EQ(s32At(b, 104), static_cast<int32_t>(b.size())) << name;
    }
    EXPECT_EQ(parts, 66);
}

namespace {

struct Box {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    void add(Vec3 p) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    bool contains(Vec3 p) const {
        return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
    }
};

Box frameBox(const Md3Data& part, int frame) {
    Box b;
    for (const auto& s : part.surfaces)
        for (const Vec3& p : s.framePositions[frame]) b.add(p);
    return b;
}

}  // namespace

// The attachment points stay on the body in every frame: the torso hangs inside the legs' bounds
// and the head inside the torso's, so no part floats off during any animation.
TEST(GeneratedPlayers, TagsStayOnTheBodyInEveryFrame) {
    for (int style : {0, 12, 18}) {
        const PlayerModel m = PlayerModelBuilder::build(PlayerModelBuilder::styles()[style]);
        for (int f = 0; f < m.lower.frameCount; ++f) {
            EXPECT_TRUE(frameBox(m.lower, f).contains(m.lower.frameTags[f][0].origin)) << style << " lower frame " << f;
        }
        for (int f = 0; f < m.upper.frameCount; ++f) {
            EXPECT_TRUE(frameBox(m.upper, f).contains(m.upper.frameTags[f][0].origin)) << style << " upper frame " << f;
            EXPECT_EQ(m.upper.frameTags[f][0].name, "tag_head");
        }
        // Identity rotation blocks: all turning is in the vertices.
        for (const auto& tags : m.upper.frameTags) {
            for (const Md3TagData& t : tags) {
                EXPECT_EQ(t.axis[0].x, 1.0f);
                EXPECT_EQ(t.axis[1].y, 1.0f);
                EXPECT_EQ(t.axis[2].z, 1.0f);
                EXPECT_EQ(t.axis[0].y, 0.0f);
            }
        }
    }
}

// Every animation with more than one frame moves the part it belongs to visibly between its key
// frames (by a few units somewhere on the body).
TEST(GeneratedPlayers, EveryAnimationMovesItsPart) {
    const PlayerModel m = PlayerModelBuilder::build(PlayerModelBuilder::styles()[15]);
    const int shift = PlayerModelBuilder::torsoFrameCount();
    for (const auto& a : PlayerModelBuilder::animations()) {
        if (a.numFrames < 2) continue;
        const bool legs = a.name.rfind("LEGS_", 0) == 0;
        const Md3Data& part = legs ? m.lower : m.upper;
        const int first = legs ? a.firstFrame - shift : a.firstFrame;
        float largest = 0;
        for (int f = first + 1; f < first + a.numFrames; ++f) {
            for (size_t s = 0; s < part.surfaces.size(); ++s) {
                const auto& from = part.surfaces[s].framePositions[first];
                const auto& to = part.surfaces[s].framePositions[f];
                for (size_t v = 0; v < from.size(); ++v) largest = std::max(largest, length(to[v] - from[v]));
            }
        }
        EXPECT_GT(largest, 2.0f) << a.name;
    }
}
