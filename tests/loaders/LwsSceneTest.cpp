#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/SceneNode.h"
#include "foundation/LogCapture.h"
#include "loaders/LwsScene.h"
#include "tests/foundation/TestSupport.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/SampleModels.h"

namespace {

// Stands in for the object loader: every path gives a model of one node with one instance on it,
// except paths containing "missing"; it remembers what it was asked for.
struct StubLoader {
  std::vector<std::string> paths;
  LwsObjectLoader function() {
    return [this](const std::string& path) -> RefPtr<Model> {
      paths.push_back(path);
      if (path.find("missing") != std::string::npos) return nullptr;
      RefPtr<Model> model = new Model;
      model->setNode(SceneNode::create(Matrix34::identity()));
      model->addInstance(new MeshInstance(RefPtr<SceneNode>(model->node())));
      return model;
    };
  }
};

LwsScene readText(const std::string& text, StubLoader& loader, const std::string& path = "scenes/test.lws") {
  std::istringstream in(text);
  return LwsScene(in, path, loader.function());
}

const std::string kHeader = "LWSC\n3\n\n";

// One channel block with the given key lines.
std::string channel(int number, const std::vector<std::string>& keys) {
  std::string text = "Channel " + std::to_string(number) + "\n{ Envelope\n  " + std::to_string(keys.size()) + "\n";
  for (const std::string& k : keys) text += "  Key " + k + "\n";
  return text + "  Behaviors 1 1\n}\n";
}

// "value time" with span type, p1..p3 and tangents 0.
std::string flatKey(double value, double seconds) {
  std::ostringstream text;
  text << value << ' ' << seconds << " 0 0 0 0 0 0 0";
  return text.str();
}

std::string object(const std::string& file, const std::string& channels = "", const std::string& parent = "") {
  std::string text = "LoadObjectLayer 1 " + file + "\nShowObject 6 7\nObjectMotion\nNumChannels 9\n" + channels;
  if (!parent.empty()) text += "ParentItem " + parent + "\n";
  return text + "ShadowOptions 7\n\n";
}

std::string boatSceneText() { return LwsWriter::write(SampleModels::boatScene(), 120, 30); }

// What must hold for any scene, whatever its file held.
void expectSound(LwsScene& scene) {
  for (const LwsScene::Object& o : scene.objects()) {
    for (const std::vector<EnvelopeKey>* keys : {&o.positionKeys, &o.rotationKeys, &o.scaleKeys}) {
      for (std::size_t i = 0; i < keys->size(); ++i) {
        const EnvelopeKey& k = (*keys)[i];
        ASSERT_TRUE(std::isfinite(k.timeMs));
        ASSERT_TRUE(std::isfinite(k.value.x) && std::isfinite(k.value.y) && std::isfinite(k.value.z));
        if (i > 0) {
          ASSERT_LT((*keys)[i - 1].timeMs, k.timeMs);
        }
      }
    }
    ASSERT_LT(o.linkedParent, static_cast<int>(scene.objects().size()));
  }
  RefPtr<Model> model = scene.createModel();
  LwsAnimation animation = scene.createAnimation();
  if (!model) return;
  animation.attach(model->node());
  animation.start(0.0);
  for (double t : {0.0, 16.0, 1500.0, 4000.0, 9000.0}) {
    animation.update(t);
    model->node()->updateWorld();
  }
  std::size_t nodes = 0;
  for (SceneNode::PreOrderIterator it(model->node()); !it.done(); it.next()) ++nodes;
  ASSERT_LE(nodes, scene.objects().size() + 1);
}

TEST(LwsSceneTest, GeneratedBoatSceneLoadsTheBoatAndItsWaveBesideTheScene) {
  StubLoader loader;
  LwsScene scene = readText(boatSceneText(), loader, "data/animations/sailjump/sails_jump.lws");
  const std::vector<std::string> expected = {
      "data/animations/sailjump/mast.obj", "data/animations/sailjump/sail.obj",
      "data/animations/sailjump/flag.obj", "data/animations/sailjump/hull.obj",
      "data/animations/sailjump/wave.obj"};
  EXPECT_EQ(loader.paths, expected);
  ASSERT_EQ(scene.objects().size(), 5u);
  EXPECT_EQ(scene.objects()[0].parent, 3);
  EXPECT_EQ(scene.objects()[1].parent, 0);
  EXPECT_EQ(scene.objects()[2].parent, 0);
  EXPECT_EQ(scene.objects()[3].parent, -1);
  EXPECT_EQ(scene.objects()[4].parent, -1);
  EXPECT_EQ(scene.objects()[3].model->node()->name(), "hull.obj3");
  EXPECT_EQ(scene.objects()[4].model->node()->name(), "wave.obj4");
  // The hull's position keys: eight times of the jump, all three components at each.
  const LwsScene::Object& hull = scene.objects()[3];
  ASSERT_EQ(hull.positionKeys.size(), 8u);
  EXPECT_EQ(hull.positionKeys[3].timeMs, 2000.0);
  EXPECT_FLOAT_EQ(hull.positionKeys[3].value.x, 0.3f);
  EXPECT_FLOAT_EQ(hull.positionKeys[3].value.y, 2.0f);
  // The wave holds one pose: a single key per group.
  const LwsScene::Object& wave = scene.objects()[4];
  ASSERT_EQ(wave.positionKeys.size(), 1u);
  ASSERT_EQ(wave.rotationKeys.size(), 1u);
  ASSERT_EQ(wave.scaleKeys.size(), 1u);
  EXPECT_EQ(wave.positionKeys[0].value, Vector3(0.0f, SampleModels::waveLevel(), 0.0f));
  EXPECT_EQ(wave.scaleKeys[0].value, Vector3(1.0f, 1.0f, 1.0f));

  // Two parentless objects: a new root holds the hull (with its rigging) and the wave.
  RefPtr<Model> model = scene.createModel();
  ASSERT_TRUE(model);
  SceneNode* root = model->node();
  EXPECT_EQ(root->local(), Matrix34::identity());
  ASSERT_EQ(root->children().size(), 2u);
  SceneNode* hullNode = root->children()[0].get();
  SceneNode* waveNode = root->children()[1].get();
  EXPECT_EQ(hullNode->name(), "hull.obj3");
  EXPECT_EQ(waveNode->name(), "wave.obj4");
  EXPECT_TRUE(waveNode->children().empty());
  ASSERT_EQ(hullNode->children().size(), 1u);
  SceneNode* mast = hullNode->children()[0].get();
  EXPECT_EQ(mast->name(), "mast.obj0");
  ASSERT_EQ(mast->children().size(), 2u);
  EXPECT_EQ(mast->children()[0]->name(), "sail.obj1");
  EXPECT_EQ(mast->children()[1]->name(), "flag.obj2");
  EXPECT_EQ(model->instances().size(), 5u);

  // Three envelopes for each of the five objects; the still wave does not lengthen the jump.
  LwsAnimation animation = scene.createAnimation();
  EXPECT_EQ(animation.entries().size(), 15u);
  EXPECT_EQ(animation.durationMs(), 4000.0);
  animation.attach(root);
  for (const LwsAnimation::Entry& entry : animation.entries()) EXPECT_TRUE(entry.attached) << entry.nodeName;
  animation.start(1000.0);
  animation.update(3000.0);
  root->updateWorld();
  // At 2 s the hull is at the top of its jump, keyed at (0.3, 2, 0); the mast rides on it.
  EXPECT_EQ(hullNode->local().translation(), Vector3(0.3f, 2.0f, 0.0f));
  EXPECT_NEAR(mast->world().translation().y, 2.0f + 0.5f, 0.2f);
  // The wave stays where it was put, during the jump and after the scene has started over.
  const Vector3 still(0.0f, SampleModels::waveLevel(), 0.0f);
  EXPECT_EQ(waveNode->world().translation(), still);
  animation.update(5500.0);
  root->updateWorld();
  EXPECT_EQ(waveNode->world(), Matrix34::translation(still));
}

TEST(LwsSceneTest, OnlyARegularFileIsReadAsAScene) {
  testsupport::TempDir dir;
  const std::string pipe = dir.path() + "/pipe.lws";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string folder = dir.path() + "/folder.lws";
  std::filesystem::create_directories(folder);
  for (const std::string& path : {pipe, folder}) {
    StubLoader loader;
    LogCapture log;
    std::unique_ptr<LwsScene> scene;
    EXPECT_TRUE(testsupport::returnsWithoutWaitingOnPipe(
        pipe, [&] { scene = std::make_unique<LwsScene>(path, loader.function()); }))
        << path;
    EXPECT_TRUE(scene->objects().empty());
    EXPECT_TRUE(log.contains(path + ": cannot be opened, it is a " + (path == pipe ? "pipe" : "directory"))) << log.text();
  }
}

TEST(LwsSceneTest, KeyTimesAreReadInSecondsAndKeptInMilliseconds) {
  StubLoader loader;
  LwsScene scene = readText(kHeader + object("a.obj", channel(0, {flatKey(4.0, 1.5)})), loader);
  ASSERT_EQ(scene.objects().size(), 1u);
  const std::vector<EnvelopeKey>& keys = scene.objects()[0].positionKeys;
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].timeMs, 1500.0);
  LwsAnimation animation = scene.createAnimation();
  ASSERT_EQ(animation.entries().size(), 1u);
  // The controller gains a key at 0 with the same value.
  const std::vector<EnvelopeKey>& stored = animation.entries()[0].controller->keys();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].timeMs, 0.0);
  EXPECT_EQ(stored[0].value.x, 4.0f);
  EXPECT_EQ(stored[1].timeMs, 1500.0);
  EXPECT_EQ(animation.durationMs(), 1500.0);
}

TEST(LwsSceneTest, TangentsAreTheFourthAndFifthParameters) {
  StubLoader loader;
  LwsScene scene = readText(kHeader + object("a.obj", channel(1, {"1 0 0 0.1 0.2 0.3 -2.5 3.5 0.9"})), loader);
  ASSERT_EQ(scene.objects()[0].positionKeys.size(), 1u);
  const EnvelopeKey& key = scene.objects()[0].positionKeys[0];
  EXPECT_EQ(key.value, Vector3(0.0f, 1.0f, 0.0f));
  EXPECT_EQ(key.inTangent, Vector3(0.0f, -2.5f, 0.0f));
  EXPECT_EQ(key.outTangent, Vector3(0.0f, 3.5f, 0.0f));
}

TEST(LwsSceneTest, OnlyVersionThreeScenesAreRead) {
  StubLoader loader;
  LogCapture log;
  LwsScene four = readText("LWSC\n4\n\n" + object("a.obj"), loader);
  EXPECT_TRUE(four.isEmpty());
  EXPECT_TRUE(loader.paths.empty());
  EXPECT_TRUE(log.contains("scenes/test.lws: LightWave scene version \"4\" is not read"));
  LwsScene three = readText("LWSC\n3\n\n" + object("a.obj"), loader);
  EXPECT_EQ(three.objects().size(), 1u);
}

TEST(LwsSceneTest, ParentItemNumbersAreTypeDigitAndHexIndex) {
  struct Case {
    const char* item;
    int parent;
  };
  const Case cases[] = {
      {"10000003", 3},  {"10000000", 0},   {"1000000A", 10},  {"1000000a", 10}, {"10000010", 16},
      {"20000000", -1},  // a light
      {"40010000", -1},  // a bone
      {"100000003", -1}, {"1x000003", -1}, {"3", -1},          {"-10000001", -1}};
  for (const Case& c : cases) {
    StubLoader loader;
    LwsScene scene = readText(kHeader + object("a.obj", "", c.item), loader);
    ASSERT_EQ(scene.objects().size(), 1u) << c.item;
    EXPECT_EQ(scene.objects()[0].parent, c.parent) << c.item;
  }
}

// Faults of scene files: each must be skipped (with one log line naming the file) while the rest of
// the scene is read.
struct HostileCase {
  const char* name;
  std::string text;
  std::size_t objects;          // objects read
  std::size_t positionKeys;     // position keys of the first object
  const char* logged;           // part of the log line, or empty when nothing is logged
};

std::vector<HostileCase> hostileCases() {
  const std::string good = channel(0, {flatKey(1, 0), flatKey(2, 1)});
  return {
      {"empty file", "", 0, 0, "not a LightWave scene"},
      {"header cut after LWSC", "LWSC", 0, 0, "version \"\" is not read"},
      {"header only", "LWSC\n3\n", 0, 0, "scenes/test.lws: no objects in the scene"},
      {"binary after the header", kHeader + std::string("\x01\xff\0\x7f{}Key\n\n", 11), 0, 0, "no objects"},
      {"key line with missing words", kHeader + object("a.obj", channel(0, {flatKey(1, 0), "2 1 0 0"})), 1, 1,
       "1 broken key lines (line "},
      {"non-numeric value", kHeader + object("a.obj", channel(0, {"one 0 0 0 0 0 0 0 0", flatKey(2, 1)})), 1, 1,
       "broken key lines"},
      {"non-numeric tangent", kHeader + object("a.obj", channel(0, {"1 0 0 0 0 0 0 x1 0"})), 1, 0, "broken key lines"},
      {"trailing junk on a number", kHeader + object("a.obj", channel(0, {"1 0.5s 0 0 0 0 0 0 0"})), 1, 0,
       "broken key lines"},
      {"NaN time", kHeader + object("a.obj", channel(0, {"1 nan 0 0 0 0 0 0 0", flatKey(2, 1)})), 1, 1,
       "broken key lines"},
      {"infinite time", kHeader + object("a.obj", channel(0, {"1 inf 0 0 0 0 0 0 0", "1 -INF 0 0 0 0 0 0 0"})), 1, 0,
       "2 broken key lines"},
      {"time beyond double", kHeader + object("a.obj", channel(0, {"1 1e400 0 0 0 0 0 0 0"})), 1, 0,
       "broken key lines"},
      {"milliseconds beyond double", kHeader + object("a.obj", channel(0, {"1 1e306 0 0 0 0 0 0 0"})), 1, 0,
       "broken key lines"},
      {"value beyond float", kHeader + object("a.obj", channel(0, {"1e39 0 0 0 0 0 0 0 0"})), 1, 0,
       "broken key lines"},
      {"keys out of time order", kHeader + object("a.obj", channel(0, {flatKey(3, 2), flatKey(1, 0), flatKey(2, 1)})),
       1, 3, ""},
      {"two keys at one time", kHeader + object("a.obj", channel(0, {flatKey(1, 0), flatKey(9, 0), flatKey(2, 1)})), 1,
       2, ""},
      {"block cut by the next channel",
       kHeader + object("a.obj", "Channel 0\n{ Envelope\n  1\n  Key 5 0 0 0 0 0 0 0 0\nChannel 1\n" +
                                     std::string("{ Envelope\n  1\n  Key 7 0 0 0 0 0 0 0 0\n}\n")),
       1, 1, "1 channel blocks without a closing brace (object 0)"},
      {"block cut by the next object",
       kHeader + "LoadObjectLayer 1 a.obj\nChannel 0\n{ Envelope\n  Key 5 0 0 0 0 0 0 0 0\n" + object("b.obj"), 2, 0,
       "channel blocks without a closing brace"},
      {"block cut by the end of the file", kHeader + "LoadObjectLayer 1 a.obj\nChannel 0\n{ Envelope\n  1\n  Key 5 0 0 0",
       1, 0, "channel blocks without a closing brace"},
      {"channel number out of range", kHeader + object("a.obj", channel(9, {flatKey(1, 0)}) + channel(-1, {}) + good), 1,
       2, ""},
      {"scene naming itself", kHeader + object("test.lws") + object("other.LWS"), 2, 0,
       "2 scenes named as objects (\"scenes/test.lws\", \"scenes/other.LWS\")"},
      {"object that does not load", kHeader + object("missing.obj", good), 1, 2,
       "1 objects that did not load (\"scenes/missing.obj\")"},
      {"object without a file name", kHeader + "LoadObjectLayer 1   \n" + good, 1, 2, "objects without a file name"},
      {"object line without a layer", kHeader + "LoadObjectLayer\n" + good, 1, 2, "objects without a file name"},
      {"parent that does not exist", kHeader + object("a.obj", good, "10000007") + object("b.obj"), 2, 2,
       "parent links to objects that do not exist (object 0)"},
      {"parent that did not load", kHeader + object("a.obj", good, "10000001") + object("missing.obj"), 2, 2,
       "parent links to objects that did not load (object 0)"},
      {"object naming itself as parent", kHeader + object("a.obj", good, "10000000"), 1, 2,
       "parent links to the object itself (object 0)"},
      {"two objects parenting each other",
       kHeader + object("a.obj", good, "10000001") + object("b.obj", "", "10000000"), 2, 2,
       "parent links that loop back (object 1)"},
      {"parent not an object", kHeader + object("a.obj", good, "30000000"), 1, 2, "ParentItem lines that name no object"},
      {"CR LF line ends", [] {
         std::string text = kHeader + object("a.obj", channel(0, {flatKey(1, 0), flatKey(2, 1)}), "10000001") +
                            object("b.obj");
         std::string crlf;
         for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
         return crlf;
       }(),
       2, 2, ""},
      {"tabs between words", kHeader + "LoadObjectLayer\t1\ta.obj\nChannel\t0\n{\tEnvelope\n\t1\n\tKey\t1\t0\t0\t0\t0\t0\t0\t0\t0\n}\n",
       1, 1, ""},
  };
}

TEST(LwsSceneTest, HostileScenesAreReadAsFarAsTheyMakeSense) {
  for (const HostileCase& c : hostileCases()) {
    SCOPED_TRACE(c.name);
    StubLoader loader;
    LogCapture log;
    LwsScene scene = readText(c.text, loader);
    ASSERT_EQ(scene.objects().size(), c.objects);
    if (c.objects > 0) {
      EXPECT_EQ(scene.objects()[0].positionKeys.size(), c.positionKeys);
    }
    if (*c.logged) {
      EXPECT_TRUE(log.contains(c.logged)) << log.text();
      EXPECT_TRUE(log.contains("scenes/test.lws")) << log.text();
      EXPECT_EQ(log.messages().size(), 1u) << log.text();
    } else {
      EXPECT_TRUE(log.messages().empty()) << log.text();
    }
    for (const std::string& path : loader.paths) EXPECT_EQ(path.find(".lws"), std::string::npos) << path;
    ASSERT_NO_FATAL_FAILURE(expectSound(scene));
  }
}

TEST(LwsSceneTest, FaultyKeysAreSortedOrSkippedNotInvented) {
  StubLoader loader;
  LwsScene scene = readText(
      kHeader + object("a.obj", channel(0, {flatKey(3, 2), flatKey(1, 0), "x 1", flatKey(2, 1), flatKey(9, 1)})), loader);
  const std::vector<EnvelopeKey>& keys = scene.objects()[0].positionKeys;
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].timeMs, 0.0);
  EXPECT_EQ(keys[0].value.x, 1.0f);
  EXPECT_EQ(keys[1].timeMs, 1000.0);
  EXPECT_EQ(keys[1].value.x, 2.0f);  // the first of the two keys at 1 s
  EXPECT_EQ(keys[2].value.x, 3.0f);
}

TEST(LwsSceneTest, LoopsAndSelfParentsLeaveATree) {
  // 0 → 1 → 2 → 0 and 3 → 3: the link that would close each loop is dropped.
  StubLoader loader;
  LwsScene scene = readText(kHeader + object("a.obj", "", "10000001") + object("b.obj", "", "10000002") +
                                object("c.obj", "", "10000000") + object("d.obj", "", "10000003"),
                            loader);
  ASSERT_EQ(scene.objects().size(), 4u);
  EXPECT_EQ(scene.objects()[0].linkedParent, 1);
  EXPECT_EQ(scene.objects()[1].linkedParent, 2);
  EXPECT_EQ(scene.objects()[2].linkedParent, -1);
  EXPECT_EQ(scene.objects()[3].linkedParent, -1);
  RefPtr<Model> model = scene.createModel();
  ASSERT_TRUE(model);
  // Two parentless objects (c and d) hang under a new, unnamed root.
  SceneNode* root = model->node();
  EXPECT_EQ(root->name(), "");
  ASSERT_EQ(root->children().size(), 2u);
  EXPECT_EQ(root->children()[0]->name(), "c.obj2");
  EXPECT_EQ(root->children()[1]->name(), "d.obj3");
  EXPECT_EQ(root->children()[0]->children()[0]->name(), "b.obj1");
  std::size_t nodes = 0;
  for (SceneNode::PreOrderIterator it(root); !it.done(); it.next()) ++nodes;
  EXPECT_EQ(nodes, 5u);
  EXPECT_EQ(model->instances().size(), 4u);
}

TEST(LwsSceneTest, ChainsOfParentsAreCutBelowAThousandLevels) {
  // 2500 objects, each on the one before it (and, the second time, each on the one after it).
  for (const bool forwards : {true, false}) {
    SCOPED_TRACE(forwards ? "each on the one before" : "each on the one after");
    const int count = 2500;
    std::string text = kHeader;
    for (int i = 0; i < count; ++i) {
      const int parent = forwards ? i - 1 : (i + 1 < count ? i + 1 : -1);
      text += object("a.obj", "", parent >= 0 ? LwsWriter::itemNumber(parent) : "");
    }
    StubLoader loader;
    LogCapture log;
    LwsScene scene = readText(text, loader);
    ASSERT_EQ(scene.objects().size(), static_cast<std::size_t>(count));
    // The root and a thousand levels below it, then a new root: three trees in all.
    const int firstCut = forwards ? 1001 : count - 1 - 1001;
    EXPECT_EQ(scene.objects()[firstCut].linkedParent, -1);
    EXPECT_EQ(scene.objects()[forwards ? 1000 : count - 1 - 1000].linkedParent, forwards ? 999 : count - 1 - 999);
    EXPECT_TRUE(log.contains("2 parent links deeper than 1000 levels (object " + std::to_string(firstCut)))
        << log.text();
    RefPtr<Model> model = scene.createModel();
    ASSERT_TRUE(model);
    EXPECT_EQ(model->node()->children().size(), 3u);
    EXPECT_EQ(model->instances().size(), static_cast<std::size_t>(count));
    model->node()->updateWorld();
    std::size_t nodes = 0;
    for (SceneNode::PreOrderIterator it(model->node()); !it.done(); it.next()) ++nodes;
    EXPECT_EQ(nodes, static_cast<std::size_t>(count) + 1);
  }
}

TEST(LwsSceneTest, ModelOfOneObjectIsThatObjectsModel) {
  StubLoader loader;
  LwsScene one = readText(kHeader + object("a.obj"), loader);
  RefPtr<Model> model = one.createModel();
  ASSERT_TRUE(model);
  EXPECT_EQ(model.get(), one.objects()[0].model.get());
  LwsScene none = readText(kHeader + object("missing.obj") + object("missing2.obj"), loader);
  EXPECT_FALSE(none.createModel());
  LwsScene empty = readText(kHeader, loader);
  EXPECT_FALSE(empty.createModel());
  EXPECT_TRUE(empty.createAnimation().entries().empty());
}

TEST(LwsSceneTest, ObjectsAreLookedForBesideTheScene) {
  StubLoader loader;
  readText(kHeader + object("C:\\LightWave\\Objects\\Boat\\hull.obj") + object("Objects/My Boat.obj  ") +
               object("plain.obj"),
           loader, "data/scenes/boat.lws");
  const std::vector<std::string> expected = {"data/scenes/hull.obj", "data/scenes/My Boat.obj",
                                             "data/scenes/plain.obj"};
  EXPECT_EQ(loader.paths, expected);
}

TEST(LwsSceneTest, ChannelsKeyedAtDifferentTimesKeepTheirOwnCurves) {
  // x keyed at 0 and 1 s, y held at 2 by one key at 0, z without keys: the merged key at 1 s keeps
  // y at 2 and z at 0. Scale components without keys stay at 1.
  StubLoader loader;
  LwsScene scene = readText(
      kHeader + object("a.obj", channel(0, {flatKey(0, 0), flatKey(4, 1), flatKey(8, 2)}) +
                                    channel(1, {flatKey(2, 0), flatKey(6, 2)}) + channel(6, {flatKey(3, 1)})),
      loader);
  const std::vector<EnvelopeKey>& position = scene.objects()[0].positionKeys;
  ASSERT_EQ(position.size(), 3u);
  EXPECT_EQ(position[1].value, Vector3(4.0f, 4.0f, 0.0f));  // y halfway between its keys
  EXPECT_EQ(position[1].inTangent, Vector3());
  const std::vector<EnvelopeKey>& scale = scene.objects()[0].scaleKeys;
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_EQ(scale[0].value, Vector3(3.0f, 1.0f, 1.0f));
}

TEST(LwsSceneTest, NullObjectsCarryTheirChildren) {
  StubLoader loader;
  LwsScene scene = readText(kHeader + "AddNullObject Pivot\nObjectMotion\nNumChannels 9\n" +
                                channel(1, {flatKey(0, 0), flatKey(10, 1)}) + "ShadowOptions 7\n" +
                                object("a.obj", channel(0, {flatKey(1, 0)}), "10000000"),
                            loader);
  ASSERT_EQ(scene.objects().size(), 2u);
  EXPECT_EQ(loader.paths.size(), 1u);
  RefPtr<Model> model = scene.createModel();
  ASSERT_TRUE(model);
  EXPECT_EQ(model->node()->name(), "Pivot0");
  ASSERT_EQ(model->node()->children().size(), 1u);
  EXPECT_EQ(model->node()->children()[0]->name(), "a.obj1");
  EXPECT_EQ(model->instances().size(), 1u);
  LwsAnimation animation = scene.createAnimation();
  animation.attach(model->node());
  animation.start(0.0);
  animation.update(1000.0);
  model->node()->updateWorld();
  EXPECT_FLOAT_EQ(model->node()->children()[0]->world().translation().y, 10.0f);
}

TEST(LwsSceneTest, LightsAndCamerasAfterAnObjectAreNotItsOwn) {
  StubLoader loader;
  LwsScene scene = readText(kHeader + object("a.obj", channel(0, {flatKey(1, 0)})) +
                                "AddLight\nLightName Light\nLightMotion\nNumChannels 9\n" +
                                channel(0, {flatKey(50, 0)}) + "ParentItem 10000000\n" +
                                "AddCamera\nCameraName Camera\n" + channel(0, {flatKey(60, 0)}),
                            loader);
  ASSERT_EQ(scene.objects().size(), 1u);
  EXPECT_EQ(scene.objects()[0].parent, -1);
  ASSERT_EQ(scene.objects()[0].positionKeys.size(), 1u);
  EXPECT_EQ(scene.objects()[0].positionKeys[0].value.x, 1.0f);
}

TEST(LwsSceneTest, TruncatedScenesNeverReadPastTheirText) {
  const std::string full = boatSceneText();
  for (std::size_t length = 0; length < full.size(); length += 7) {
    SCOPED_TRACE(length);
    StubLoader loader;
    LwsScene scene = readText(full.substr(0, length), loader);
    ASSERT_LE(scene.objects().size(), 5u);
    ASSERT_NO_FATAL_FAILURE(expectSound(scene));
  }
}

// A loader that reads scenes too, as a loader choosing by file type might: a scene that names
// itself would make it recurse for ever.
struct SceneReadingLoader {
  int depth = 0;
  int maxDepth = 0;
  int calls = 0;
  LwsObjectLoader function() {
    return [this](const std::string& path) -> RefPtr<Model> {
      ++calls;
      if (path.size() < 4 || path.compare(path.size() - 4, 4, ".lws") != 0) return nullptr;
      ++depth;
      maxDepth = std::max(maxDepth, depth);
      RefPtr<Model> model;
      if (depth < 50) model = LwsScene(path, function()).createModel();
      --depth;
      return model;
    };
  }
};

TEST(LwsSceneTest, SceneNamingItselfAsObjectDoesNotRecurse) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("testbed-lws-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "self.lws").string();
  std::ofstream(path) << kHeader << object("self.lws") << object("OTHER.LWS");
  SceneReadingLoader loader;
  LogCapture log;
  LwsScene scene(path, loader.function());
  EXPECT_EQ(scene.objects().size(), 2u);
  EXPECT_EQ(loader.calls, 0);
  EXPECT_EQ(loader.maxDepth, 0);
  EXPECT_FALSE(scene.createModel());
  EXPECT_TRUE(log.contains("scenes named as objects"));
  std::filesystem::remove_all(dir);
}

TEST(LwsSceneTest, OnlyReadableLwsFilesAreRead) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("testbed-lws-files-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string text = kHeader + object("a.obj");
  for (const char* name : {"scene.lws", "SCENE.LWS", "scene.txt", "scene.lws.bak"}) {
    std::ofstream((dir / name).string()) << text;
  }
  StubLoader loader;
  EXPECT_EQ(LwsScene((dir / "scene.lws").string(), loader.function()).objects().size(), 1u);
  EXPECT_EQ(LwsScene((dir / "SCENE.LWS").string(), loader.function()).objects().size(), 1u);
  {
    LogCapture log;
    EXPECT_TRUE(LwsScene((dir / "scene.txt").string(), loader.function()).isEmpty());
    EXPECT_TRUE(LwsScene((dir / "scene.lws.bak").string(), loader.function()).isEmpty());
    EXPECT_TRUE(log.contains("scene.txt: not read, a scene file ends in \".lws\""));
    EXPECT_EQ(log.messages().size(), 2u);
  }
  {
    LogCapture log;
    EXPECT_TRUE(LwsScene((dir / "absent.lws").string(), loader.function()).isEmpty());
    EXPECT_TRUE(LwsScene(dir.string() + "/", loader.function()).isEmpty());
    EXPECT_TRUE(log.contains("absent.lws: cannot be opened"));
  }
  EXPECT_EQ(loader.paths.size(), 2u);
  std::filesystem::remove_all(dir);
}

}  // namespace
