#include <gtest/gtest.h>

#include <cmath>

#include "engine/MathConstants.h"
#include "engine/Material.h"
#include "engine/ParticleEmitter.h"
#include "foundation/Random.h"

namespace {

TEST(ParticleEmitterTest, PoolSizeFromRateAndLifetime) {
  const struct {
    float rate, lifetime;
    std::uint32_t capacity;
    float storedRate, storedLifetime;
  } cases[] = {
      {10, 2, 22, 10, 2}, {100, 0.5f, 55, 100, 0.5f}, {3, 1, 3, 3, 1},  // 3.3 truncates
      {0, 2, 2, 1, 2},    {10, -1, 11, 10, 1},        {-5, 0, 1, 1, 1},
  };
  for (const auto& c : cases) {
    ParticleEmitter emitter(c.rate, c.lifetime);
    EXPECT_EQ(emitter.capacity(), c.capacity) << c.rate << " " << c.lifetime;
    EXPECT_EQ(emitter.rate(), c.storedRate);
    EXPECT_EQ(emitter.lifetime(), c.storedLifetime);
    EXPECT_EQ(emitter.liveCount(), 0);
    EXPECT_EQ(emitter.begin(), -1);
  }
  ParticleEmitter emitter(10, 2);
  emitter.configure(5, 2);
  EXPECT_EQ(emitter.capacity(), 11u);
}

TEST(ParticleEmitterTest, FractionalEmissionCarriesOver) {
  ParticleEmitter emitter(10, 100);
  // 16 ms at 10 per second is 0.16 particles per frame: the first after 7 frames, the second after 13.
  int firstFrame = 0, secondFrame = 0;
  for (int frame = 1; frame <= 13; ++frame) {
    emitter.update(16.0);
    if (emitter.liveCount() == 1 && !firstFrame) firstFrame = frame;
    if (emitter.liveCount() == 2 && !secondFrame) secondFrame = frame;
  }
  EXPECT_EQ(firstFrame, 7);
  EXPECT_EQ(secondFrame, 13);
  EXPECT_NEAR(emitter.emitCarry(), 0.08f, 1e-5f);
}

TEST(ParticleEmitterTest, FullPoolDropsEmissionsAndKeepsFraction) {
  ParticleEmitter emitter(10, 1);  // 11 slots
  emitter.update(5050.0);          // 50.5 wanted
  EXPECT_EQ(emitter.liveCount(), 11);
  EXPECT_NEAR(emitter.emitCarry(), 0.5f, 1e-4f);
}

TEST(ParticleEmitterTest, ParticleAtExactLifetimeLivesOneMoreFrame) {
  ParticleEmitter emitter(1, 1);  // one slot
  emitter.setSizes(2.0f, 6.0f);
  emitter.update(1000.0);
  ASSERT_EQ(emitter.begin(), 0);
  EXPECT_EQ(emitter.particle(0).age, 0.0f);
  EXPECT_EQ(emitter.particle(0).size, 2.0f);
  emitter.update(500.0);
  EXPECT_EQ(emitter.particle(0).size, 4.0f);
  emitter.update(500.0);  // age 1.0 == lifetime
  EXPECT_TRUE(emitter.particle(0).alive());
  EXPECT_EQ(emitter.particle(0).size, 6.0f);
  emitter.update(1.0);
  EXPECT_FALSE(emitter.particle(0).alive());
  EXPECT_EQ(emitter.begin(), -1);
}

TEST(ParticleEmitterTest, SpreadClamps) {
  ParticleEmitter emitter(1, 1);
  const struct {
    float in, stored;
  } cases[] = {{4.0f, kPi}, {-1.0f, 0.0f}, {0.5f, 0.5f}, {kPi, kPi}};
  for (const auto& c : cases) {
    emitter.setSpread(c.in);
    EXPECT_EQ(emitter.spread(), c.stored) << c.in;
  }
}

TEST(ParticleEmitterTest, ZeroSpreadFliesAlongDirection) {
  // Within 0.001 of straight down counts as straight down (a half turn about a random horizontal axis).
  const struct {
    Vector3 dir, expected;
  } cases[] = {{{0, 3, 0}, {0, 3, 0}},   {{2, 0, 0}, {2, 0, 0}},   {{0, 0, -1}, {0, 0, -1}},
               {{1, 1, 1}, {1, 1, 1}},   {{0, -2, 0}, {0, -2, 0}}, {{0.0001f, -2, 0}, {0, -2, 0}}};
  for (const auto& c : cases) {
    const Vector3& dir = c.dir;
    ParticleEmitter emitter(100, 1);
    emitter.setPosition(Vector3(1, 2, 3));
    emitter.setDirection(dir);
    emitter.update(100.0);  // 10 particles, not yet moved
    ASSERT_EQ(emitter.liveCount(), 10);
    for (int i = emitter.begin(); i != -1; i = emitter.next(i)) {
      const Particle& p = emitter.particle(i);
      EXPECT_EQ(p.position, Vector3(1, 2, 3));
      EXPECT_TRUE(p.velocity.equals(c.expected, 1e-5f)) << dir.x << " " << dir.y << " " << dir.z;
      EXPECT_EQ(p.emitter, &emitter);
    }
    emitter.update(500.0);  // moved by velocity · 0.5 s
    const Particle& first = emitter.particle(emitter.begin());
    EXPECT_TRUE(first.position.equals(Vector3(1, 2, 3) + c.expected * 0.5f, 1e-4f));
  }
}

TEST(ParticleEmitterTest, ConeBoundsDirections) {
  resetRandom();
  ParticleEmitter emitter(1000, 1);
  emitter.setDirection(Vector3(0, 0, 4));
  emitter.setSpread(0.3f);
  emitter.update(200.0);
  ASSERT_EQ(emitter.liveCount(), 200);
  float widest = 0.0f;
  for (int i = emitter.begin(); i != -1; i = emitter.next(i)) {
    const Vector3& v = emitter.particle(i).velocity;
    EXPECT_NEAR(v.length(), 4.0f, 1e-4f);
    const float angle = std::acos(std::min(1.0f, v.z / v.length()));
    EXPECT_LE(angle, 0.3f + 1e-4f);
    widest = std::max(widest, angle);
  }
  EXPECT_GT(widest, 0.25f);  // the cone is used, not just its axis
}

TEST(ParticleEmitterTest, InterpolatesColorAndRotation) {
  ParticleEmitter emitter(1, 2);  // two slots
  emitter.setColors(Color(0x000000FFu), Color(0xFF0000FFu));
  emitter.setRotations(1.0f, 3.0f);
  emitter.update(1000.0);
  const Particle& p = emitter.particle(0);
  const float offset = p.rotationOffset;
  EXPECT_GE(offset, 0.0f);
  EXPECT_LE(offset, kTwoPi);
  EXPECT_EQ(p.rotation, offset);
  EXPECT_EQ(p.color.value, 0x000000FFu);
  emitter.update(1000.0);  // f = 0.5
  EXPECT_EQ(p.color.value, 0x7F0000FFu);
  EXPECT_FLOAT_EQ(p.rotation, 2.0f + offset);
  // Equal start and end rotations give no random phase.
  ParticleEmitter still(1, 2);
  still.setRotations(0.5f, 0.5f);
  still.update(1000.0);
  EXPECT_EQ(still.particle(0).rotationOffset, 0.0f);
  EXPECT_EQ(still.particle(0).rotation, 0.0f);
}

TEST(ParticleEmitterTest, EqualStartAndEndKeepTheirExactValue) {
  const float v = 27 * 0.001f;  // v·0.7 + v·0.3 != v in float
  ParticleEmitter emitter(1, 2);
  emitter.setSizes(v, v);
  emitter.setRotations(v, v);
  emitter.setColors(Color(0x80402010u), Color(0x80402010u));
  emitter.update(1000.0);
  emitter.update(600.0);  // f = 0.3
  const Particle& p = emitter.particle(0);
  EXPECT_EQ(p.size, v);
  EXPECT_EQ(p.rotation, v);
  EXPECT_EQ(p.color.value, 0x80402010u);
}

TEST(ParticleEmitterTest, FindAndIterationSkipDeadSlots) {
  ParticleEmitter emitter(10, 1);
  emitter.update(300.0);  // slots 0, 1, 2 alive
  EXPECT_EQ(emitter.begin(), 0);
  EXPECT_EQ(emitter.next(0), 1);
  EXPECT_EQ(emitter.next(2), -1);
  EXPECT_EQ(emitter.find(0, false), 3);
  EXPECT_EQ(emitter.find(11, false), -1);
  EXPECT_EQ(emitter.find(-1, true), -1);
}

TEST(ParticleEmitterTest, MaterialIsHeldAndReleased) {
  RefPtr<Material> material(new Material);
  {
    ParticleEmitter emitter(1, 1);
    emitter.setMaterial(material);
    EXPECT_EQ(emitter.material(), material.get());
    EXPECT_EQ(material->referenceCount(), 2u);
  }
  EXPECT_EQ(material->referenceCount(), 1u);
}

TEST(ParticleEmitterTest, ZeroDirectionStaysFinite) {
  ParticleEmitter emitter(10, 1);
  emitter.setDirection(Vector3());
  EXPECT_EQ(emitter.speed(), 0.0f);
  emitter.update(200.0);
  const Vector3& v = emitter.particle(emitter.begin()).velocity;
  EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

}  // namespace
