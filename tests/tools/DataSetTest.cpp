#include "tools/datagen/DataSet.h"

#include "GeneratedData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace {

// Test.set as the settings loader reads it: lines with "//" are skipped, "set name value" stores
// the text after the one blank that follows the name.
std::map<std::string, std::string> readSettings(const std::string& text) {
    std::map<std::string, std::string> vars;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("//") != std::string::npos || line.rfind("set ", 0) != 0) continue;
        const std::string rest = line.substr(4);
        const size_t blank = rest.find(' ');
        vars[rest.substr(0, blank)] = blank == std::string::npos ? "" : rest.substr(blank + 1);
    }
    return vars;
}

}  // namespace

TEST(DataSet, WritesEveryFileTheContextsRead) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    const char* needed[] = {
        "Test.set",
        "data/Textures/ReflectOcean.tga",
        "data/Textures/Reflect.tga",
        "data/Textures/fire.tga",
        "data/Textures/smoke.tga",
        "data/Textures/HeightMap.tga",
        "data/Textures/lumps.jpg",
        "data/Textures/grass6.tga",
        "data/Textures/rock086.tga",
        "data/Textures/snow3256.jpg",
        "data/Textures/rock.bmp",
        "data/textures/debugHeight.tga",
        "data/textures/h_bitterman.tga",
        "data/animations/boat/boat.tga",
        "data/xfiles/tiger.x",
        "data/animations/testrobot/cube.obj",
        "data/animations/testrobot/test.obj",
        "data/animations/sailjump/sails_jump.lws",
        "data/animations/sailjump/wave.obj",
        "q3a/baseq3/pak0.pk3",
    };
    for (const char* rel : needed) {
        const std::string path = g.root + "/" + rel;
        EXPECT_TRUE(std::filesystem::is_regular_file(path)) << rel;
        EXPECT_GT(std::filesystem::file_size(path), 0u) << rel;
        EXPECT_NE(std::find(g.manifest.files.begin(), g.manifest.files.end(), rel), g.manifest.files.end()) << rel;
    }
    for (const std::string& rel : g.manifest.files) EXPECT_TRUE(std::filesystem::exists(g.root + "/" + rel)) << rel;
}

TEST(DataSet, SettingsPointAtTheGeneratedDirectoriesFromTheRunDirectory) {
    const GeneratedData& g = generatedData();
    const auto bytes = readFileBytes(g.root + "/Test.set");
    const auto vars = readSettings(std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(vars.count("windowName"), 1u);
    EXPECT_FALSE(vars.at("windowName").empty());
    EXPECT_EQ(vars.at("resolutionX"), "800");
    EXPECT_EQ(vars.at("resolutionY"), "600");
    // The scenes append "data" to the working directory with one separator and then their own
    // paths; the MD3 loader puts "q3a" directly in front of "baseq3/pak0.pk3".
    const std::string data = g.root + "/" + vars.at("data");
    EXPECT_TRUE(std::filesystem::exists(data + "/Textures/fire.tga"));
    EXPECT_TRUE(std::filesystem::exists(data + "/" + "xfiles/tiger.x"));
    EXPECT_TRUE(std::filesystem::exists(data + "/textures/debugHeight.tga"));
    const std::string& q3a = vars.at("q3a");
    ASSERT_FALSE(q3a.empty());
    EXPECT_EQ(q3a.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(g.root + "/" + q3a + "baseq3/pak0.pk3"));
}

TEST(DataSet, RegeneratesIdenticalBytes) {
    const GeneratedData& g = generatedData();
    const TempDirectory again("data_again");
    DataManifest manifest;
    ASSERT_TRUE(DataSet::generate(again.path(), &manifest, false));
    // The counting pass describes the same set as the writing pass.
    ASSERT_EQ(manifest.files, g.manifest.files);
    EXPECT_EQ(manifest.pk3Members, g.manifest.pk3Members);
    EXPECT_EQ(manifest.tiger.triangles, g.manifest.tiger.triangles);
    ASSERT_EQ(manifest.md3Parts.size(), g.manifest.md3Parts.size());
    for (size_t i = 0; i < manifest.md3Parts.size(); ++i) {
        EXPECT_EQ(manifest.md3Parts[i].frames, g.manifest.md3Parts[i].frames);
        ASSERT_EQ(manifest.md3Parts[i].surfaces.size(), g.manifest.md3Parts[i].surfaces.size());
        for (size_t s = 0; s < manifest.md3Parts[i].surfaces.size(); ++s) {
            EXPECT_EQ(manifest.md3Parts[i].surfaces[s].vertices, g.manifest.md3Parts[i].surfaces[s].vertices);
            EXPECT_EQ(manifest.md3Parts[i].surfaces[s].triangles, g.manifest.md3Parts[i].surfaces[s].triangles);
        }
    }
    for (const std::string& rel : manifest.files) {
        EXPECT_EQ(readFileBytes(again.path() + "/" + rel), readFileBytes(g.root + "/" + rel)) << rel;
    }
}
