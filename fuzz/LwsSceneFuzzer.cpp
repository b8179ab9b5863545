// The LightWave scene reader (".lws"): any text must be read or refused without reading outside its
// arrays, and whatever it yields must link into a tree and play. Objects come from an in-memory
// stub, so no file is opened; names containing "missing" stand for objects that do not load.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/SceneNode.h"
#include "foundation/Logger.h"
#include "loaders/LwsScene.h"

namespace {

RefPtr<Model> stubObject(const std::string& path) {
  if (path.find("missing") != std::string::npos) return nullptr;
  RefPtr<Model> model = new Model;
  model->setNode(SceneNode::create(Matrix34::identity()));
  model->addInstance(new MeshInstance(RefPtr<SceneNode>(model->node())));
  return model;
}

}  // namespace

// The reader's "Imported" and "Attaching" lines would flood standard error.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setDebugSink([](const char*) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  LwsScene scene(text, "fuzz/scene.lws", stubObject);
  RefPtr<Model> model = scene.createModel();
  LwsAnimation animation = scene.createAnimation();
  if (!model) return 0;
  animation.attach(model->node());
  animation.start(0.0);
  for (double nowMs : {0.0, 33.0, 1000.0, 2500.0, 60000.0}) {
    animation.update(nowMs);
    model->node()->updateWorld();
  }
  return 0;
}
