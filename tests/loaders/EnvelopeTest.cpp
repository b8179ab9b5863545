#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/SceneNode.h"
#include "loaders/Envelope.h"
#include "loaders/LwsAnimation.h"

namespace {

EnvelopeKey key(double timeMs, Vector3 value, Vector3 in = {}, Vector3 out = {}) {
  EnvelopeKey k;
  k.timeMs = timeMs;
  k.value = value;
  k.inTangent = in;
  k.outTangent = out;
  return k;
}

// A position envelope with flat keys 0 → (0, 0, 0) at 0 ms and (10, 20, 30) at 1000 ms.
RefPtr<PositionController> ramp(std::uint32_t post) {
  RefPtr<PositionController> c = new PositionController;
  c->addKey(key(0.0, {0, 0, 0}));
  c->addKey(key(1000.0, {10, 20, 30}));
  c->setPostBehaviour(post);
  return c;
}

TEST(HermiteTableTest, RowFiveHundredIsTheMiddleOfTheSpan) {
  const HermiteTable& table = HermiteTable::instance();
  EXPECT_EQ(HermiteTable::rowFor(0.5f), 500);
  const float* h = table.row(500);
  EXPECT_FLOAT_EQ(h[0], 0.5f);
  EXPECT_FLOAT_EQ(h[1], 0.5f);
  EXPECT_FLOAT_EQ(h[2], 0.125f);
  EXPECT_FLOAT_EQ(h[3], -0.125f);
  // The ends: all of the first key, then all of the second.
  EXPECT_FLOAT_EQ(table.row(0)[0], 1.0f);
  EXPECT_FLOAT_EQ(table.row(0)[1], 0.0f);
  EXPECT_FLOAT_EQ(table.row(1000)[0], 0.0f);
  EXPECT_FLOAT_EQ(table.row(1000)[1], 1.0f);
}

TEST(HermiteTableTest, RowIndexIsClampedForAnyU) {
  struct Case {
    float u;
    int row;
  };
  const Case cases[] = {{0.0f, 0},     {0.0004f, 0},     {0.2509f, 250}, {0.9999f, 999},
                        {1.0f, 1000},  {1.7f, 1000},     {-0.3f, 0},     {1e30f, 1000},
                        {-1e30f, 0},   {std::numeric_limits<float>::infinity(), 1000},
                        {-std::numeric_limits<float>::infinity(), 0},
                        {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const Case& c : cases) EXPECT_EQ(HermiteTable::rowFor(c.u), c.row) << c.u;
}

TEST(EnvelopeTest, FirstKeyAfterZeroBringsAKeyAtZero) {
  Envelope envelope;
  ASSERT_TRUE(envelope.addKey(key(1500.0, {1, 2, 3}, {4, 4, 4}, {5, 5, 5})));
  ASSERT_EQ(envelope.keys().size(), 2u);
  EXPECT_EQ(envelope.keys()[0].timeMs, 0.0);
  EXPECT_EQ(envelope.keys()[0].value, Vector3(1, 2, 3));
  EXPECT_EQ(envelope.keys()[0].outTangent, Vector3());
  EXPECT_EQ(envelope.keys()[1].timeMs, 1500.0);
  // A first key at 0 needs no companion.
  Envelope atZero;
  atZero.addKey(key(0.0, {1, 1, 1}));
  EXPECT_EQ(atZero.keys().size(), 1u);
}

TEST(EnvelopeTest, KeysAreKeptInTimeOrder) {
  Envelope envelope;
  envelope.addKey(key(0.0, {0, 0, 0}));
  envelope.addKey(key(3000.0, {3, 0, 0}));
  envelope.addKey(key(1000.0, {1, 0, 0}));
  envelope.addKey(key(2000.0, {2, 0, 0}));
  ASSERT_EQ(envelope.keys().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(envelope.keys()[i].value.x, float(i));
  EXPECT_EQ(envelope.lastTime(), 3000.0);
}

TEST(EnvelopeTest, HermiteBetweenKeysUsesOutgoingAndIncomingTangents) {
  Envelope envelope;
  envelope.addKey(key(0.0, {0, 0, 0}, {}, {2, 0, 0}));
  envelope.addKey(key(1000.0, {1, 0, 0}, {4, 0, 0}, {}));
  // u = 0.5: 0·0.5 + 1·0.5 + 2·0.125 + 4·(−0.125) = 0.25.
  EXPECT_FLOAT_EQ(envelope.evaluate(500.0).x, 0.25f);
  // u = 0.25 (row 250): h2 = 0.15625, h3 = 0.140625, h4 = −0.046875 → 0.15625 + 0.28125 − 0.1875.
  EXPECT_NEAR(envelope.evaluate(250.0).x, 0.25f, 1e-6f);
  EXPECT_FLOAT_EQ(envelope.evaluate(1000.0).x, 1.0f);
}

TEST(EnvelopeTest, EqualKeyTimesGiveTheFirstKeysValue) {
  Envelope envelope;
  envelope.addKey(key(0.0, {7, 7, 7}));
  envelope.addKey(key(0.0, {9, 9, 9}));
  envelope.setPostBehaviour(Envelope::kStop);
  const Vector3 v = envelope.evaluate(0.0);
  EXPECT_EQ(v, Vector3(7, 7, 7));
  EXPECT_TRUE(std::isfinite(v.x));
}

TEST(EnvelopeTest, PostBehaviourAfterTheLastKey) {
  // Repeat (the default): past the end the envelope restarts from 0 at that moment.
  RefPtr<PositionController> repeat = ramp(Envelope::kRepeat);
  repeat->start(0.0);
  EXPECT_FLOAT_EQ(repeat->evaluate(500.0).x, 5.0f);
  bool running = false;
  EXPECT_EQ(repeat->evaluate(1010.0, &running), Vector3(0, 0, 0));
  EXPECT_TRUE(running);
  EXPECT_EQ(repeat->startTime(), 1010.0);
  EXPECT_FLOAT_EQ(repeat->evaluate(1510.0).x, 5.0f);

  // Stop: the last value, and update says it has run out.
  RefPtr<PositionController> stop = ramp(Envelope::kStop);
  stop->start(0.0);
  EXPECT_EQ(stop->evaluate(1010.0, &running), Vector3(10, 20, 30));
  EXPECT_FALSE(running);
  EXPECT_FALSE(stop->update(5000.0));
  EXPECT_TRUE(stop->update(999.0));

  // Oscillate: back from the end, then forwards again.
  RefPtr<PositionController> swing = ramp(Envelope::kOscillate);
  swing->start(0.0);
  EXPECT_EQ(swing->evaluate(1010.0), Vector3(10, 20, 30));
  EXPECT_TRUE(swing->isReversed());
  EXPECT_FLOAT_EQ(swing->evaluate(1010.0 + 250.0).x, 10.0f * 0.84375f);  // at 750 ms
  EXPECT_FLOAT_EQ(swing->evaluate(1010.0 + 750.0).x, 10.0f * 0.15625f);  // at 250 ms
  EXPECT_EQ(swing->evaluate(1010.0 + 1100.0), Vector3(0, 0, 0));
  EXPECT_FALSE(swing->isReversed());
  EXPECT_FLOAT_EQ(swing->evaluate(1010.0 + 1100.0 + 750.0).x, 10.0f * 0.84375f);
}

TEST(EnvelopeTest, TimesOutsideTheKeysHoldTheEndValues) {
  RefPtr<PositionController> c = ramp(Envelope::kStop);
  c->start(1000.0);
  EXPECT_EQ(c->evaluate(0.0), Vector3(0, 0, 0));  // before the start
  EXPECT_EQ(c->evaluate(std::numeric_limits<double>::quiet_NaN()), Vector3(0, 0, 0));
  Envelope single;
  single.addKey(key(0.0, {4, 5, 6}));
  EXPECT_EQ(single.evaluate(123456.0), Vector3(4, 5, 6));
  Envelope none;
  EXPECT_EQ(none.evaluate(10.0), Vector3());
}

TEST(EnvelopeControllerTest, EachControllerWritesItsPartOfTheNode) {
  RefPtr<SceneNode> node = SceneNode::create(Matrix34::identity());
  RefPtr<PositionController> position = ramp(Envelope::kStop);
  position->setNode(node);
  position->update(500.0);
  EXPECT_EQ(node->local().translation(), Vector3(5, 10, 15));

  // Heading π/2 then bank π/2: Rz(bank)·Rx(pitch)·Ry(heading) sends +z to +y (Ry first turns it
  // to +x, Rz then to +y); the other order would send it to +x.
  RefPtr<RotationController> rotation = new RotationController;
  rotation->addKey(key(0.0, {1.5707964f, 0.0f, 1.5707964f}));
  rotation->setNode(node);
  rotation->update(0.0);
  const Vector3 z = node->local().transformDirection({0, 0, 1});
  EXPECT_NEAR(z.x, 0.0f, 1e-6f);
  EXPECT_NEAR(z.y, 1.0f, 1e-6f);
  EXPECT_NEAR(z.z, 0.0f, 1e-6f);
  EXPECT_EQ(node->local().translation(), Vector3(5, 10, 15));  // kept
  // Pitch alone turns about x: +y goes to +z for a positive angle.
  rotation = new RotationController;
  rotation->addKey(key(0.0, {0.0f, 1.5707964f, 0.0f}));
  rotation->setNode(node);
  rotation->update(0.0);
  EXPECT_NEAR(node->local().transformDirection({0, 1, 0}).z, 1.0f, 1e-6f);

  RefPtr<ScaleController> scale = new ScaleController;
  scale->addKey(key(0.0, {2, 3, 4}));
  scale->setNode(node);
  scale->update(0.0);
  EXPECT_EQ(node->scale(), Vector3(2, 3, 4));
}

TEST(EnvelopeControllerTest, NegativeScaleKeysAreDropped) {
  RefPtr<ScaleController> scale = new ScaleController;
  EXPECT_TRUE(scale->addKey(key(0.0, {1, 1, 1})));
  EXPECT_FALSE(scale->addKey(key(500.0, {1, -0.5f, 1})));
  EXPECT_FALSE(scale->addKey(key(700.0, {-1, -1, -1})));
  EXPECT_TRUE(scale->addKey(key(1000.0, {0, 2, 2})));
  ASSERT_EQ(scale->keys().size(), 2u);
  EXPECT_EQ(scale->keys()[1].timeMs, 1000.0);
  // Position and rotation take negative values.
  RefPtr<PositionController> position = new PositionController;
  EXPECT_TRUE(position->addKey(key(0.0, {-1, -1, -1})));
}

TEST(LwsAnimationTest, ShorterControllersHoldUntilTheLongestEndsThenAllRestart) {
  RefPtr<SceneNode> root = SceneNode::create(Matrix34::identity(), "a");
  RefPtr<SceneNode> child = SceneNode::create(Matrix34::identity(), "b");
  root->addChild(child);

  RefPtr<PositionController> shortOne = new PositionController;
  shortOne->addKey(key(0.0, {0, 0, 0}));
  shortOne->addKey(key(2000.0, {2, 0, 0}));
  RefPtr<PositionController> longOne = new PositionController;
  longOne->addKey(key(0.0, {0, 0, 0}));
  longOne->addKey(key(5000.0, {5, 0, 0}));

  LwsAnimation animation;
  EXPECT_EQ(animation.name(), "NoName");
  animation.add("a", shortOne);
  animation.add("b", longOne);
  animation.add("nobody", new PositionController);
  EXPECT_EQ(shortOne->postBehaviour(), Envelope::kStop);
  EXPECT_EQ(animation.durationMs(), 5000.0);
  animation.attach(root.get());
  EXPECT_TRUE(animation.entries()[0].attached);
  EXPECT_TRUE(animation.entries()[1].attached);
  EXPECT_FALSE(animation.entries()[2].attached);
  EXPECT_EQ(shortOne->node(), root.get());
  EXPECT_EQ(longOne->node(), child.get());

  animation.start(100.0);
  // Flat keys: x = end · h2(u) with h2 = 3u² − 2u³.
  EXPECT_TRUE(animation.update(100.0 + 1000.0));
  EXPECT_FLOAT_EQ(root->local().translation().x, 1.0f);           // u = 0.5
  EXPECT_NEAR(child->local().translation().x, 5.0f * 0.104f, 1e-5f);  // u = 0.2
  EXPECT_TRUE(animation.update(100.0 + 3500.0));
  EXPECT_FLOAT_EQ(root->local().translation().x, 2.0f);  // held at its last key
  EXPECT_NEAR(child->local().translation().x, 5.0f * 0.784f, 1e-5f);  // u = 0.7
  EXPECT_TRUE(animation.update(100.0 + 5000.0));
  EXPECT_FLOAT_EQ(root->local().translation().x, 2.0f);
  EXPECT_FLOAT_EQ(child->local().translation().x, 5.0f);
  // Past 5000 ms both start again at the same moment.
  EXPECT_TRUE(animation.update(100.0 + 5020.0));
  EXPECT_EQ(animation.startTime(), 5120.0);
  EXPECT_FLOAT_EQ(root->local().translation().x, 0.0f);
  EXPECT_FLOAT_EQ(child->local().translation().x, 0.0f);
  EXPECT_TRUE(animation.update(5120.0 + 1000.0));
  EXPECT_FLOAT_EQ(root->local().translation().x, 1.0f);
  EXPECT_NEAR(child->local().translation().x, 5.0f * 0.104f, 1e-5f);

  // Without repeating it reports the end and every controller holds.
  animation.setRepeats(false);
  EXPECT_FALSE(animation.update(5120.0 + 6000.0));
  EXPECT_FLOAT_EQ(root->local().translation().x, 2.0f);
  EXPECT_FLOAT_EQ(child->local().translation().x, 5.0f);
}

}  // namespace
