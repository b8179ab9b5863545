#pragma once
#include <string>
#include <vector>

#include "foundation/RefPtr.h"
#include "loaders/Envelope.h"

class SceneNode;

// The envelope controllers of a LightWave scene, each waiting for the node of its name, played
// together: every controller stops at its own last key, and once the longest has run out they all
// restart at the same moment.
class LwsAnimation {
 public:
  explicit LwsAnimation(std::string name = "NoName") : animationName(std::move(name)) {}

  // Registers a controller for the node called nodeName: the controller is made to stop at its last
  // key, and the animation's duration grows to that key's time when it is longer.
  void add(const std::string& nodeName, RefPtr<EnvelopeController> controller);

  // Walks the tree below root depth first and gives every controller not yet attached whose name
  // matches a node that node as its target. Writes "Attaching controllers to: <name>" to debugOut
  // for each node.
  void attach(SceneNode* root);

  // Starts every controller and the animation at now.
  void start(double nowMs);

  // Plays every attached controller at now. When the animation repeats and now is past its
  // duration, everything restarts at now first. True while the animation repeats or has not yet
  // run past its duration.
  bool update(double nowMs);

  struct Entry {
    std::string nodeName;
    RefPtr<EnvelopeController> controller;
    bool attached = false;
  };
  const std::vector<Entry>& entries() const { return entryList; }
  const std::string& name() const { return animationName; }
  double durationMs() const { return duration; }
  double startTime() const { return startMs; }
  bool repeats() const { return repeatMode == 1; }
  void setRepeats(bool on) { repeatMode = on ? 1 : 0; }

 private:
  std::string animationName;
  std::vector<Entry> entryList;
  unsigned repeatMode = 1;
  double duration = 0.0;
  double startMs = 0.0;
};
