#include "loaders/LwsAnimation.h"

#include <ostream>

#include "engine/SceneNode.h"
#include "foundation/Logger.h"

void LwsAnimation::add(const std::string& nodeName, RefPtr<EnvelopeController> controller) {
  if (!controller) return;
  controller->setPostBehaviour(Envelope::kStop);
  if (!controller->keys().empty() && controller->keys().back().timeMs > duration) {
    duration = controller->keys().back().timeMs;
  }
  entryList.push_back(Entry{nodeName, std::move(controller), false});
}

void LwsAnimation::attach(SceneNode* root) {
  for (SceneNode::PreOrderIterator it(root); !it.done(); it.next()) {
    SceneNode* node = it.current();
    debugOut() << "Attaching controllers to: " << node->name() << std::endl;
    for (Entry& entry : entryList) {
      if (entry.attached || entry.nodeName != node->name()) continue;
      entry.controller->setNode(RefPtr<SceneNode>(node));
      entry.attached = true;
    }
  }
}

void LwsAnimation::start(double nowMs) {
  startMs = nowMs;
  for (Entry& entry : entryList) entry.controller->start(nowMs);
}

bool LwsAnimation::update(double nowMs) {
  const bool pastEnd = nowMs - startMs > duration;
  if (pastEnd && repeats()) start(nowMs);
  for (Entry& entry : entryList) {
    if (entry.attached) entry.controller->update(nowMs);
  }
  return repeats() || !pastEnd;
}
