#include "engine/SceneNode.h"

#include <algorithm>

#include "foundation/Logger.h"

SceneNode::~SceneNode() {
  // Children that outlive this node become roots.
  for (const RefPtr<SceneNode>& child : childNodes) child->parentNode = nullptr;
}

RefPtr<SceneNode> SceneNode::create(const Matrix34& localMatrix, const char* name) {
  RefPtr<SceneNode> node(new SceneNode(name ? name : ""));
  node->localMatrix = localMatrix;
  node->updateWorld();
  return node;
}

bool SceneNode::addChild(RefPtr<SceneNode> child) {
  if (!child) return false;
  for (const SceneNode* n = this; n; n = n->parentNode) {
    if (n == child.get()) {
      Logger::instance().line(2) << "Scene node cannot be its own descendant" << std::endl;
      return false;
    }
  }
  if (SceneNode* old = child->parentNode) {
    auto& siblings = old->childNodes;
    siblings.erase(std::find(siblings.begin(), siblings.end(), child));
  }
  child->parentNode = this;
  childNodes.push_back(std::move(child));
  return true;
}

void SceneNode::updateWorld() {
  worldMatrix = parentNode ? parentNode->worldMatrix * localMatrix : localMatrix;
  const float factors[3] = {scaleFactors.x, scaleFactors.y, scaleFactors.z};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) worldMatrix.m[row * 4 + col] *= factors[row];
  for (const RefPtr<SceneNode>& child : childNodes) child->updateWorld();
}

RefPtr<SceneNode> SceneNode::clone() const {
  RefPtr<SceneNode> copy(new SceneNode(nodeName));
  copy->localMatrix = localMatrix;
  copy->scaleFactors = scaleFactors;
  for (const RefPtr<SceneNode>& child : childNodes) copy->addChild(child->clone());
  copy->updateWorld();
  return copy;
}

void SceneNode::PreOrderIterator::next() {
  if (!node) return;
  if (!node->childNodes.empty()) {
    childIndices.push_back(0);
    node = node->childNodes[0].get();
    return;
  }
  while (!childIndices.empty()) {
    const std::size_t index = childIndices.back() + 1;
    childIndices.pop_back();
    SceneNode* parent = node->parentNode;
    if (index < parent->childNodes.size()) {
      childIndices.push_back(index);
      node = parent->childNodes[index].get();
      return;
    }
    node = parent;
  }
  node = nullptr;
}
