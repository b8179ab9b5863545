#include "tools/datagen/FuzzCorpus.h"

#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/PlayerModelBuilder.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/XFileWriter.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/SampleModels.h"

namespace {

bool writeSeed(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool writeScriptedInputSeeds(const std::filesystem::path& folder) {
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"keys.txt", "# switch twice, then back\n1 key down ESCAPE\n2 key up ESCAPE\n4 key down lshift\n"
                     "5 key down 1\n6 key up 1\n6 key up LSHIFT\n"},
        {"mouse.txt", "1 mouse cursor 320 240\n2 mouse button 0 down\n3 mouse move 12 -4\n"
                      "4 mouse wheel -120\n5 mouse button 0 up\r\n"},
    };
    bool ok = true;
    for (const auto& [name, text] : seeds) ok = writeSeed(folder, name, text) && ok;
    return ok;
}

bool writeBytes(const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
    return writeSeed(folder, name, std::string(bytes.begin(), bytes.end()));
}

// A small MD3 part: `frames` frames of one tag and `surfaces` surfaces of a quad moving along x.
Md3Data smallMd3(int frames, int surfaces) {
    Md3Data d;
    d.name = "models/players/seed/part.md3";
    d.frameCount = frames;
    d.tagNames = {"tag_torso"};
    for (int f = 0; f < frames; ++f) {
        Md3TagData tag;
        tag.name = "tag_torso";
        tag.origin = {0, 0, static_cast<float>(f)};
        d.frameTags.push_back({tag});
    }
    for (int s = 0; s < surfaces; ++s) {
        Md3SurfaceData surface;
        surface.name = "s" + std::to_string(s);
        surface.shader = "models/players/seed/skin.tga";
        surface.st = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        surface.triangles = {{0, 1, 2}, {0, 2, 3}};
        for (int f = 0; f < frames; ++f) {
            const float x = static_cast<float>(f + s);
            surface.framePositions.push_back({{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 0, 1}, {x, 0, 1}});
            surface.frameNormals.push_back({{0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}});
        }
        d.surfaces.push_back(surface);
    }
    return d;
}

// Small parts of every shape the reader meets, and the one-frame head of a generated player.
bool writeMd3Seeds(const std::filesystem::path& folder) {
    bool ok = writeBytes(folder, "one_frame.md3", Md3Writer::encode(smallMd3(1, 1)));
    ok = writeBytes(folder, "three_frames_two_surfaces.md3", Md3Writer::encode(smallMd3(3, 2))) && ok;
    Md3Data noTags = smallMd3(2, 1);
    noTags.tagNames.clear();
    for (auto& frame : noTags.frameTags) frame.clear();
    ok = writeBytes(folder, "no_tags.md3", Md3Writer::encode(noTags)) && ok;
    const PlayerModel player = PlayerModelBuilder::build(PlayerModelBuilder::styles()[8], false);
    ok = writeBytes(folder, "player_head.md3", Md3Writer::encode(player.head)) && ok;
    return ok;
}

// The generated players' file (the first byte picks the part's frame count in the target), and
// variants with the line shapes real files have.
bool writeAnimationConfigSeeds(const std::filesystem::path& folder) {
    const std::string generated = PlayerModelBuilder::animationConfig(PlayerModelBuilder::styles()[0]);
    std::string crlf;
    for (char c : generated) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"generated.cfg", std::string(1, char(176)) + generated},
        {"crlf.cfg", std::string(1, char(154)) + crlf},
        {"odd_lines.cfg", std::string(1, char(20)) +
                              "sex f\n 5 5 0 20 // LEGS_SPACE\n0 10 0 0 //BOTH_DEATH1\n"
                              "10 4 9 15 TORSO_STAND\n4294967295 2 2 30 // LEGS_WALKCR\n"
                              "3 x 1 20 // TORSO_GESTURE\n12 0 0 10 // LEGS_IDLE\n"},
    };
    bool ok = true;
    for (const auto& [name, text] : seeds) ok = writeSeed(folder, name, text) && ok;
    return ok;
}

// The boat's scene as the data set holds it, a two-object scene with unaligned channels, and one
// whose child names an object that does not load (the fuzzer's stub refuses "missing" names).
bool writeLwsSeeds(const std::filesystem::path& folder) {
    LwsObject base;
    base.file = "base.obj";
    base.channels[0] = LwsWriter::smoothKeys({{0.0f, 0.0f}, {0.5f, 1.0f}, {1.5f, -1.0f}});
    base.channels[4] = LwsWriter::smoothKeys({{0.0f, 0.0f}, {1.0f, 0.7f}});
    base.channels[6] = {LwsKey{0.0f, 1.0f, 0.0f, 0.0f}};
    LwsObject arm;
    arm.file = "arm.obj";
    arm.parent = 1;
    arm.channels[1] = {LwsKey{0.25f, 2.0f, 0.0f, 0.0f}};
    LwsObject lost = arm;
    lost.file = "missing.obj";
    LwsObject onLost = arm;
    onLost.parent = 0;
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"boat.lws", LwsWriter::write(SampleModels::boatScene(), 120, 30)},
        {"two.lws", LwsWriter::write({arm, base}, 45, 30)},
        {"missing.lws", LwsWriter::write({lost, base, onLost}, 45, 30)},
    };
    bool ok = true;
    for (const auto& [name, text] : seeds) ok = writeSeed(folder, name, text) && ok;
    return ok;
}

// The crate and the robot as the data set has them (every corner form, triangles and quads) and a
// boat part.
bool writeObjSeeds(const std::filesystem::path& folder) {
    ObjGroup flag{"flag", SampleModels::boatFlag(), false, ObjCorner::PositionTexture};
    bool ok = writeSeed(folder, "cube.obj", ObjWriter::obj(SampleModels::crateGroups(), "cube.mtl", "textured crate"));
    ok = writeSeed(folder, "test.obj", ObjWriter::obj(SampleModels::robotGroups(), "test.mtl", "test robot")) && ok;
    ok = writeSeed(folder, "flag.obj", ObjWriter::obj({flag}, "boat.mtl", "sailing boat: flag")) && ok;
    return ok;
}

bool writeMtlSeeds(const std::filesystem::path& folder) {
    bool ok = writeSeed(folder, "test.mtl", ObjWriter::mtl({{"robot_body", 1, 1, 1, "robot.tga"},
                                                           {"robot_joints", 0.8f, 0.15f, 0.1f, ""},
                                                           {"robot_eyes", 1.0f, 0.85f, 0.1f, ""}}));
    ok = writeSeed(folder, "boat.mtl", ObjWriter::mtl({{"hull", 1, 1, 1, "boat.tga"}, {"sail", 0.9f, 0.9f, 0.85f, ""}})) && ok;
    return ok;
}

// Small meshes in the tiger's layout: normals, texture coordinates and one textured material.
bool writeXFileSeeds(const std::filesystem::path& folder) {
    GenMesh box;
    box.addBox(Xform(), {0.5f, 0.5f, 0.5f}, 0.0f, 0.0f, 1.0f, 1.0f);
    GenMesh ball;
    ball.addEllipsoid(Xform(), {1.0f, 0.5f, 0.5f}, 6, 4, 0.0f, 0.0f, 1.0f);
    bool ok = writeSeed(folder, "box.x", XFileWriter::write("box", box, "box.tga"));
    ok = writeSeed(folder, "ball.x", XFileWriter::write("ball", ball, "tiger.tga")) && ok;
    return ok;
}

}  // namespace

bool FuzzCorpus::write(const std::string& directory) {
    const std::filesystem::path root(directory);
    bool ok = true;
    ok = writeScriptedInputSeeds(root / "fuzz_scripted_input") && ok;
    ok = writeMd3Seeds(root / "fuzz_md3") && ok;
    ok = writeAnimationConfigSeeds(root / "fuzz_animation_cfg") && ok;
    ok = writeLwsSeeds(root / "fuzz_lws") && ok;
    ok = writeObjSeeds(root / "fuzz_obj") && ok;
    ok = writeMtlSeeds(root / "fuzz_mtl") && ok;
    ok = writeXFileSeeds(root / "fuzz_xfile") && ok;
    return ok;
}
