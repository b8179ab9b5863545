#include "tools/datagen/FuzzCorpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/datagen/DataSet.h"
#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/Picture.h"
#include "tools/datagen/Pk3Writer.h"
#include "tools/datagen/PlayerModelBuilder.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/XFileWriter.h"

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

bool writeSettingsSeeds(const std::filesystem::path& folder) {
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"Test.set", DataSet::settingsText()},
        {"odd.set", "// remark\r\n\tset windowName  two  blanks\r\nset resolutionX 1e3 // inert\n"
                    "set resolutionY\nset\n   \t\nSet data x\nunknown words here\nset q3a q3a/"},
    };
    bool ok = true;
    for (const auto& [name, text] : seeds) ok = writeSeed(folder, name, text) && ok;
    return ok;
}

// A small picture with a gradient, so that every channel and row differs.
Picture gradient(int width, int height, int channels) {
    Picture picture(width, height, channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.set(x, y, float(x) / width, float(y) / height, 0.5f, float(x + y) / (width + height));
        }
    }
    return picture;
}

std::string asText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Run-length TGA (type 10) of the given 24-bit uncompressed one: one run packet, then raw packets.
std::vector<uint8_t> runLengthTga(const std::vector<uint8_t>& plain, int pixels) {
    std::vector<uint8_t> out(plain.begin(), plain.begin() + 18);
    out[2] = 10;
    const uint8_t* p = plain.data() + 18;
    out.push_back(0x80 | 3);  // four copies of the first pixel
    out.insert(out.end(), p, p + 3);
    for (int i = 4; i < pixels; i += 4) {
        const int count = std::min(4, pixels - i);
        out.push_back(static_cast<uint8_t>(count - 1));
        out.insert(out.end(), p + 3 * i, p + 3 * (i + count));
    }
    return out;
}

bool writeImageSeeds(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const Picture rgb = gradient(8, 6, 3);
    const std::vector<uint8_t> tga24 = ImageFiles::encodeTga(rgb);
    bool ok = writeSeed(folder, "rgb.tga", asText(tga24));
    ok = writeSeed(folder, "rgba.tga", asText(ImageFiles::encodeTga(gradient(5, 4, 4)))) && ok;
    ok = writeSeed(folder, "grey.tga", asText(ImageFiles::encodeTga(gradient(7, 3, 1)))) && ok;
    ok = writeSeed(folder, "runs.tga", asText(runLengthTga(tga24, 8 * 6))) && ok;
    ok = writeSeed(folder, "rgb.bmp", asText(ImageFiles::encodeBmp(gradient(5, 3, 3)))) && ok;
    ok = ImageFiles::saveJpg(gradient(16, 8, 3), (folder / "rgb.jpg").string()) && ok;
    ok = ImageFiles::savePng(gradient(6, 5, 3), (folder / "rgb.png").string()) && ok;
    ok = ImageFiles::savePng(gradient(4, 4, 4), (folder / "rgba.png").string()) && ok;
    return ok;
}

// Archives as the game data holds them: a text member with CR LF line ends, a binary member, an
// empty one and a picture, in a folder structure.
bool writeZipSeeds(const std::filesystem::path& folder) {
    Pk3Writer game;
    game.add("models/players/seed/animation.cfg", std::string("sex m\r\n0 30 0 20 // BOTH_DEATH1\r\n"));
    std::vector<uint8_t> binary(300);
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<uint8_t>(i * 7);
    game.add("models/players/seed/head.md3", binary);
    game.add("models/players/seed/empty.skin", std::string());
    game.add("models/players/seed/head.tga", ImageFiles::encodeTga(gradient(4, 4, 3)));
    Pk3Writer single;
    single.add("a.txt", std::string("a\r\nb\r\n"));
    return game.write((folder / "game.pk3").string()) && single.write((folder / "single.pk3").string());
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
    ok = writeSettingsSeeds(root / "fuzz_settings") && ok;
    ok = writeZipSeeds(root / "fuzz_zip") && ok;
    ok = writeImageSeeds(root / "fuzz_image") && ok;
    return ok;
}
