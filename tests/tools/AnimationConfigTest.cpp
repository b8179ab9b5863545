#include "tools/datagen/PlayerModelBuilder.h"

#include "GeneratedData.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <sstream>

namespace {

struct Entry {
    unsigned first = 0, count = 0, looping = 0, fps = 0;
};

struct Tables {
    std::map<std::string, Entry> legs, torso;
};

// The reading rule of the MD3 loader: digit lines only, four numbers and two words, the second
// word being the name; BOTH into both tables, LEGS and TORSO into theirs; then legs entries are
// moved back by LEGS_WALKCR − TORSO_GESTURE.
Tables parseConfig(const std::string& text) {
    Tables t;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::istringstream fields(line);
        Entry e;
        std::string slashes, name;
        fields >> e.first >> e.count >> e.looping >> e.fps >> slashes >> name;
        if (name.find("BOTH") != std::string::npos) {
            t.legs[name] = e;
            t.torso[name] = e;
        } else if (name.find("LEGS") != std::string::npos) {
            t.legs[name] = e;
        } else if (name.find("TORSO") != std::string::npos) {
            t.torso[name] = e;
        }
    }
    const unsigned offset = t.legs["LEGS_WALKCR"].first - t.torso["TORSO_GESTURE"].first;
    for (auto& [name, e] : t.legs) {
        if (name.find("LEGS") != std::string::npos) e.first -= offset;
    }
    return t;
}

const char* kLegsNames[] = {"BOTH_DEATH1", "BOTH_DEAD1", "BOTH_DEATH2", "BOTH_DEAD2", "BOTH_DEATH3", "BOTH_DEAD3",
                            "LEGS_WALKCR", "LEGS_WALK",  "LEGS_RUN",    "LEGS_BACK",  "LEGS_SWIM",   "LEGS_JUMP",
                            "LEGS_LAND",   "LEGS_JUMPB", "LEGS_LANDB",  "LEGS_IDLE",  "LEGS_IDLECR", "LEGS_TURN"};
const char* kTorsoNames[] = {"BOTH_DEATH1", "BOTH_DEAD1",   "BOTH_DEATH2",   "BOTH_DEAD2", "BOTH_DEATH3",
                             "BOTH_DEAD3",  "TORSO_GESTURE", "TORSO_ATTACK", "TORSO_ATTACK2", "TORSO_DROP",
                             "TORSO_RAISE", "TORSO_STAND",  "TORSO_STAND2"};

}  // namespace

TEST(AnimationConfig, ReaderRuleIgnoresNonDigitLines) {
    const Tables t = parseConfig("sex m\n 1 2 3 4 // LEGS_WALK\n153 8 8 20 // LEGS_WALKCR\n90 40 0 20 // TORSO_GESTURE\n"
                                 "0 30 0 25 // BOTH_DEATH1\n");
    EXPECT_EQ(t.legs.count("LEGS_WALK"), 0u);
    EXPECT_EQ(t.legs.at("LEGS_WALKCR").first, 90u);  // 153 − (153 − 90)
    EXPECT_EQ(t.legs.at("BOTH_DEATH1").first, 0u);
    EXPECT_EQ(t.torso.at("BOTH_DEATH1").count, 30u);
}

TEST(AnimationConfig, EveryModelNamesEveryAnimationWithinItsPartsFrames) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    const auto members = readZipMembers(g.root + "/q3a/baseq3/pak0.pk3");
    const unsigned lowerFrames = PlayerModelBuilder::lowerFrameCount();
    const unsigned upperFrames = PlayerModelBuilder::upperFrameCount();
    int configs = 0;
    for (const auto& [name, bytes] : members) {
        if (name.size() < 14 || name.substr(name.size() - 14) != "/animation.cfg") continue;
        ++configs;
        const Tables t = parseConfig(std::string(bytes.begin(), bytes.end()));
        for (const char* n : kLegsNames) {
            ASSERT_TRUE(t.legs.count(n)) << name << " " << n;
            const Entry& e = t.legs.at(n);
            EXPECT_GE(e.count, 1u) << n;
            EXPECT_LE(e.first + e.count, lowerFrames) << name << " " << n;
            EXPECT_LE(e.looping, e.count) << n;
            EXPECT_GT(e.fps, 0u) << n;
        }
        for (const char* n : kTorsoNames) {
            ASSERT_TRUE(t.torso.count(n)) << name << " " << n;
            const Entry& e = t.torso.at(n);
            EXPECT_LE(e.first + e.count, upperFrames) << name << " " << n;
            EXPECT_LE(e.looping, e.count) << n;
        }
        // After the shift the legs animations start right after the shared death frames.
        EXPECT_EQ(t.legs.at("LEGS_WALKCR").first, static_cast<unsigned>(PlayerModelBuilder::bothFrameCount()));
        // Looping animations and the ones that must play visibly have several frames.
        for (const char* n : {"LEGS_WALK", "LEGS_RUN", "LEGS_IDLE", "LEGS_JUMP", "TORSO_GESTURE", "TORSO_ATTACK",
                              "TORSO_STAND", "BOTH_DEATH1", "BOTH_DEATH2", "BOTH_DEATH3"}) {
            const Entry& e = t.legs.count(n) ? t.legs.at(n) : t.torso.at(n);
            EXPECT_GE(e.count, 6u) << n;
        }
        // A dead pose is the last frame of its death.
        EXPECT_EQ(t.legs.at("BOTH_DEAD1").first, t.legs.at("BOTH_DEATH1").first + t.legs.at("BOTH_DEATH1").count - 1);
    }
    EXPECT_EQ(configs, 22);
}

// The animations of one part do not overlap, apart from a DEAD pose sharing its DEATH's last frame.
TEST(AnimationConfig, FrameRangesOfOnePartDoNotOverlap) {
    const auto& table = PlayerModelBuilder::animations();
    for (size_t i = 0; i < table.size(); ++i) {
        for (size_t j = i + 1; j < table.size(); ++j) {
            const auto& a = table[i];
            const auto& b = table[j];
            if (a.name.find("DEAD") != std::string::npos || b.name.find("DEAD") != std::string::npos) continue;
            const bool overlap = a.firstFrame < b.firstFrame + b.numFrames && b.firstFrame < a.firstFrame + a.numFrames;
            EXPECT_FALSE(overlap) << a.name << " and " << b.name;
        }
    }
}
