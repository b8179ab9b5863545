#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Quaternion.h"
#include "engine/SceneNode.h"

namespace {

TEST(SceneNodeTest, ScaleRulesOfUpdateWorld) {
  const struct {
    Vector3 rootTranslation;
    Vector3 rootScale;
    Vector3 childTranslation;
    float diagonal[3];
    Vector3 rootWorld;
    Vector3 childWorld;
  } cases[] = {
      // Scale lands on the diagonal; a node's own translation is never scaled.
      {{0, 0, 0}, {2, 1, 1}, {0, 0, 0}, {2, 1, 1}, {0, 0, 0}, {0, 0, 0}},
      {{0, 0, 5}, {1, 1, 2}, {0, 0, 0}, {1, 1, 2}, {0, 0, 5}, {0, 0, 5}},
      // The parent's scaled block applies to the child's translation.
      {{0, 0, 0}, {1, 1, 2}, {0, 0, 5}, {1, 1, 2}, {0, 0, 0}, {0, 0, 10}},
      {{1, 2, 3}, {3, 1, 1}, {1, 1, 1}, {3, 1, 1}, {1, 2, 3}, {4, 3, 4}},
  };
  for (const auto& c : cases) {
    RefPtr<SceneNode> root = SceneNode::create(Matrix34::translation(c.rootTranslation));
    RefPtr<SceneNode> child = SceneNode::create(Matrix34::translation(c.childTranslation), "child");
    root->addChild(child);
    root->setScale(c.rootScale);
    root->updateWorld();
    const Matrix34& w = root->world();
    EXPECT_EQ(w[0], c.diagonal[0]);
    EXPECT_EQ(w[5], c.diagonal[1]);
    EXPECT_EQ(w[10], c.diagonal[2]);
    EXPECT_EQ(w.translation(), c.rootWorld);
    EXPECT_EQ(child->world().translation(), c.childWorld);
    // Inherited: the child's block carries the parent's scale.
    EXPECT_EQ(child->world()[10], c.diagonal[2]);
  }
}

TEST(SceneNodeTest, ScaleActsAlongWorldAxesAfterRotation) {
  // Rotation of 90° about z (x → y), scale x by 2: rows are scaled, so world x grows, not local x.
  RefPtr<SceneNode> node = SceneNode::create(Matrix34(0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0));
  node->setScale(Vector3(2, 1, 1));
  node->updateWorld();
  EXPECT_EQ(node->world().transformDirection(Vector3(0, 1, 0)), Vector3(-2, 0, 0));
  EXPECT_EQ(node->world().transformDirection(Vector3(1, 0, 0)), Vector3(0, 1, 0));
}

TEST(SceneNodeTest, UpdateWorldDoesNotRecomputeParent) {
  RefPtr<SceneNode> root = SceneNode::create(Matrix34::identity());
  RefPtr<SceneNode> child = SceneNode::create(Matrix34::translation(Vector3(1, 0, 0)));
  root->addChild(child);
  root->local().setTranslation(Vector3(0, 10, 0));
  child->updateWorld();  // parent's world is still the identity
  EXPECT_EQ(child->world().translation(), Vector3(1, 0, 0));
  root->updateWorld();
  EXPECT_EQ(child->world().translation(), Vector3(1, 10, 0));
}

RefPtr<SceneNode> threeLevelTree() {
  RefPtr<SceneNode> root = SceneNode::create(Matrix34::translation(Vector3(1, 0, 0)), "root");
  RefPtr<SceneNode> a = SceneNode::create(Quaternion::fromAxisAngle(Vector3(0, 1, 0), 0.5f).toMatrix34(), "a");
  RefPtr<SceneNode> b = SceneNode::create(Matrix34::translation(Vector3(0, 2, 0)), "b");
  RefPtr<SceneNode> a1 = SceneNode::create(Matrix34::translation(Vector3(0, 0, 3)), "a1");
  root->addChild(a);
  root->addChild(b);
  a->addChild(a1);
  a->setScale(Vector3(2, 2, 2));
  root->updateWorld();
  return root;
}

std::vector<std::string> preOrderNames(SceneNode* start) {
  std::vector<std::string> names;
  for (SceneNode::PreOrderIterator it(start); !it.done(); it.next()) names.push_back(it.current()->name());
  return names;
}

TEST(SceneNodeTest, CloneCopiesShapeAndTransformsIntoNewNodes) {
  RefPtr<SceneNode> root = threeLevelTree();
  RefPtr<SceneNode> copy = root->clone();
  EXPECT_EQ(copy->parent(), nullptr);
  EXPECT_EQ(preOrderNames(copy.get()), preOrderNames(root.get()));
  SceneNode::PreOrderIterator s(root.get()), c(copy.get());
  for (; !s.done(); s.next(), c.next()) {
    ASSERT_FALSE(c.done());
    EXPECT_NE(s.current(), c.current());
    EXPECT_EQ(s.current()->world(), c.current()->world());
    EXPECT_EQ(s.current()->scale(), c.current()->scale());
    EXPECT_EQ(s.current()->children().size(), c.current()->children().size());
  }
  EXPECT_TRUE(c.done());
  // Moving the copy leaves the source alone.
  copy->local().setTranslation(Vector3(9, 9, 9));
  copy->updateWorld();
  EXPECT_EQ(root->world().translation(), Vector3(1, 0, 0));
  EXPECT_EQ(copy->children()[0]->parent(), copy.get());
}

TEST(SceneNodeTest, PreOrderVisitsSubtreeOnly) {
  RefPtr<SceneNode> root = threeLevelTree();
  EXPECT_EQ(preOrderNames(root.get()), (std::vector<std::string>{"root", "a", "a1", "b"}));
  // Starting inside the tree stops at the start node's subtree.
  EXPECT_EQ(preOrderNames(root->children()[0].get()), (std::vector<std::string>{"a", "a1"}));
  EXPECT_EQ(preOrderNames(root->children()[1].get()), (std::vector<std::string>{"b"}));
}

TEST(SceneNodeTest, AddChildRefusesCyclesAndMovesBetweenParents) {
  RefPtr<SceneNode> root = threeLevelTree();
  SceneNode* a = root->children()[0].get();
  SceneNode* a1 = a->children()[0].get();
  EXPECT_FALSE(a1->addChild(RefPtr<SceneNode>(root)));
  EXPECT_FALSE(a->addChild(RefPtr<SceneNode>(a)));
  EXPECT_FALSE(a->addChild(nullptr));
  RefPtr<SceneNode> b = root->children()[1];
  EXPECT_TRUE(a->addChild(b));
  EXPECT_EQ(root->children().size(), 1u);
  EXPECT_EQ(b->parent(), a);
}

TEST(SceneNodeTest, DestroyedParentLeavesChildrenAsRoots) {
  RefPtr<SceneNode> child = SceneNode::create(Matrix34::identity());
  {
    RefPtr<SceneNode> parent = SceneNode::create(Matrix34::identity());
    parent->addChild(child);
    EXPECT_EQ(child->referenceCount(), 2u);
  }
  EXPECT_EQ(child->parent(), nullptr);
  EXPECT_EQ(child->referenceCount(), 1u);
}

}  // namespace
