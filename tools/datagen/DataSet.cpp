#include "tools/datagen/DataSet.h"

#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/Pk3Writer.h"
#include "tools/datagen/PreviewRenderer.h"
#include "tools/datagen/PlayerModelBuilder.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/TextureSynthesis.h"
#include "tools/datagen/XFileWriter.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

class Output {
public:
    // With `write` false nothing is computed or written; only the manifest is filled.
    Output(std::string root, DataManifest* manifest, bool previews, bool write)
        : root_(std::move(root)), manifest_(manifest), previews_(previews), write_(write) {}

    bool writing() const { return write_; }

    bool ok() const { return ok_; }

    void text(const std::string& rel, const std::string& content) {
        record(rel);
        if (!write_) return;
        ok_ &= ImageFiles::writeFile(root_ + "/" + rel, bytesOf(content));
    }

    // Saves in the format the extension names, plus a PNG preview under data-preview/.
    void picture(const std::string& rel, const std::function<Picture()>& make) {
        record(rel);
        if (!write_) return;
        const Picture p = make();
        const std::string path = root_ + "/" + rel;
        const std::string ext = std::filesystem::path(rel).extension().string();
        if (ext == ".tga") ok_ &= ImageFiles::saveTga(p, path);
        else if (ext == ".bmp") ok_ &= ImageFiles::saveBmp(p, path);
        else if (ext == ".jpg") ok_ &= ImageFiles::saveJpg(p, path);
        else ok_ = false;
        preview(rel, p);
    }

    bool previewing() const { return previews_ && write_; }

    void preview(const std::string& rel, const Picture& p) {
        if (!previews_ || !write_) return;
        std::string flat = rel;
        std::replace(flat.begin(), flat.end(), '/', '_');
        ok_ &= ImageFiles::savePng(p, root_ + "/data-preview/" + std::filesystem::path(flat).replace_extension(".png").string());
    }

    void record(const std::string& rel) {
        if (manifest_) manifest_->files.push_back(rel);
    }

    DataManifest* manifest() { return manifest_; }
    void fail() { ok_ = false; }

private:
    std::string root_;
    DataManifest* manifest_;
    bool previews_;
    bool write_;
    bool ok_ = true;

    static std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }
};

MeshCounts countsOf(const std::string& name, const ObjGroup& g) {
    return {name, g.mesh.vertexCount(), ObjWriter::triangleCount(g), ObjWriter::faceCount(g)};
}

void writeTextures(Output& out) {
    out.picture("data/Textures/ReflectOcean.tga", [] { return TextureSynthesis::oceanReflection(256); });
    out.picture("data/Textures/Reflect.tga", [] { return TextureSynthesis::brightReflection(256); });
    out.picture("data/Textures/fire.tga", [] { return TextureSynthesis::fireSprite(64); });
    out.picture("data/Textures/smoke.tga", [] { return TextureSynthesis::smokeSprite(64); });
    out.picture("data/Textures/HeightMap.tga", [] { return TextureSynthesis::hills(128); });
    out.picture("data/Textures/lumps.jpg", [] { return TextureSynthesis::earthLumps(256); });
    out.picture("data/Textures/grass6.tga", [] { return TextureSynthesis::grass(256); });
    out.picture("data/Textures/rock086.tga", [] { return TextureSynthesis::rock(256); });
    out.picture("data/Textures/snow3256.jpg", [] { return TextureSynthesis::snow(256); });
    out.picture("data/Textures/rock.bmp", [] { return TextureSynthesis::darkRock(256); });
    out.picture("data/textures/debugHeight.tga", [] { return TextureSynthesis::reliefHeights(256); });
    out.picture("data/textures/h_bitterman.tga", [] { return TextureSynthesis::reliefColours(256); });
    out.picture("data/animations/boat/boat.tga", [] { return TextureSynthesis::woodPlanks(256); });
}

void writeTiger(Output& out) {
    const GenMesh tiger = SampleModels::tiger();
    out.text("data/xfiles/tiger.x", XFileWriter::write("tiger", tiger, "tiger.tga"));
    out.picture("data/xfiles/tiger.tga", [] { return TextureSynthesis::tigerFur(256); });
    if (out.manifest()) out.manifest()->tiger = {"tiger", tiger.vertexCount(), tiger.triangleCount(), tiger.triangleCount()};
}

void writeTestRobot(Output& out) {
    const auto crate = SampleModels::crateGroups();
    out.text("data/animations/testrobot/cube.obj", ObjWriter::obj(crate, "cube.mtl", "textured crate"));
    out.text("data/animations/testrobot/cube.mtl", ObjWriter::mtl({{"crate", 1, 1, 1, "crate.tga"}}));
    out.picture("data/animations/testrobot/crate.tga", [] { return TextureSynthesis::crate(128); });

    const auto robot = SampleModels::robotGroups();
    out.text("data/animations/testrobot/test.obj", ObjWriter::obj(robot, "test.mtl", "test robot"));
    out.text("data/animations/testrobot/test.mtl", ObjWriter::mtl({{"robot_body", 1, 1, 1, "robot.tga"},
                                                                  {"robot_head", 1, 1, 1, "robot.tga"},
                                                                  {"robot_joints", 0.8f, 0.15f, 0.1f, ""},
                                                                  {"robot_limbs", 0.25f, 0.25f, 0.28f, ""},
                                                                  {"robot_eyes", 1.0f, 0.85f, 0.1f, ""}}));
    out.picture("data/animations/testrobot/robot.tga", [] { return TextureSynthesis::robotPlating(128); });
    if (out.manifest()) {
        for (const auto& g : crate) out.manifest()->cubeGroups.push_back(countsOf(g.name, g));
        for (const auto& g : robot) out.manifest()->robotGroups.push_back(countsOf(g.name, g));
    }
}

void writeSailJump(Output& out) {
    const std::string dir = "data/animations/sailjump/";
    struct Part {
        const char* file;
        const char* material;
        GenMesh mesh;
    };
    const Part parts[] = {{"hull.obj", "hull", SampleModels::boatHull()},
                          {"mast.obj", "mast", SampleModels::boatMast()},
                          {"sail.obj", "sail", SampleModels::boatSail()},
                          {"flag.obj", "flag", SampleModels::boatFlag()}};
    for (const Part& p : parts) {
        ObjGroup g{p.material, p.mesh, false, ObjCorner::PositionTextureNormal};
        out.text(dir + p.file, ObjWriter::obj({g}, "boat.mtl", std::string("sailing boat: ") + p.material));
        if (out.manifest()) out.manifest()->sailJumpObjects.push_back(countsOf(p.file, g));
    }
    out.text(dir + "boat.mtl", ObjWriter::mtl({{"hull", 1, 1, 1, "boat.tga"},
                                               {"mast", 0.45f, 0.3f, 0.18f, ""},
                                               {"sail", 1, 1, 1, "sail.tga"},
                                               {"flag", 1, 1, 1, "flag.tga"}}));
    out.picture(dir + "boat.tga", [] { return TextureSynthesis::woodPlanks(256); });
    out.picture(dir + "sail.tga", [] { return TextureSynthesis::sailCloth(128); });
    out.picture(dir + "flag.tga", [] { return TextureSynthesis::flag(64); });

    const ObjGroup sea{"wave", SampleModels::wave(), false, ObjCorner::PositionTextureNormal};
    out.text(dir + "wave.obj", ObjWriter::obj({sea}, "wave.mtl", "the wave the boat jumps"));
    if (out.manifest()) out.manifest()->sailJumpObjects.push_back(countsOf("wave.obj", sea));
    out.text(dir + "wave.mtl", ObjWriter::mtl({{"wave", 1, 1, 1, "wave.tga"}}));
    out.picture(dir + "wave.tga", [] { return SampleModels::waveWater(); });

    const auto objects = SampleModels::boatScene();
    out.text(dir + "sails_jump.lws", LwsWriter::write(objects, 120, 30));
    if (out.manifest()) {
        float last = 0;
        for (const auto& o : objects) {
            LwsObjectCounts c;
            c.file = o.file;
            c.parent = o.parent;
            for (int k = 0; k < 9; ++k) {
                c.keys[k] = o.channels[k].size();
                if (!o.channels[k].empty()) last = std::max(last, o.channels[k].back().timeS);
            }
            out.manifest()->lwsObjects.push_back(c);
        }
        out.manifest()->lwsLastKeySeconds = last;
    }
}

Md3PartCounts partCounts(const std::string& member, const Md3Data& d) {
    Md3PartCounts c;
    c.member = member;
    c.frames = d.frameCount;
    c.tags = d.tagNames;
    for (const auto& s : d.surfaces) {
        c.surfaces.push_back({s.name, s.st.size(), s.triangles.size(), s.triangles.size()});
        c.shaders.push_back(s.shader);
    }
    return c;
}

void previewPlayer(Output& out, const PlayerModel& m, const std::string& name);

void writePlayers(Output& out, const std::string& root) {
    Pk3Writer pk3;
    for (const PlayerStyle& style : PlayerModelBuilder::styles()) {
        const PlayerModel m = PlayerModelBuilder::build(style, out.writing());
        const std::string dir = m.directory + "/";
        if (out.writing()) {
        pk3.add(dir + "animation.cfg", m.animationConfig);
        pk3.add(dir + "lower.md3", Md3Writer::encode(m.lower));
        pk3.add(dir + "upper.md3", Md3Writer::encode(m.upper));
        pk3.add(dir + "head.md3", Md3Writer::encode(m.head));
        pk3.add(dir + "lower.tga", ImageFiles::encodeTga(m.lowerSkin));
        pk3.add(dir + "upper.tga", ImageFiles::encodeTga(m.upperSkin));
        pk3.add(dir + "head.tga", ImageFiles::encodeTga(m.headSkin));
        pk3.add(dir + "weapon.tga", ImageFiles::encodeTga(m.weaponSkin));
        out.preview("players/" + style.name + "_lower.png", m.lowerSkin);
        out.preview("players/" + style.name + "_upper.png", m.upperSkin);
        out.preview("players/" + style.name + "_head.png", m.headSkin);
        out.preview("players/" + style.name + "_weapon.png", m.weaponSkin);
        previewPlayer(out, m, style.name);
        } else {
            for (const char* f : {"animation.cfg", "lower.md3", "upper.md3", "head.md3", "lower.tga", "upper.tga",
                                  "head.tga", "weapon.tga"}) {
                pk3.add(dir + f, std::string());
            }
        }
        if (out.manifest()) {
            out.manifest()->modelDirectories.push_back(m.directory);
            out.manifest()->md3Parts.push_back(partCounts(dir + "lower.md3", m.lower));
            out.manifest()->md3Parts.push_back(partCounts(dir + "upper.md3", m.upper));
            out.manifest()->md3Parts.push_back(partCounts(dir + "head.md3", m.head));
        }
    }
    out.record("q3a/baseq3/pak0.pk3");
    if (out.writing() && !pk3.write(root + "/q3a/baseq3/pak0.pk3")) out.fail();
    if (out.manifest()) out.manifest()->pk3Members = pk3.memberNames();
}

// ---- pictures of the meshes, as the engine's left-handed, y-up world shows them ----------------

// The mesh scaled per axis, then placed by `pose`.
void drawPosed(PreviewRenderer& r, const GenMesh& m, const Xform& pose, Vec3 scale, const Picture* texture) {
    std::vector<Vec3> positions, normals;
    for (size_t i = 0; i < m.positions.size(); ++i) {
        const Vec3 p = m.positions[i];
        positions.push_back(pose.apply({p.x * scale.x, p.y * scale.y, p.z * scale.z}));
        normals.push_back(pose.applyDir(m.normals[i]));
    }
    r.draw(positions, normals, m.uvs, m.triangles, texture);
}

void drawMesh(PreviewRenderer& r, const GenMesh& m, Vec3 offset, const Picture* texture) {
    drawPosed(r, m, Xform::translation(offset), {1, 1, 1}, texture);
}

// Side view and three-quarter view next to each other.
template <typename DrawAll>
Picture twoViews(Vec3 centre, float scale, DrawAll drawAll) {
    PreviewRenderer r(800, 400);
    r.setView({0, 0, 1}, {0, 1, 0}, centre, scale, 200, 200);
    drawAll(r);
    r.setView({-0.5f, -0.4f, 0.75f}, {0, 1, 0}, centre, scale, 600, 200);
    drawAll(r);
    return r.picture();
}

void previewMeshes(Output& out) {
    if (!out.previewing()) return;
    const Picture fur = TextureSynthesis::tigerFur(256);
    const GenMesh tiger = SampleModels::tiger();
    out.preview("meshes/tiger.png", twoViews({0.2f, 0, 0}, 130, [&](PreviewRenderer& r) { drawMesh(r, tiger, {}, &fur); }));

    const Picture wood = TextureSynthesis::woodPlanks(256), sail = TextureSynthesis::sailCloth(128);
    const Picture flag = TextureSynthesis::flag(64);
    const Vec3 mast{0.35f, 0.5f, 0};
    out.preview("meshes/boat.png", twoViews({0, 1.5f, 0}, 70, [&](PreviewRenderer& r) {
        drawMesh(r, SampleModels::boatHull(), {}, &wood);
        drawMesh(r, SampleModels::boatMast(), mast, nullptr);
        drawMesh(r, SampleModels::boatSail(), mast + Vec3{0, 0.3f, 0}, &sail);
        drawMesh(r, SampleModels::boatFlag(), mast + Vec3{0, 3.05f, 0}, &flag);
    }));

    // The jump as the scene plays it: climbing the wave's face, leaving its crest, high over the
    // trough, landing; seen from the side and a little above, as the program first shows it.
    const std::vector<LwsObject> scene = SampleModels::boatScene();
    const GenMesh meshes[] = {SampleModels::boatMast(), SampleModels::boatSail(), SampleModels::boatFlag(),
                              SampleModels::boatHull(), SampleModels::wave()};
    const Picture water = SampleModels::waveWater();
    const Picture* skins[] = {nullptr, &sail, &flag, &wood, &water};
    PreviewRenderer jump(800, 600);
    const float moments[] = {0.8f, 1.4f, 2.0f, 3.2f};
    for (int k = 0; k < 4; ++k) {
        jump.setView({0, -0.45f, 1}, {0, 1, 0}, {0, 1.6f, 0}, 28, 200 + 400 * (k % 2), 150 + 300 * (k / 2));
        for (size_t i = 0; i < scene.size(); ++i) {
            Xform pose = LwsWriter::poseAt(scene[i], moments[k]);
            for (int parent = scene[i].parent; parent >= 0; parent = scene[parent].parent) {
                pose = LwsWriter::poseAt(scene[parent], moments[k]) * pose;
            }
            drawPosed(jump, meshes[i], pose, LwsWriter::scaleAt(scene[i], moments[k]), skins[i]);
        }
    }
    out.preview("meshes/sailjump.png", jump.picture());

    const Picture plate = TextureSynthesis::robotPlating(128), crate = TextureSynthesis::crate(128);
    out.preview("meshes/testrobot.png", twoViews({0.8f, 1.4f, 0}, 80, [&](PreviewRenderer& r) {
        for (const auto& g : SampleModels::robotGroups()) {
            drawMesh(r, g.mesh, {}, g.name == "robot_body" || g.name == "robot_head" ? &plate : nullptr);
        }
        for (const auto& g : SampleModels::crateGroups()) drawMesh(r, g.mesh, {2.2f, 0, 0}, &crate);
    }));
}

// Poses of one player: stand, walk, run, jump, gesture and attack in the top row, the three
// deaths (lying at their end) seen from above in the bottom row.
void previewPlayer(Output& out, const PlayerModel& m, const std::string& name) {
    if (!out.previewing()) return;
    const int shift = PlayerModelBuilder::torsoFrameCount();
    struct Pose {
        int legs, torso, x, y;
    };
    const Pose poses[] = {{230 - shift, 134, 110, 130}, {165 - shift, 139, 330, 130}, {174 - shift, 136, 550, 130},
                          {203 - shift, 134, 770, 150}, {230 - shift, 84, 990, 130},  {234 - shift, 106, 1210, 130},
                          {23, 23, 220, 300},           {47, 47, 660, 300},           {71, 71, 1100, 300}};
    PreviewRenderer r(1320, 480);
    // MD3 space (z up, x forward) turned into the engine's: (x, y, z) → (−y, z, −x).
    auto toEngine = [](Vec3 p, Vec3 offset) {
        const Vec3 q = p + offset;
        return Vec3{-q.y, q.z, -q.x};
    };
    auto drawPart = [&](const Md3Data& part, int frame, Vec3 offset, const Picture* skins[]) {
        for (size_t s = 0; s < part.surfaces.size(); ++s) {
            const auto& surface = part.surfaces[s];
            std::vector<Vec3> pos, nrm;
            for (const Vec3& p : surface.framePositions[frame]) pos.push_back(toEngine(p, offset));
            for (const Vec3& n : surface.frameNormals[frame]) nrm.push_back(toEngine(n, {}));
            r.draw(pos, nrm, surface.st, surface.triangles, skins[s]);
        }
    };
    const Picture* lower[] = {&m.lowerSkin, &m.lowerSkin};
    const Picture* upper[] = {&m.upperSkin, &m.weaponSkin};
    const Picture* head[] = {&m.headSkin};
    for (const Pose& p : poses) {
        // The lying poses are seen from high above, the others from the front.
        const bool lying = p.legs < PlayerModelBuilder::bothFrameCount();
        r.setView(lying ? Vec3{0.3f, -1.0f, 0.5f} : Vec3{0.45f, -0.25f, 1.0f}, {0, 1, 0}, {0, 4, 0}, 3.0f, p.x, p.y);
        drawPart(m.lower, p.legs, {}, lower);
        const Vec3 torsoTag = m.lower.frameTags[p.legs][0].origin;
        drawPart(m.upper, p.torso, torsoTag, upper);
        drawPart(m.head, 0, torsoTag + m.upper.frameTags[p.torso][0].origin, head);
    }
    out.preview("players/" + name + "_poses.png", r.picture());
}

void writeAll(Output& out, const std::string& root) {
    writeTextures(out);
    writeTiger(out);
    writeTestRobot(out);
    writeSailJump(out);
    writePlayers(out, root);
    out.text("Test.set", DataSet::settingsText());
    previewMeshes(out);
}

}  // namespace

std::string DataSet::settingsText() {
    return "// Settings of the test-bed, written with the generated sample data.\n"
           "// The program runs in this directory: \"data\" is appended to it with a separator,\n"
           "// \"q3a\" is put directly in front of baseq3/pak0.pk3 and so ends with one.\n"
           "set windowName testbed: real-time graphics test-bed\n"
           "set resolutionX 800\n"
           "set resolutionY 600\n"
           "set data data\n"
           "set q3a q3a/\n";
}

DataManifest DataSet::manifest() {
    DataManifest m;
    Output out("", &m, false, false);
    writeAll(out, "");
    return m;
}

bool DataSet::generate(const std::string& root, DataManifest* manifest, bool previews) {
    Output out(root, manifest, previews, true);
    writeAll(out, root);
    return out.ok();
}

