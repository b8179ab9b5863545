#include "loaders/LwsAnimation.h"

#include <ostream>
#include <unordered_map>
#include <vector>

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
  // The waiting entries by name, so that a large scene is not searched once per node.
  std::unordered_map<std::string, std::vector<Entry*>> waiting;
  for (Entry& entry : entryList) {
    if (!entry.attached) waiting[entry.nodeName].push_back(&entry);
  }
  for (SceneNode::PreOrderIterator it(root); !it.done(); it.next()) {
    SceneNode* node = it.current();
    debugOut() << "Attaching controllers to: " << node->name() << std::endl;
    const auto match = waiting.find(node->name());
    if (match == waiting.end()) continue;
    for (Entry* entry : match->second) {
      entry->controller->setNode(RefPtr<SceneNode>(node));
      entry->attached = true;
    }
    waiting.erase(match);
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
