#include "tools/datagen/DataSet.h"

#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/Pk3Writer.h"
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
        if (out.manifest()) out.manifest()->boatObjects.push_back(countsOf(p.file, g));
    }
    out.text(dir + "boat.mtl", ObjWriter::mtl({{"hull", 1, 1, 1, "boat.tga"},
                                               {"mast", 0.45f, 0.3f, 0.18f, ""},
                                               {"sail", 1, 1, 1, "sail.tga"},
                                               {"flag", 1, 1, 1, "flag.tga"}}));
    out.picture(dir + "boat.tga", [] { return TextureSynthesis::woodPlanks(256); });
    out.picture(dir + "sail.tga", [] { return TextureSynthesis::sailCloth(128); });
    out.picture(dir + "flag.tga", [] { return TextureSynthesis::flag(64); });

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

void writeAll(Output& out, const std::string& root) {
    writeTextures(out);
    writeTiger(out);
    writeTestRobot(out);
    writeSailJump(out);
    writePlayers(out, root);
    out.text("Test.set", DataSet::settingsText());
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

