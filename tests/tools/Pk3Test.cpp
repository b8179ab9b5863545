#include "tools/datagen/Pk3Writer.h"
#include "tools/datagen/PlayerModelBuilder.h"

#include "GeneratedData.h"

#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <set>

// The directories the MD3 viewer steps through, in its order.
static const char* kDirectories[] = {
    "anarki", "biker", "bitterman", "bones", "doom",   "grunt",  "hunter", "keel",  "klesk",  "lucy",  "major",
    "mynx",   "orbb",  "ranger",    "razor", "sarge",  "slash",  "sorlag", "tankjr", "uriel", "visor", "xaero"};

TEST(Pk3Writer, MembersReadBackInOrderWithAFixedDate) {
    const TempDirectory dir("pk3");
    Pk3Writer w;
    w.add("a/one.txt", std::string("first member"));
    w.add("b/two.bin", std::vector<uint8_t>{0, 1, 2, 255});
    w.add("empty", std::string());
    ASSERT_TRUE(w.write(dir.path() + "/t.pk3"));
    const auto members = readZipMembers(dir.path() + "/t.pk3");
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].first, "a/one.txt");
    EXPECT_EQ(std::string(members[0].second.begin(), members[0].second.end()), "first member");
    EXPECT_EQ(members[1].second, (std::vector<uint8_t>{0, 1, 2, 255}));
    EXPECT_TRUE(members[2].second.empty());
    unzFile zip = unzOpen((dir.path() + "/t.pk3").c_str());
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(unzLocateFile(zip, "b/two.bin", 0), UNZ_OK);
    unz_file_info info;
    ASSERT_EQ(unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_EQ(info.tmu_date.tm_year, 2001u);
    EXPECT_EQ(info.tmu_date.tm_mon, 0u);
    EXPECT_EQ(info.tmu_date.tm_mday, 1u);
    EXPECT_EQ(info.compression_method, static_cast<unsigned long>(Z_DEFLATED));
    unzClose(zip);
    // Writing again gives the same bytes.
    ASSERT_TRUE(w.write(dir.path() + "/u.pk3"));
    EXPECT_EQ(readFileBytes(dir.path() + "/t.pk3"), readFileBytes(dir.path() + "/u.pk3"));
}

TEST(GeneratedArchive, HoldsEveryPartOfEveryPlayer) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    unzFile zip = unzOpen((g.root + "/q3a/baseq3/pak0.pk3").c_str());
    ASSERT_NE(zip, nullptr);
    for (const char* name : kDirectories) {
        for (const char* file : {"lower.md3", "upper.md3", "head.md3", "animation.cfg", "lower.tga", "upper.tga",
                                 "head.tga", "weapon.tga"}) {
            const std::string member = std::string("models/players/") + name + "/" + file;
            EXPECT_EQ(unzLocateFile(zip, member.c_str(), 0), UNZ_OK) << member;
        }
    }
    unzClose(zip);
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    EXPECT_EQ(members.size(), 22u * 8);
    std::set<std::string> names;
    for (const auto& m : members) names.insert(m.first);
    EXPECT_EQ(names.size(), members.size());  // no duplicates
}

TEST(GeneratedArchive, DirectoriesFollowTheViewersOrder) {
    const auto& styles = PlayerModelBuilder::styles();
    ASSERT_EQ(styles.size(), 22u);
    for (size_t i = 0; i < styles.size(); ++i) EXPECT_EQ(styles[i].name, kDirectories[i]) << i;
}

TEST(GeneratedArchive, ConfigMemberIsTheGeneratorsText) {
    const GeneratedData& g = generatedData();
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    const PlayerStyle& style = PlayerModelBuilder::styles()[8];
    const std::string expected = PlayerModelBuilder::animationConfig(style);
    for (const auto& m : members) {
        if (m.first == "models/players/klesk/animation.cfg") {
            EXPECT_EQ(std::string(m.second.begin(), m.second.end()), expected);
            return;
        }
    }
    FAIL() << "models/players/klesk/animation.cfg missing";
}
