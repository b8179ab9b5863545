#include "foundation/RefPtr.h"

#include <gtest/gtest.h>

namespace {

class Tracked : public RefCounted {
 public:
  explicit Tracked(int* destroyed) : destroyed(destroyed) {}
  ~Tracked() override { ++*destroyed; }

 private:
  int* destroyed;
};

class TrackedChild : public Tracked {
 public:
  TrackedChild(int* destroyed, int* childDestroyed) : Tracked(destroyed), childDestroyed(childDestroyed) {}
  ~TrackedChild() override { ++*childDestroyed; }

 private:
  int* childDestroyed;
};

TEST(RefPtr, NewObjectStartsAtZeroAndTheFirstPointerTakesIt) {
  int destroyed = 0;
  Tracked* object = new Tracked(&destroyed);
  EXPECT_EQ(object->referenceCount(), 0u);
  {
    RefPtr<Tracked> p(object);
    EXPECT_EQ(object->referenceCount(), 1u);
    RefPtr<Tracked> copy = p;
    EXPECT_EQ(object->referenceCount(), 2u);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, LastReleaseRunsTheDerivedDestructorOnce) {
  int destroyed = 0, childDestroyed = 0;
  RefPtr<Tracked> base(new TrackedChild(&destroyed, &childDestroyed));
  RefPtr<Tracked> second = base;
  base.reset();
  EXPECT_EQ(destroyed, 0);
  second.reset();
  EXPECT_EQ(childDestroyed, 1);
  EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, SelfAssignmentKeepsTheObjectAndItsCount) {
  int destroyed = 0;
  RefPtr<Tracked> p(new Tracked(&destroyed));
  RefPtr<Tracked>& alias = p;
  p = alias;
  EXPECT_EQ(p->referenceCount(), 1u);
  p = p.get();
  EXPECT_EQ(p->referenceCount(), 1u);
  EXPECT_EQ(destroyed, 0);
  RefPtr<Tracked>&& moved = std::move(alias);
  p = std::move(moved);
  EXPECT_TRUE(p);
  EXPECT_EQ(p->referenceCount(), 1u);
  EXPECT_EQ(destroyed, 0);
}

TEST(RefPtr, AssignmentReleasesTheOldObject) {
  int destroyedA = 0, destroyedB = 0;
  RefPtr<Tracked> p(new Tracked(&destroyedA));
  Tracked* b = new Tracked(&destroyedB);
  p = b;
  EXPECT_EQ(destroyedA, 1);
  EXPECT_EQ(b->referenceCount(), 1u);
  p = nullptr;
  EXPECT_EQ(destroyedB, 1);
  EXPECT_FALSE(p);
}

TEST(RefPtr, ResetTwiceIsHarmless) {
  int destroyed = 0;
  RefPtr<Tracked> p(new Tracked(&destroyed));
  p.reset();
  p.reset();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(p.get(), nullptr);
}

TEST(RefPtr, MoveHandsOverWithoutTouchingTheCount) {
  int destroyed = 0;
  RefPtr<Tracked> p(new Tracked(&destroyed));
  RefPtr<Tracked> q(std::move(p));
  EXPECT_FALSE(p);
  EXPECT_EQ(q->referenceCount(), 1u);
  RefPtr<Tracked> r;
  r = std::move(q);
  EXPECT_FALSE(q);
  EXPECT_EQ(r->referenceCount(), 1u);
  r.reset();
  EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, DerivedPointerConvertsToBase) {
  int destroyed = 0, childDestroyed = 0;
  RefPtr<TrackedChild> child(new TrackedChild(&destroyed, &childDestroyed));
  RefPtr<Tracked> base = child;
  EXPECT_EQ(base->referenceCount(), 2u);
  EXPECT_TRUE(base == child.get());
  child.reset();
  EXPECT_EQ(childDestroyed, 0);
}

TEST(RefPtr, CopiedObjectStartsWithItsOwnCount) {
  int destroyed = 0;
  RefPtr<Tracked> p(new Tracked(&destroyed));
  Tracked* copy = new Tracked(*p);
  EXPECT_EQ(copy->referenceCount(), 0u);
  RefPtr<Tracked> q(copy);
  EXPECT_EQ(p->referenceCount(), 1u);
}

}  // namespace
