#pragma once
#include <string>
#include <vector>

#include "engine/Matrix34.h"
#include "engine/Vector3.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

// Transform hierarchy. A node owns its children; its parent is a plain back link.
class SceneNode : public RefCounted {
 public:
  explicit SceneNode(std::string name = {}) : nodeName(std::move(name)) {}
  ~SceneNode() override;

  // A node with the given local transform and its world transform already computed.
  static RefPtr<SceneNode> create(const Matrix34& localMatrix, const char* name = nullptr);

  // Callers write the local transform (or its translation at 3, 7, 11), then call updateWorld.
  Matrix34& local() { return localMatrix; }
  const Matrix34& local() const { return localMatrix; }
  const Matrix34& world() const { return worldMatrix; }
  // Per-axis factors applied to the rows of the world linear block, after the rotation.
  Vector3& scale() { return scaleFactors; }
  const Vector3& scale() const { return scaleFactors; }
  void setScale(const Vector3& s) { scaleFactors = s; }

  SceneNode* parent() const { return parentNode; }
  const std::vector<RefPtr<SceneNode>>& children() const { return childNodes; }
  const std::string& name() const { return nodeName; }
  void setName(std::string name) { nodeName = std::move(name); }

  // Appends the child (moving it from a previous parent). Refuses null, the node itself and its
  // ancestors, which would make the tree a cycle. World transforms are not recomputed.
  bool addChild(RefPtr<SceneNode> child);
  // world = parent.world · local (or local for a root), rows of the linear block scaled, then
  // the same for every descendant. The parent is not updated first.
  void updateWorld();
  // Deep copy of the subtree, as a new root with world transforms computed.
  RefPtr<SceneNode> clone() const;

  // Pre-order walk of the subtree below (and including) a start node.
  class PreOrderIterator {
   public:
    explicit PreOrderIterator(SceneNode* start) : node(start) {}
    SceneNode* current() const { return node; }
    bool done() const { return node == nullptr; }
    void next();

   private:
    SceneNode* node;
    std::vector<std::size_t> childIndices;
  };

 private:
  Matrix34 localMatrix;
  Vector3 scaleFactors{1.0f, 1.0f, 1.0f};
  Matrix34 worldMatrix;
  SceneNode* parentNode = nullptr;  // back link, not a reference
  std::vector<RefPtr<SceneNode>> childNodes;
  std::string nodeName;
};
