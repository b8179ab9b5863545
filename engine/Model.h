#pragma once
#include <vector>

#include "engine/BoundingSphere.h"
#include "engine/MeshInstance.h"
#include "engine/SceneNode.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

// What every loader returns: a node tree, the instances hanging on it and a bounding sphere.
class Model : public RefCounted {
 public:
  void setNode(RefPtr<SceneNode> root) { rootNode = std::move(root); }
  SceneNode* node() const { return rootNode.get(); }
  void addInstance(RefPtr<MeshInstance> instance) { instanceList.push_back(std::move(instance)); }
  const std::vector<RefPtr<MeshInstance>>& instances() const { return instanceList; }
  const BoundingSphere& bounds() const { return boundingSphere; }
  void setBounds(const BoundingSphere& b) { boundingSphere = b; }

  // A copy with its own node tree and instances (cloned materials, shared meshes), placed on the
  // copied nodes. Instances are listed in the tree's depth-first order; an instance whose node is
  // not in the tree is placed on a copy of its own node (or none if it has none).
  RefPtr<Model> clone() const;

 private:
  RefPtr<SceneNode> rootNode;
  std::vector<RefPtr<MeshInstance>> instanceList;
  BoundingSphere boundingSphere;
};
