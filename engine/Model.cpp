#include "engine/Model.h"

RefPtr<Model> Model::clone() const {
  RefPtr<Model> copy(new Model);
  copy->boundingSphere = boundingSphere;
  std::vector<bool> placed(instanceList.size(), false);
  if (rootNode) {
    copy->rootNode = rootNode->clone();
    SceneNode::PreOrderIterator source(rootNode.get()), target(copy->rootNode.get());
    for (; !source.done() && !target.done(); source.next(), target.next()) {
      for (std::size_t i = 0; i < instanceList.size(); ++i) {
        if (placed[i] || instanceList[i]->node() != source.current()) continue;
        RefPtr<MeshInstance> instance = instanceList[i]->clone();
        instance->setNode(RefPtr<SceneNode>(target.current()));
        copy->instanceList.push_back(std::move(instance));
        placed[i] = true;
      }
    }
  }
  for (std::size_t i = 0; i < instanceList.size(); ++i) {
    if (placed[i]) continue;
    RefPtr<MeshInstance> instance = instanceList[i]->clone();
    if (SceneNode* own = instanceList[i]->node()) instance->setNode(own->clone());
    copy->instanceList.push_back(std::move(instance));
  }
  return copy;
}
