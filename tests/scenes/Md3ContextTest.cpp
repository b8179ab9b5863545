#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/foundation/TestSupport.h"
#include "tests/support/HeldInput.h"
#include "foundation/VariableTable.h"
#include "scenes/Md3Context.h"

namespace {

class Md3ContextTest : public testsupport::InputFrames {
 protected:
  Md3ContextTest() : InputFrames(keys) {}
  void SetUp() override {
    InputFrames::SetUp();
    useArchiveIn(std::string(TESTBED_BINARY_DIR) + "/q3a/");
  }
  void TearDown() override {
    InputFrames::TearDown();
    VariableTable::instance().clear();
  }
  static void useArchiveIn(const std::string& directory) { VariableTable::instance().set(Variable("q3a", directory)); }

  void frame(Md3Context& context) {
    nextFrame();
    context.update();
  }
  // Down for one frame, up for the next.
  void press(Md3Context& context, int key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      keys.held.insert(key);
      frame(context);
      keys.held.erase(key);
      frame(context);
    }
  }

  testsupport::HeldInput keys;
};

}  // namespace

TEST_F(Md3ContextTest, StartsWithTheNinthCharacterAndBothSelectionsAtTheFirstName) {
  ASSERT_TRUE(std::filesystem::exists(std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3"));
  Md3Context context;
  EXPECT_EQ(context.name(), "Md3Context");
  const Matrix34& eye = context.camera().node()->world();
  EXPECT_EQ(eye.translation(), Vector3(0.0f, 5.0f, -50.0f));
  context.init();
  EXPECT_EQ(context.modelIndex(), 8u);
  EXPECT_STREQ(Md3Context::kModelDirectories[8], "models/players/klesk");
  ASSERT_NE(context.animation(), nullptr);
  EXPECT_EQ(context.overlayText(), "Legs anim: BOTH_DEATH1\nTorso anim: BOTH_DEATH1");
  // The character plays its defaults, not the selection.
  EXPECT_EQ(context.animation()->lower().currentAnimation(), "LEGS_IDLE");
  EXPECT_EQ(context.animation()->upper().currentAnimation(), "TORSO_STAND");
  ASSERT_EQ(context.scene()->objects().size(), 1u);
  EXPECT_EQ(context.scene()->objects()[0].get(), context.animation()->model());
  EXPECT_EQ(context.animation()->model()->instances().size(), 5u);
  ASSERT_EQ(context.scene()->lights().size(), 1u);
  EXPECT_EQ(context.light()->range(), 100.0f);
  // After an update the light shines along the view.
  frame(context);
  const float* light = context.light()->position();
  EXPECT_FLOAT_EQ(light[2], -1.0f);
  EXPECT_FLOAT_EQ(light[3], 0.0f);
  EXPECT_GT(context.animation()->model()->bounds().radius, 20.0f);
  context.release();
  EXPECT_EQ(context.animation(), nullptr);
}

TEST_F(Md3ContextTest, LAndTPickNamesThatTheSpaceBarStarts) {
  Md3Context context;
  context.init();
  frame(context);
  press(context, kKeyT, 13);
  EXPECT_EQ(context.torsoIndex(), 0u);
  press(context, kKeyT, 2);
  press(context, kKeyL, 8);
  EXPECT_EQ(context.overlayText(), "Legs anim: LEGS_RUN\nTorso anim: BOTH_DEATH2");
  EXPECT_EQ(context.animation()->lower().currentAnimation(), "LEGS_IDLE");
  press(context, kKeySpace);
  EXPECT_EQ(context.animation()->lower().currentAnimation(), "LEGS_RUN");
  EXPECT_EQ(context.animation()->upper().currentAnimation(), "BOTH_DEATH2");
  press(context, kKeyL, 10);
  EXPECT_EQ(context.legsIndex(), 0u);  // 18 names, then back to the first
}

TEST_F(Md3ContextTest, ReturnLoadsTheNextCharacterAndKeepsTheSelection) {
  Md3Context context;
  context.init();
  frame(context);
  press(context, kKeyT, 3);
  const Model* before = context.animation()->model();
  press(context, kKeyReturn);
  EXPECT_EQ(context.modelIndex(), 9u);
  ASSERT_NE(context.animation(), nullptr);
  EXPECT_NE(context.animation()->model(), before);
  EXPECT_EQ(context.scene()->objects()[0].get(), context.animation()->model());
  EXPECT_EQ(context.torsoIndex(), 3u);
  press(context, kKeyReturn, 12);
  EXPECT_EQ(context.modelIndex(), 21u);
  press(context, kKeyReturn);
  EXPECT_EQ(context.modelIndex(), 0u);
  EXPECT_NE(context.animation(), nullptr);
}

TEST_F(Md3ContextTest, WithoutTheArchiveOnlyTheErrorShowsAndReturnStillMovesOn) {
  useArchiveIn("/nonexistent/");
  Md3Context context;
  context.init();
  EXPECT_EQ(context.animation(), nullptr);
  EXPECT_EQ(context.overlayText(), "Error loading .md3 model. Configure q3a variable in 'test.set'.");
  frame(context);
  press(context, kKeyT);
  press(context, kKeyL);
  EXPECT_EQ(context.torsoIndex(), 0u);
  EXPECT_EQ(context.legsIndex(), 0u);
  press(context, kKeyReturn);
  EXPECT_EQ(context.modelIndex(), 9u);
  EXPECT_EQ(context.animation(), nullptr);
  // Once the archive is there, the next Return loads a character.
  useArchiveIn(std::string(TESTBED_BINARY_DIR) + "/q3a/");
  press(context, kKeyReturn);
  EXPECT_EQ(context.modelIndex(), 10u);
  EXPECT_NE(context.animation(), nullptr);
}
