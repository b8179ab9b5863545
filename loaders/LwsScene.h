#pragma once
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "engine/Model.h"
#include "foundation/RefPtr.h"
#include "loaders/Envelope.h"
#include "loaders/LwsAnimation.h"

// Loads one object file that a scene names: the application's ObjectLoader, or a stub in tests and
// the fuzzer. Null when the file gives no model.
using LwsObjectLoader = std::function<RefPtr<Model>(const std::string& path)>;

// A LightWave scene (".lws", text, "LWSC" version 3): its objects, loaded through the object loader
// from the scene's own directory, their parent links and the keyframed position, rotation and scale
// of each. Null objects become empty nodes, so that what hangs on them still moves with them.
// Lights, cameras, bones and everything else are not read.
//
// Damaged files are read as far as they make sense: broken key lines, channel blocks without their
// closing brace and parent links that name no loaded object (or would close a loop) are skipped, and
// one log line names the file and what was skipped.
class LwsScene {
 public:
  struct Object {
    std::string file;                      // as the scene names it (a null object's name)
    RefPtr<Model> model;                   // null when the file gave no model
    std::vector<EnvelopeKey> positionKeys;  // channels 0, 1, 2 merged by time, in time order
    std::vector<EnvelopeKey> rotationKeys;  // channels 3, 4, 5: heading, pitch, bank in radians
    std::vector<EnvelopeKey> scaleKeys;     // channels 6, 7, 8
    int parent = -1;                       // the object number "ParentItem" gives, −1 without one
    int linkedParent = -1;                 // the parent used for linking, −1 when skipped
  };

  // Reads the file when its extension is ".lws" (in any case); anything else leaves the scene empty.
  LwsScene(const std::string& path, const LwsObjectLoader& loadObject);
  // Reads scene text already in memory; path names it in log lines and gives the objects' directory.
  LwsScene(std::istream& text, const std::string& path, const LwsObjectLoader& loadObject);

  const std::vector<Object>& objects() const { return objectList; }
  bool isEmpty() const { return objectList.empty(); }

  // One object: its model. More: the objects linked to their parents under the one parentless
  // object, or under a new root when there are several; every instance of every object in one
  // model. Null when no object loaded. The object models' nodes are linked, so call this once.
  RefPtr<Model> createModel();

  // One controller per non-empty key group of every loaded object, named after the object's node.
  LwsAnimation createAnimation() const;

 private:
  void read(std::istream& text, const std::string& path, const LwsObjectLoader& loadObject);

  std::vector<Object> objectList;
};
