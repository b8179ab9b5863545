#include <gtest/gtest.h>

#include <string>

#include "loaders/Md3AnimationConfig.h"

namespace {

const Md3Animation kZero{0, 0, 0, 0};

}  // namespace

TEST(Md3AnimationConfig, LegsMoveBackByTheWalkCrouchToGestureOffsetWhileBothEntriesStay) {
  const Md3AnimationConfig config = Md3AnimationConfig::parse(
      "// animation config file\n"
      "sex m\n"
      "\n"
      "0\t30\t0\t25\t\t// BOTH_DEATH1\n"
      "90\t40\t0\t20\t\t// TORSO_GESTURE\n"
      "153\t8\t8\t20\t\t// LEGS_WALKCR\n"
      "220\t10\t10\t15\t\t// LEGS_IDLE\n");
  EXPECT_EQ(config.legs.at("BOTH_DEATH1"), (Md3Animation{0, 30, 0, 25}));
  EXPECT_EQ(config.torso.at("BOTH_DEATH1"), (Md3Animation{0, 30, 0, 25}));
  EXPECT_EQ(config.torso.at("TORSO_GESTURE"), (Md3Animation{90, 40, 0, 20}));
  EXPECT_EQ(config.legs.at("LEGS_WALKCR"), (Md3Animation{90, 8, 8, 20}));
  EXPECT_EQ(config.legs.at("LEGS_IDLE"), (Md3Animation{157, 10, 10, 15}));
  EXPECT_EQ(config.legs.size(), 3u);
  EXPECT_EQ(config.torso.size(), 2u);
  EXPECT_EQ(config.legs.count("TORSO_GESTURE"), 0u);
  EXPECT_EQ(config.torso.count("LEGS_IDLE"), 0u);
}

TEST(Md3AnimationConfig, OnlyLinesStartingWithADigitAndFourCleanNumbersCount) {
  const Md3AnimationConfig config = Md3AnimationConfig::parse(
      " 5\t5\t0\t20\t// LEGS_SPACE\n"             // starts with a space
      "\t6\t5\t0\t20\t// LEGS_TAB\n"              // starts with a tab
      "7 x 0 20 // LEGS_GARBAGE\n"                 // a word where a number belongs
      "8 5 0 4294967296 // LEGS_TOO_BIG\n"          // beyond 32 bits
      "9 5 0 // LEGS_SHORT\n"                       // three numbers
      "10 5 -1 20 // LEGS_NEGATIVE\n"
      "11 5 0 20\n"                                 // no name
      "12 5 0 20 //\n"                              // a marker without a name
      "13 5 0 4294967295 // LEGS_MAX\n"
      "14 2 0 10 // WEAPON_FIRE\n"                  // neither legs nor torso
      "15 2 0 10 //TORSO_RAISE\n"                   // marker glued to the name
      "16 2 0 10 TORSO_DROP\n"                      // a bare name
      "17 2 0 10 // TORSO_ATTACK trailing words\n"
      "18 3 0 12\t\t// TORSO_ATTACK\r\n");          // a later line replaces an earlier one
  EXPECT_EQ(config.legs.count("LEGS_SPACE"), 0u);
  EXPECT_EQ(config.legs.count("LEGS_TAB"), 0u);
  EXPECT_EQ(config.legs.count("LEGS_GARBAGE"), 0u);
  EXPECT_EQ(config.legs.count("LEGS_TOO_BIG"), 0u);
  EXPECT_EQ(config.legs.count("LEGS_SHORT"), 0u);
  EXPECT_EQ(config.legs.count("LEGS_NEGATIVE"), 0u);
  EXPECT_EQ(config.legs.count("WEAPON_FIRE"), 0u);
  EXPECT_EQ(config.torso.count("WEAPON_FIRE"), 0u);
  // No LEGS_WALKCR and no TORSO_GESTURE: both are added as zero entries and the offset is 0.
  EXPECT_EQ(config.legs.at("LEGS_MAX"), (Md3Animation{13, 5, 0, 4294967295u}));
  EXPECT_EQ(config.legs.at("LEGS_WALKCR"), kZero);
  EXPECT_EQ(config.torso.at("TORSO_GESTURE"), kZero);
  EXPECT_EQ(config.legs.size(), 2u);
  EXPECT_EQ(config.torso.at("TORSO_RAISE"), (Md3Animation{15, 2, 0, 10}));
  EXPECT_EQ(config.torso.at("TORSO_DROP"), (Md3Animation{16, 2, 0, 10}));
  EXPECT_EQ(config.torso.at("TORSO_ATTACK"), (Md3Animation{18, 3, 0, 12}));
  EXPECT_EQ(config.torso.size(), 4u);
}

TEST(Md3AnimationConfig, AnEmptyFileLeavesTheTwoZeroEntries) {
  const Md3AnimationConfig config = Md3AnimationConfig::parse(std::string());
  ASSERT_EQ(config.legs.size(), 1u);
  ASSERT_EQ(config.torso.size(), 1u);
  EXPECT_EQ(config.legs.at("LEGS_WALKCR"), kZero);
  EXPECT_EQ(config.torso.at("TORSO_GESTURE"), kZero);
}
