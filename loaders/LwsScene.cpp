#include "loaders/LwsScene.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string_view>

#include "engine/Matrix34.h"
#include "engine/SceneNode.h"
#include "foundation/FileResolver.h"
#include "foundation/KeywordLine.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/StringUtils.h"

namespace {

constexpr int kChannelCount = 9;
// "Key" value time spantype p1 p2 p3 p4 p5: value, time, incoming (p4) and outgoing (p5) tangent.
constexpr std::size_t kKeyWords = 8;
constexpr std::size_t kKeyValue = 0, kKeyTime = 1, kKeyIn = 6, kKeyOut = 7;
// "ParentItem" numbers are eight hex digits: the item type (1 for objects), then the index.
constexpr std::uint32_t kObjectItemType = 1;
constexpr int kItemTypeShift = 28;
constexpr std::uint32_t kItemIndexMask = 0x0FFFFFFF;
// How deep objects may hang below a parentless one.
constexpr int kMaxDepth = 1000;
// How many skipped things a log line names one by one.
constexpr std::size_t kNamedProblems = 3;

// Lines that begin the next item of the scene, and so end the lines of the current object.
bool startsItem(const std::string& keyword) {
  static const char* const kItems[] = {"LoadObjectLayer", "LoadObject", "AddNullObject",
                                       "AddLight",        "AddCamera",  "AddBone"};
  return std::any_of(std::begin(kItems), std::end(kItems), [&](const char* item) { return keyword == item; });
}

// Lines that cannot belong to an envelope block: meeting one means the block was never closed.
bool endsBlock(const std::string& keyword) {
  return keyword == "Channel" || keyword == "{" || keyword == "ParentItem" || startsItem(keyword);
}

std::string trimBlanks(const std::string& text) {
  const std::size_t first = findNonBlank(text);
  if (first == std::string::npos) return {};
  std::size_t last = text.size();
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

// Up to max blank-separated words of text; returns how many were found.
std::size_t splitWords(const std::string& text, std::string_view* words, std::size_t max) {
  std::size_t count = 0;
  std::size_t pos = findNonBlank(text);
  while (pos != std::string::npos && count < max) {
    std::size_t end = findBlank(text, pos);
    if (end == std::string::npos) end = text.size();
    words[count++] = std::string_view(text).substr(pos, end - pos);
    pos = findNonBlank(text, end);
  }
  return count;
}

// The whole word as a finite decimal number (locale-independent); false for anything else.
bool parseNumber(std::string_view word, double& value) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  if (word.empty()) return false;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  return error == std::errc() && stop == end && std::isfinite(value);
}

// The channel number of a "Channel" line, or −1 when it is not one of 0..8.
int channelNumber(const std::string& rest) {
  const std::string text = trimBlanks(rest);
  if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + kChannelCount) return -1;
  return text[0] - '0';
}

// The object index of a "ParentItem" line, or −1 when it names no object (a light, camera or bone,
// or no item number at all).
int parentObject(const std::string& rest) {
  std::string_view word;
  if (splitWords(rest, &word, 1) != 1 || word.size() > 8) return -1;
  std::uint32_t item = 0;
  const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), item, 16);
  if (error != std::errc() || stop != word.data() + word.size()) return -1;
  if ((item >> kItemTypeShift) != kObjectItemType) return -1;
  return static_cast<int>(item & kItemIndexMask);
}

float& component(Vector3& v, int c) { return c == 0 ? v.x : (c == 1 ? v.y : v.z); }

struct ChannelKey {
  double timeMs;
  float value;
  float inTangent;
  float outTangent;
};

// The channel's own value at t: its key there, linear between its neighbouring keys, its first or
// last value outside them. The channel is sorted and not empty.
float channelValueAt(const std::vector<ChannelKey>& keys, double t) {
  const auto after = std::lower_bound(keys.begin(), keys.end(), t,
                                      [](const ChannelKey& k, double time) { return k.timeMs < time; });
  if (after == keys.end()) return keys.back().value;
  if (after->timeMs == t || after == keys.begin()) return after->value;
  const ChannelKey& before = *(after - 1);
  const double share = (t - before.timeMs) / (after->timeMs - before.timeMs);
  return static_cast<float>(before.value + (after->value - before.value) * share);
}

// The three channels of a group as one key list: one key per time that any of them has a key at.
// A component without a key at that time takes its own channel's value there with flat tangents
// (a channel with no keys at all, the default), so differently keyed channels keep their curves.
std::vector<EnvelopeKey> mergeGroup(std::vector<ChannelKey>* channels, float defaultValue) {
  std::vector<double> times;
  for (int c = 0; c < 3; ++c) {
    std::vector<ChannelKey>& keys = channels[c];
    std::stable_sort(keys.begin(), keys.end(),
                     [](const ChannelKey& a, const ChannelKey& b) { return a.timeMs < b.timeMs; });
    // Of keys sharing a time the first stays: a curve has one value at a time.
    keys.erase(std::unique(keys.begin(), keys.end(),
                           [](const ChannelKey& a, const ChannelKey& b) { return a.timeMs == b.timeMs; }),
               keys.end());
    for (const ChannelKey& k : keys) times.push_back(k.timeMs);
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());

  std::vector<EnvelopeKey> merged;
  merged.reserve(times.size());
  for (double t : times) {
    EnvelopeKey key;
    key.timeMs = t;
    for (int c = 0; c < 3; ++c) {
      const std::vector<ChannelKey>& keys = channels[c];
      const auto hit = std::lower_bound(keys.begin(), keys.end(), t,
                                        [](const ChannelKey& k, double time) { return k.timeMs < time; });
      if (hit != keys.end() && hit->timeMs == t) {
        component(key.value, c) = hit->value;
        component(key.inTangent, c) = hit->inTangent;
        component(key.outTangent, c) = hit->outTangent;
      } else {
        component(key.value, c) = keys.empty() ? defaultValue : channelValueAt(keys, t);
      }
    }
    merged.push_back(key);
  }
  return merged;
}

// What was skipped while reading one file: counted, the first few named, logged as one line.
class Problems {
 public:
  void add(const std::string& kind, const std::string& detail) {
    for (Entry& entry : entries) {
      if (entry.kind != kind) continue;
      if (++entry.count <= kNamedProblems) entry.details += ", " + detail;
      return;
    }
    entries.push_back(Entry{kind, detail, 1});
  }
  void log(const std::string& path) const {
    if (entries.empty()) return;
    std::ostream& line = Logger::instance().line(2) << path << ": skipped ";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      line << (i ? "; " : "") << e.count << ' ' << e.kind << " (" << e.details
           << (e.count > kNamedProblems ? ", ..." : "") << ')';
    }
    line << std::endl;
  }

 private:
  struct Entry {
    std::string kind;
    std::string details;
    std::size_t count;
  };
  std::vector<Entry> entries;
};

// One pass over the scene text, line by line.
class LwsReader {
 public:
  LwsReader(std::istream& text, const std::string& path, const LwsObjectLoader& loadObject,
            std::vector<LwsScene::Object>& objects)
      : text(text), scenePath(path), loadObject(loadObject), objects(objects) {}

  void read() {
    if (!nextLine() || line.keyword != "LWSC") {
      Logger::instance().line(2) << scenePath << ": not a LightWave scene (no \"LWSC\" header)" << std::endl;
      return;
    }
    if (!nextLine() || line.keyword != "3") {
      Logger::instance().line(2) << scenePath << ": LightWave scene version \"" << line.keyword
                                 << "\" is not read (only version 3)" << std::endl;
      return;
    }
    haveLine = nextLine();
    while (haveLine) {
      if (line.keyword == "LoadObjectLayer") {
        readObject(false);
      } else if (line.keyword == "AddNullObject") {
        readObject(true);
      } else {
        haveLine = nextLine();
      }
    }
    linkParents();
    problems.log(scenePath);
    if (objects.empty()) Logger::instance().line(1) << scenePath << ": no objects in the scene" << std::endl;
  }

 private:
  bool nextLine() {
    if (!line.read(text)) return false;
    ++lineNumber;
    return true;
  }

  std::string lineName() const { return "line " + toString(lineNumber); }

  // From an object's first line up to the line that starts the next item (or the end).
  void readObject(bool isNull) {
    LwsScene::Object object;
    const int number = static_cast<int>(objects.size());
    if (isNull) {
      object.file = trimBlanks(line.rest);
      RefPtr<Model> model = new Model;
      model->setNode(SceneNode::create(Matrix34::identity()));
      object.model = model;
    } else {
      line.next();  // the layer number
      object.file = trimBlanks(line.rest);
      object.model = load(object.file);
    }
    if (object.model && object.model->node()) {
      const std::string name = Path(object.file).fileName() + toString(number);
      object.model->node()->setName(name);
      debugOut() << "Imported " << name << std::endl;
    }

    std::vector<ChannelKey> channels[kChannelCount];
    int pendingChannel = -1;
    bool parentSeen = false;
    haveLine = nextLine();
    while (haveLine && !startsItem(line.keyword)) {
      if (line.keyword == "Channel") {
        pendingChannel = channelNumber(line.rest);
        haveLine = nextLine();
      } else if (line.keyword == "{") {
        // Other envelopes of the object (a dissolve, say) are read past but not kept.
        const int channel = trimBlanks(line.rest) == "Envelope" ? pendingChannel : -1;
        pendingChannel = -1;
        std::vector<ChannelKey> keys;
        if (!readEnvelope(keys)) {
          problems.add("channel blocks without a closing brace", "object " + toString(number));
        } else if (channel >= 0) {
          channels[channel].insert(channels[channel].end(), keys.begin(), keys.end());
        }
      } else if (line.keyword == "ParentItem") {
        if (!parentSeen) {
          parentSeen = true;
          object.parent = parentObject(line.rest);
          if (object.parent < 0) problems.add("ParentItem lines that name no object", lineName());
        }
        haveLine = nextLine();
      } else {
        haveLine = nextLine();
      }
    }
    object.positionKeys = mergeGroup(&channels[0], 0.0f);
    object.rotationKeys = mergeGroup(&channels[3], 0.0f);
    object.scaleKeys = mergeGroup(&channels[6], 1.0f);
    objects.push_back(std::move(object));
  }

  RefPtr<Model> load(const std::string& file) {
    if (file.empty()) {
      problems.add("objects without a file name", lineName());
      return nullptr;
    }
    // The object is looked for beside the scene, whatever directory the scene names.
    Path objectPath(file);
    objectPath.setDirectory(Path(scenePath).directory());
    if (toLower(objectPath.extension()) == ".lws") {
      problems.add("scenes named as objects", "\"" + objectPath.full() + "\"");
      return nullptr;
    }
    RefPtr<Model> model = loadObject ? loadObject(objectPath.full()) : nullptr;
    if (!model || !model->node()) {
      problems.add("objects that did not load", "\"" + objectPath.full() + "\"");
      return nullptr;
    }
    return model;
  }

  // After "{ Envelope": key lines up to the closing brace. True when the brace was found; the line
  // after it is then current. Otherwise the line that ended the block (or the end) is current.
  bool readEnvelope(std::vector<ChannelKey>& keys) {
    while ((haveLine = nextLine())) {
      if (line.keyword == "}") {
        haveLine = nextLine();
        return true;
      }
      if (line.keyword == "Key") {
        ChannelKey key;
        if (parseKey(line.rest, key)) {
          keys.push_back(key);
        } else {
          problems.add("broken key lines", lineName());
        }
        continue;
      }
      if (endsBlock(line.keyword)) return false;
      // The key count, "Behaviors" and whatever else the block holds are not needed.
    }
    return false;
  }

  static bool parseKey(const std::string& rest, ChannelKey& key) {
    std::string_view words[kKeyWords];
    if (splitWords(rest, words, kKeyWords) < kKeyWords) return false;
    double value = 0.0, seconds = 0.0, in = 0.0, out = 0.0;
    if (!parseNumber(words[kKeyValue], value) || !parseNumber(words[kKeyTime], seconds) ||
        !parseNumber(words[kKeyIn], in) || !parseNumber(words[kKeyOut], out)) {
      return false;
    }
    key.timeMs = seconds * 1000.0;
    key.value = static_cast<float>(value);
    key.inTangent = static_cast<float>(in);
    key.outTangent = static_cast<float>(out);
    // Finite in double may still overflow as milliseconds or as floats.
    return std::isfinite(key.timeMs) && std::isfinite(key.value) && std::isfinite(key.inTangent) &&
           std::isfinite(key.outTangent);
  }

  // Decides which parent links are made: only to another object that loaded, never one that would
  // close a loop (the tree walk would never end), and none that would nest objects deeper than
  // kMaxDepth (the node tree is walked recursively).
  void linkParents() {
    const int count = static_cast<int>(objects.size());
    // Objects already joined by links share a set. An object not yet linked is the root of its
    // tree, so a link to a parent in the same set would close a loop.
    std::vector<int> set(count);
    for (int i = 0; i < count; ++i) set[i] = i;
    const auto find = [&set](int i) {
      while (set[i] != i) i = set[i] = set[set[i]];
      return i;
    };
    for (int i = 0; i < count; ++i) {
      LwsScene::Object& object = objects[i];
      const int parent = object.parent;
      if (parent < 0 || !object.model) continue;
      const std::string who = "object " + toString(i);
      if (parent == i) {
        problems.add("parent links to the object itself", who);
      } else if (parent >= count) {
        problems.add("parent links to objects that do not exist", who);
      } else if (!objects[parent].model) {
        problems.add("parent links to objects that did not load", who);
      } else if (find(parent) == find(i)) {
        problems.add("parent links that loop back", who);
      } else {
        object.linkedParent = parent;
        set[find(i)] = find(parent);
      }
    }
    limitDepth();
  }

  // Parents before children, each tree from its root; a link that would go deeper than kMaxDepth
  // is dropped, which makes its object a root.
  void limitDepth() {
    const int count = static_cast<int>(objects.size());
    std::vector<std::vector<int>> children(count);
    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
      const int parent = objects[i].linkedParent;
      if (parent >= 0) {
        children[parent].push_back(i);
      } else {
        order.push_back(i);
      }
    }
    std::vector<int> depth(count, 0);
    for (std::size_t next = 0; next < order.size(); ++next) {
      const int i = order[next];
      for (int child : children[i]) {
        depth[child] = depth[i] + 1;
        if (depth[child] > kMaxDepth) {
          objects[child].linkedParent = -1;
          depth[child] = 0;
          problems.add("parent links deeper than " + toString(kMaxDepth) + " levels", "object " + toString(child));
        }
        order.push_back(child);
      }
    }
  }

  std::istream& text;
  const std::string& scenePath;
  const LwsObjectLoader& loadObject;
  std::vector<LwsScene::Object>& objects;
  KeywordLine line;
  bool haveLine = false;
  int lineNumber = 0;
  Problems problems;
};

}  // namespace

LwsScene::LwsScene(const std::string& path, const LwsObjectLoader& loadObject) {
  if (toLower(Path(path).extension()) != ".lws") {
    Logger::instance().line(2) << path << ": not read, a scene file ends in \".lws\"" << std::endl;
    return;
  }
  // A pipe or a device named as the scene would block or never end.
  const FileKind kind = fileKind(path);
  if (kind != FileKind::kRegular && kind != FileKind::kMissing) {
    Logger::instance().line(2) << path << ": cannot be opened, it is " << fileKindText(kind) << std::endl;
    return;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    Logger::instance().line(2) << path << ": cannot be opened" << std::endl;
    return;
  }
  read(file, path, loadObject);
}

LwsScene::LwsScene(std::istream& text, const std::string& path, const LwsObjectLoader& loadObject) {
  read(text, path, loadObject);
}

void LwsScene::read(std::istream& text, const std::string& path, const LwsObjectLoader& loadObject) {
  LwsReader(text, path, loadObject, objectList).read();
}

RefPtr<Model> LwsScene::createModel() {
  if (objectList.size() == 1) return objectList.front().model;
  // Deepest objects first: each parent is still a root when its children join it, so adding a
  // child never walks a long chain of ancestors. Siblings keep the scene's order.
  const std::size_t count = objectList.size();
  std::vector<int> depth(count, -1);
  std::vector<std::size_t> chain;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t k = i;
    while (depth[k] < 0 && objectList[k].linkedParent >= 0) {
      chain.push_back(k);
      k = static_cast<std::size_t>(objectList[k].linkedParent);
    }
    if (depth[k] < 0) depth[k] = 0;
    int d = depth[k];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) depth[*it] = ++d;
    chain.clear();
  }
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&depth](std::size_t a, std::size_t b) { return depth[a] > depth[b]; });

  std::vector<SceneNode*> parentless;
  for (std::size_t i : order) {
    Object& object = objectList[i];
    if (!object.model || object.linkedParent < 0) continue;
    objectList[object.linkedParent].model->node()->addChild(RefPtr<SceneNode>(object.model->node()));
  }
  for (Object& object : objectList) {
    if (object.model && object.linkedParent < 0) parentless.push_back(object.model->node());
  }
  if (parentless.empty()) return nullptr;

  RefPtr<Model> combined = new Model;
  if (parentless.size() < 2) {
    combined->setNode(RefPtr<SceneNode>(parentless.front()));
  } else {
    RefPtr<SceneNode> root = SceneNode::create(Matrix34::identity());
    for (SceneNode* node : parentless) root->addChild(RefPtr<SceneNode>(node));
    combined->setNode(root);
  }
  for (const Object& object : objectList) {
    if (!object.model) continue;
    for (const RefPtr<MeshInstance>& instance : object.model->instances()) combined->addInstance(instance);
  }
  return combined;
}

LwsAnimation LwsScene::createAnimation() const {
  LwsAnimation animation;
  for (const Object& object : objectList) {
    if (!object.model || !object.model->node()) continue;
    const std::string& name = object.model->node()->name();
    const auto addController = [&](RefPtr<EnvelopeController> controller, const std::vector<EnvelopeKey>& keys) {
      if (keys.empty()) return;
      for (const EnvelopeKey& key : keys) controller->addKey(key);
      // A scale group whose keys were all refused has nothing to play.
      if (!controller->keys().empty()) animation.add(name, controller);
    };
    addController(new PositionController, object.positionKeys);
    addController(new RotationController, object.rotationKeys);
    addController(new ScaleController, object.scaleKeys);
  }
  return animation;
}
