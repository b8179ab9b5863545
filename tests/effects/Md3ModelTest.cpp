#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/support/Md3Fixtures.h"
#include "effects/Md3Model.h"

namespace {

// A part of `frames` key frames: one three-vertex mesh whose frame f lies at x = f, and one
// "tag_torso" per frame at (0, 0, f) carrying `child`. tagFrames < frames leaves the last frames
// without tags, as a damaged file would.
Md3PartData makePart(std::uint32_t frames, RefPtr<SceneNode> child, std::uint32_t tagFrames = ~0u) {
  Md3PartData p;
  p.node = SceneNode::create(Matrix34::identity(), "part");
  p.frameCount = frames;
  RefPtr<Mesh> mesh = new Mesh(frames, 3, {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {}, {}, {}, {0, 1, 2});
  for (std::uint32_t f = 1; f < frames; ++f) {
    const float x = static_cast<float>(f);
    mesh->frame(f)->positions = {{x, 0, 0}, {x, 1, 0}, {x, 0, 1}};
  }
  p.instances.push_back(new MeshInstance(p.node, mesh));
  p.tagCount = 1;
  for (std::uint32_t f = 0; f < std::min(frames, tagFrames); ++f) {
    p.tags.push_back({"tag_torso", {0.0f, 0.0f, static_cast<float>(f)}, Matrix33::identity()});
  }
  p.attachments["tag_torso"] = std::move(child);
  return p;
}

class Md3PartTest : public ::testing::Test {
 protected:
  Md3Part& part(std::uint32_t frames, const Md3AnimationTable& table, const std::string& defaultName = "") {
    Md3PartData data = makePart(frames, child);
    data.animations = table;
    data.defaultAnimation = defaultName;
    played = std::make_unique<Md3Part>(std::move(data));
    return *played;
  }
  const Mesh& mesh() const { return *played->instances()[0]->mesh(); }

  RefPtr<SceneNode> child = SceneNode::create(Matrix34::identity(), "child");
  std::unique_ptr<Md3Part> played;
};

}  // namespace

TEST_F(Md3PartTest, AOneFrameAnimationShowsThatFrameAloneEveryUpdate) {
  Md3Part& p = part(8, {{"ONE", {5, 1, 0, 20}}, {"NONE", {3, 0, 0, 20}}});
  for (const char* name : {"ONE", "NONE"}) {
    p.setAnimation(name);
    const std::uint32_t expected = name == std::string("ONE") ? 5u : 3u;
    for (int i = 0; i < 3; ++i) {
      p.advance(16.0);
      EXPECT_EQ(p.frame(), expected) << name;
      EXPECT_EQ(p.blend(), 0.0f) << name;
      EXPECT_EQ(mesh().frameA(), expected) << name;
      EXPECT_EQ(mesh().frameB(), expected) << name;
      EXPECT_EQ(child->local().translation(), Vector3(0.0f, 0.0f, static_cast<float>(expected))) << name;
    }
  }
}

TEST_F(Md3PartTest, TwentyFramesASecondAtSixteenMillisecondsKeepTheFractionInTheBlend) {
  Md3Part& p = part(40, {{"RUN", {0, 40, 40, 20}}});
  p.setAnimation("RUN");
  for (int update = 1; update <= 100; ++update) {
    p.advance(16.0);
    // 0.32 key frames per update: frame + blend is the whole distance travelled.
    EXPECT_NEAR(p.frame() + p.blend(), 0.32 * update, 1e-4) << update;
    EXPECT_GE(p.blend(), 0.0f);
    EXPECT_LE(p.blend(), 1.0f);
    EXPECT_EQ(mesh().frameA(), p.frame());
    EXPECT_EQ(mesh().frameB(), p.frame() + 1);
    EXPECT_FLOAT_EQ(mesh().blend(), p.blend());
  }
  // 32 key frames in 100 updates: one every 3.125 updates.
  EXPECT_NEAR(p.frame() + p.blend(), 32.0, 1e-4);
}

TEST_F(Md3PartTest, AOneShotAnimationFallsBackToTheDefaultInTheSameUpdate) {
  Md3Part& p = part(12, {{"SHOT", {0, 4, 0, 10}}, {"IDLE", {6, 4, 4, 10}}}, "IDLE");
  p.setAnimation("SHOT");
  p.advance(250.0);
  EXPECT_EQ(p.currentAnimation(), "SHOT");
  EXPECT_EQ(p.frame(), 2u);
  EXPECT_FLOAT_EQ(p.blend(), 0.5f);
  // 2.5 + 1.5 lands past SHOT's last frame: IDLE starts and takes the same 150 ms.
  p.advance(150.0);
  EXPECT_EQ(p.currentAnimation(), "IDLE");
  EXPECT_EQ(p.frame(), 7u);
  EXPECT_NEAR(p.blend(), 0.5f, 1e-6f);
  EXPECT_EQ(mesh().frameA(), 7u);
  EXPECT_EQ(mesh().frameB(), 8u);
}

TEST_F(Md3PartTest, ALoopWrapsFromItsLastFrameToItsFirst) {
  Md3Part& p = part(8, {{"LOOP", {2, 4, 4, 10}}});
  p.setAnimation("LOOP");
  EXPECT_EQ(p.frame(), 2u);
  p.advance(350.0);
  EXPECT_EQ(p.frame(), 5u);
  EXPECT_EQ(p.nextFrame(), 2u);  // the frame after the last is the first
  EXPECT_EQ(mesh().frameB(), 2u);
  p.advance(100.0);
  EXPECT_EQ(p.frame(), 2u);
  // Two key frames on from the last lands on the first plus one.
  p.setAnimation("LOOP");
  p.advance(350.0);
  ASSERT_EQ(p.frame(), 5u);
  p.advance(200.0);
  EXPECT_EQ(p.frame(), 3u);
  EXPECT_EQ(p.currentAnimation(), "LOOP");
}

TEST_F(Md3PartTest, OneLoopingFrameHoldsTheLastFrame) {
  Md3Part& p = part(8, {{"HOLD", {1, 4, 1, 10}}});
  p.setAnimation("HOLD");
  for (int i = 0; i < 5; ++i) p.advance(170.0);
  EXPECT_EQ(p.frame(), 4u);
  EXPECT_EQ(p.nextFrame(), 4u);
}

TEST_F(Md3PartTest, EntriesArePlayedClampedToThePartsFrames) {
  struct Case {
    Md3Animation entry;
    Md3Animation played;
  };
  const Case cases[] = {
      {{100, 5, 0, 10}, {5, 1, 0, 10}},                                  // first frame past the last
      {{4, 10, 10, 10}, {4, 2, 2, 10}},                                  // runs past the end
      {{1, 3, 7, 10}, {1, 3, 3, 10}},                                    // more looping frames than frames
      {{0, 0, 0, 0}, {0, 0, 0, 0}},                                      // the zero entry
      {{2, 3, 1, 0}, {2, 3, 1, 0}},                                      // fps 0: valid, just still
      {{0xFFFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFFFu, 30}, {5, 1, 1, 30}},      // wrapped by the frame offset
      {{0, 6, 6, 0xFFFFFFFFu}, {0, 6, 6, 0xFFFFFFFFu}},
  };
  for (const Case& c : cases) {
    Md3Part& p = part(6, {{"A", c.entry}, {"IDLE", {0, 6, 0, 0xFFFFFFFFu}}}, "IDLE");
    EXPECT_EQ(p.playable(c.entry), c.played);
    p.setAnimation("A");
    for (double dt : {0.0, 16.0, 1000.0, 1e9, 1e300, -5.0, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
      p.advance(dt);
      ASSERT_LT(p.frame(), 6u) << c.entry.firstFrame << " dt " << dt;
      ASSERT_LT(p.nextFrame(), 6u) << c.entry.firstFrame << " dt " << dt;
      ASSERT_GE(p.blend(), 0.0f);
      ASSERT_LE(p.blend(), 1.0f);
    }
  }
}

TEST_F(Md3PartTest, FpsZeroStaysOnTheFirstFrame) {
  Md3Part& p = part(6, {{"STILL", {2, 3, 0, 0}}});
  p.setAnimation("STILL");
  for (int i = 0; i < 10; ++i) p.advance(100.0);
  EXPECT_EQ(p.frame(), 2u);
  EXPECT_EQ(p.blend(), 0.0f);
}

TEST_F(Md3PartTest, AOneShotDefaultThatEndsAgainStopsOnItsLastFrame) {
  Md3Part& p = part(6, {{"SHOT", {0, 3, 0, 10}}}, "SHOT");
  p.setAnimation("SHOT");
  p.advance(10000.0);
  EXPECT_EQ(p.currentAnimation(), "SHOT");
  EXPECT_EQ(p.frame(), 2u);
  EXPECT_EQ(p.nextFrame(), 2u);
}

TEST_F(Md3PartTest, AnUnknownNameIsEnteredAsAZeroEntry) {
  Md3Part& p = part(6, {{"RUN", {2, 3, 3, 10}}});
  p.setAnimation("RUN");
  p.advance(150.0);
  p.setAnimation("NOPE");
  EXPECT_EQ(p.frame(), 0u);
  EXPECT_EQ(p.blend(), 0.0f);
  EXPECT_EQ(p.animations().at("NOPE"), Md3Animation{});
  p.advance(100.0);
  EXPECT_EQ(p.frame(), 0u);
}

TEST(Md3PartTags, AttachedNodesFollowTheInterpolatedTag) {
  RefPtr<SceneNode> child = SceneNode::create(Matrix34::identity());
  Md3PartData data = makePart(2, child);
  // Frame 1's tag is turned a quarter about z: its x axis points along y.
  data.tags[1].rotation = Matrix33(0, -1, 0, 1, 0, 0, 0, 0, 1);
  data.animations["TURN"] = {0, 2, 2, 10};
  Md3Part p(std::move(data));
  p.setAnimation("TURN");
  p.advance(50.0);
  ASSERT_EQ(p.frame(), 0u);
  const Matrix34& local = child->local();
  EXPECT_NEAR(local[11], 0.5f, 1e-6f);
  const Vector3 x = local.transformDirection({1, 0, 0});
  EXPECT_NEAR(x.x, std::sqrt(0.5f), 1e-6f);
  EXPECT_NEAR(x.y, std::sqrt(0.5f), 1e-6f);
  EXPECT_NEAR(x.z, 0.0f, 1e-6f);
  p.advance(50.0);
  // Blend 1 shows frame 1 whole.
  EXPECT_FLOAT_EQ(p.blend(), 1.0f);
  EXPECT_NEAR(child->local().transformDirection({1, 0, 0}).y, 1.0f, 1e-6f);
  EXPECT_EQ(child->local().translation(), Vector3(0.0f, 0.0f, 1.0f));
}

TEST(Md3PartTags, FramesWithoutTagsAndTagsWithoutNodesAreSkipped) {
  RefPtr<SceneNode> child = SceneNode::create(Matrix34::translation({7, 7, 7}));
  // Four mesh frames, tags for two only.
  Md3PartData data = makePart(4, child, 2);
  data.animations["RUN"] = {0, 4, 4, 10};
  Md3Part p(std::move(data));
  p.setAnimation("RUN");
  p.advance(250.0);
  EXPECT_EQ(p.frame(), 2u);
  EXPECT_EQ(child->local().translation(), Vector3(7, 7, 7));

  RefPtr<SceneNode> other = SceneNode::create(Matrix34::translation({7, 7, 7}));
  Md3PartData unattached = makePart(4, other);
  unattached.attachments.clear();
  unattached.attachments["tag_head"] = other;
  unattached.animations["RUN"] = {0, 4, 4, 10};
  Md3Part q(std::move(unattached));
  q.setAnimation("RUN");
  q.advance(150.0);
  EXPECT_EQ(other->local().translation(), Vector3(7, 7, 7));
}

TEST(Md3ModelTest, PartsJoinAtTheirTagsAndTheBoundsHoldTheCharacter) {
  using namespace md3fixtures;
  TempDir dir;
  ASSERT_TRUE(Archive().write(dir.path() + "/pak0.pk3"));
  std::unique_ptr<Md3Model> model = Md3Model::load(dir.path() + "/pak0.pk3", kDirectory, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->lower().currentAnimation(), "LEGS_IDLE");
  EXPECT_EQ(model->upper().currentAnimation(), "TORSO_STAND");
  EXPECT_EQ(model->lower().frame(), 8u);
  EXPECT_EQ(model->upper().frame(), 7u);
  model->update(0.0);
  // The legs' tag_torso in frame 8 is at z = 28, the torso's tag_head in frame 7 at z = 17, and
  // the root turns MD3's z into the world's y.
  EXPECT_EQ(model->upper().node()->local().translation(), Vector3(0, 0, 28));
  EXPECT_EQ(model->head().node()->local().translation(), Vector3(0, 0, 17));
  const Vector3 headAt = model->head().node()->world().translation();
  EXPECT_NEAR(headAt.x, 0.0f, 1e-5f);
  EXPECT_NEAR(headAt.y, 45.0f, 1e-5f);
  EXPECT_NEAR(headAt.z, 0.0f, 1e-5f);
  model->update(50.0);
  EXPECT_NEAR(model->upper().node()->local()[11], 28.5f, 1e-5f);
  const BoundingSphere& all = model->model()->bounds();
  for (const auto& instance : model->model()->instances()) {
    const BoundingSphere& b = instance->worldBounds();
    EXPECT_LE((b.center - all.center).length() + b.radius, all.radius + 1e-4f);
    EXPECT_GT(b.radius, 0.0f);
  }
  // The head's world bounds sit around its node, 45 units up.
  EXPECT_NEAR(model->model()->instances()[2]->worldBounds().center.y, 45.0f, 2.0f);
}
