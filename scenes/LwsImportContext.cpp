#include "scenes/LwsImportContext.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/GameClock.h"
#include "foundation/InputSource.h"
#include "foundation/KeyCodes.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/VariableTable.h"
#include "loaders/LwsScene.h"
#include "loaders/ModelBounds.h"
#include "loaders/ObjectLoader.h"

namespace {

const char* const kDefaultScene = "animations/sailjump/sails_jump.lws";
const char* const kDialogTitle = "Open a LightWave scene";
const char* const kDialogFilter = "Lightwave scenes (*.lws) | *.lws";
constexpr float kSlower = 0.6666667f;
constexpr float kFaster = 1.5f;
// Poses of the animation looked at to frame its whole motion.
constexpr int kFramingSamples = 32;

bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

LwsImportContext::LwsImportContext()
    : Context("LwsImportContext"),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      openKey(kKeyO),
      pauseKey(kKeySpace),
      slowerKey(kKeyS),
      fasterKey(kKeyW),
      slowerRepeat(&slowerKey),
      fasterRepeat(&fasterKey),
      dialog(FileDialog::zenityCommand(kDialogTitle, kDialogFilter)) {}

void LwsImportContext::init() {
  sceneLight = new Light();
  load((Path(VariableTable::instance().get("data").value()) + kDefaultScene).full());
}

bool LwsImportContext::load(const std::string& fileName) {
  // The scene's objects are read with v flipped; other scenes' loads keep the loader as it was.
  ObjectLoader* loader = ObjectLoader::instance().get();
  LwsObjectLoader loadObject;
  bool flipBefore = false;
  if (loader) {
    flipBefore = loader->loadOptions().flipTexCoordV;
    loader->setFlipTexCoordV(true);
    loadObject = [loader](const std::string& path) { return loader->loadObject(path); };
  }
  RefPtr<Model> model;
  LwsAnimation animation;
  {
    LwsScene reader(fileName, loadObject);
    model = reader.createModel();
    if (model) animation = reader.createAnimation();
  }
  if (loader) loader->setFlipTexCoordV(flipBefore);
  // The reader has said why; the scene playing goes on.
  if (!model) return false;

  lwsAnimation = std::move(animation);
  loadedModel = model;
  currentScene = std::make_unique<Scene>();
  currentScene->setCamera(&sceneCamera);
  if (sceneLight) currentScene->addLight(sceneLight);
  lwsAnimation.attach(loadedModel->node());
  placeCamera();
  currentScene->addObject(loadedModel);

  const double now = GameClock::instance().time();
  lwsAnimation.start(now);
  lwsAnimation.update(now);
  loadedModel->node()->updateWorld();
  updateModelBounds(*loadedModel);
  Logger::instance().line(1) << "Playing LightWave scene " << fileName << ": " << lwsAnimation.entries().size()
                             << " envelopes over " << lwsAnimation.durationMs() << " ms" << std::endl;
  return true;
}

void LwsImportContext::placeCamera() {
  // Every pose from the start to the end of the animation, as bounding spheres; the camera frames
  // them all, so a scene whose objects travel stays in view (its objects' files place them at
  // the origin, which says nothing about where the keys take them).
  SceneNode* root = loadedModel->node();
  std::vector<BoundingSphere> poses;
  const double duration = lwsAnimation.durationMs();
  const int samples = duration > 0.0 ? kFramingSamples : 0;
  lwsAnimation.start(0.0);
  for (int i = 0; i <= samples; ++i) {
    lwsAnimation.update(samples > 0 ? duration * i / samples : 0.0);
    root->updateWorld();
    updateModelBounds(*loadedModel);
    const BoundingSphere& pose = loadedModel->bounds();
    if (pose.radius > 0.0f && std::isfinite(pose.radius) && isFinite(pose.center)) poses.push_back(pose);
  }
  Vector3 center;
  float radius = 0.0f;
  if (!poses.empty()) {
    Vector3 low = poses.front().center, high = low;
    for (const BoundingSphere& s : poses) {
      const Vector3 r(s.radius, s.radius, s.radius);
      const Vector3 a = s.center - r, b = s.center + r;
      low.set(std::min(low.x, a.x), std::min(low.y, a.y), std::min(low.z, a.z));
      high.set(std::max(high.x, b.x), std::max(high.y, b.y), std::max(high.z, b.z));
    }
    center = (low + high) * 0.5f;
    for (const BoundingSphere& s : poses) radius = std::max(radius, (s.center - center).length() + s.radius);
  }
  // Nothing to measure (null objects only) or nothing measurable: a unit sphere at the origin.
  if (!(radius > 0.0f) || !std::isfinite(radius) || !isFinite(center)) {
    center = Vector3();
    radius = 1.0f;
  }
  const Vector3 offset(0.0f, 0.75f * radius, -1.5f * radius);
  SceneNode* node = sceneCamera.node();
  node->local() = Matrix34::lookAt(center + offset, center, Vector3(0.0f, 1.0f, 0.0f));
  node->updateWorld();
  orbit.setDistance(offset.length());
  orbit.syncTarget();
}

void LwsImportContext::update() {
  takeChosenFiles();
  openKey.update();
  pauseKey.update();
  slowerRepeat.update();
  fasterRepeat.update();
  // The dialog runs beside the frame loop; what it chooses is loaded in a later frame.
  if (openKey.pressed()) dialog.open();
  GameClock& clock = GameClock::instance();
  if (pauseKey.pressed()) {
    running = !running;
    clock.setScale(running ? playbackSpeed : 0.0f);
  }
  applySpeedKeys();

  orbit.update();
  const Matrix34& view = sceneCamera.node()->world();
  sceneLight->setPosition(-view[2], -view[6], -view[10], 0.0f);

  if (loadedModel) {
    lwsAnimation.update(clock.time());
    loadedModel->node()->updateWorld();
    updateModelBounds(*loadedModel);
  }
}

void LwsImportContext::applySpeedKeys() {
  float speed = playbackSpeed;
  if (slowerRepeat.pressed()) speed *= kSlower;
  if (fasterRepeat.pressed()) speed *= kFaster;
  if (speed == playbackSpeed) return;
  playbackSpeed = std::clamp(speed, kMinSpeed, kMaxSpeed);
  // A paused clock stays paused; resuming plays at the new speed.
  if (running) GameClock::instance().setScale(playbackSpeed);
}

void LwsImportContext::takeChosenFiles() {
  std::string path;
  if (dialog.poll(path) == FileDialog::State::Chosen) load(path);
  InputSource* input = InputSource::installed();
  if (!input) return;
  std::string dropped;
  while (input->takeDroppedFile(path)) dropped = path;
  if (!dropped.empty()) load(dropped);
}

std::vector<KeyHelp> LwsImportContext::keyHelp() const {
  std::vector<KeyHelp> help = OrbitCameraController::mouseHelp();
  help.push_back({"O", "open a LightWave scene (or drop a .lws file on the window)"});
  help.push_back({"Space", "pause / resume"});
  help.push_back({"S / W", "slower / faster (held: repeats)"});
  return help;
}

void LwsImportContext::render() {
  Renderer* renderer = rendererHolder().get();
  if (renderer && currentScene) renderer->renderScene(*currentScene);
}

void LwsImportContext::release() { currentScene.reset(); }
