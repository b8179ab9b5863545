#include "scenes/Md3Context.h"

#include <cmath>

#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/KeyCodes.h"

namespace {

const Vector3 kCameraPosition(0.0f, 5.0f, -50.0f);
constexpr float kLightRange = 100.0f;
constexpr int kTextX = 5;
constexpr int kTextY = 80;

}  // namespace

const char* const Md3Context::kModelDirectories[kModelCount] = {
    "models/players/anarki", "models/players/biker",  "models/players/bitterman", "models/players/bones",
    "models/players/doom",   "models/players/grunt",  "models/players/hunter",    "models/players/keel",
    "models/players/klesk",  "models/players/lucy",   "models/players/major",     "models/players/mynx",
    "models/players/orbb",   "models/players/ranger", "models/players/razor",     "models/players/sarge",
    "models/players/slash",  "models/players/sorlag", "models/players/tankjr",    "models/players/uriel",
    "models/players/visor",  "models/players/xaero"};

const char* const Md3Context::kLegsAnimations[kLegsAnimationCount] = {
    "BOTH_DEATH1", "BOTH_DEAD1",  "BOTH_DEATH2", "BOTH_DEAD2", "BOTH_DEATH3", "BOTH_DEAD3",
    "LEGS_WALKCR", "LEGS_WALK",   "LEGS_RUN",    "LEGS_BACK",  "LEGS_SWIM",   "LEGS_JUMP",
    "LEGS_LAND",   "LEGS_JUMPB",  "LEGS_LANDB",  "LEGS_IDLE",  "LEGS_IDLECR", "LEGS_TURN"};

const char* const Md3Context::kTorsoAnimations[kTorsoAnimationCount] = {
    "BOTH_DEATH1",  "BOTH_DEAD1",   "BOTH_DEATH2",   "BOTH_DEAD2", "BOTH_DEATH3", "BOTH_DEAD3", "TORSO_GESTURE",
    "TORSO_ATTACK", "TORSO_ATTACK2", "TORSO_DROP", "TORSO_RAISE", "TORSO_STAND", "TORSO_STAND2"};

const char* const Md3Context::kErrorText = "Error loading .md3 model. Configure q3a variable in 'test.set'.";

Md3Context::Md3Context() : Md3Context("Md3Context") {}

Md3Context::Md3Context(const char* name)
    : Context(name),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      keyT(kKeyT),
      keyL(kKeyL),
      keySpace(kKeySpace),
      keyReturn(kKeyReturn) {
  SceneNode* node = sceneCamera.node();
  node->local().setTranslation(kCameraPosition);
  node->updateWorld();
  orbit.setDistance(kCameraPosition.length());
  orbit.syncTarget();
}

void Md3Context::init() {
  characterScene = std::make_unique<Scene>();
  characterScene->setCamera(&sceneCamera);
  sceneLight = new Light();
  sceneLight->setRange(kLightRange);
  characterScene->addLight(sceneLight);
  character = Md3Model::load(kModelDirectories[model]);
  if (character) {
    character->update();
    characterScene->addObject(character->modelRef());
  }
}

void Md3Context::update() {
  keyReturn.update();
  if (character) {
    character->update();
    orbit.update();
    // A directional light along the view.
    const Matrix34& view = sceneCamera.node()->world();
    sceneLight->setPosition(-view[2], -view[6], -view[10], 0.0f);
    keyT.update();
    keyL.update();
    keySpace.update();
    if (keyT.pressed()) torso = (torso + 1) % kTorsoAnimationCount;
    if (keyL.pressed()) legs = (legs + 1) % kLegsAnimationCount;
    if (keySpace.pressed()) {
      character->lower().setAnimation(kLegsAnimations[legs]);
      character->upper().setAnimation(kTorsoAnimations[torso]);
    }
  }
  // Return is read with or without a character, so a directory that fails to load can be left.
  if (keyReturn.pressed()) {
    model = (model + 1) % kModelCount;
    character.reset();
    characterScene.reset();
    init();
  }
}

void Md3Context::render() {
  Renderer* renderer = rendererHolder().get();
  if (!renderer) return;
  if (character && characterScene) renderer->renderScene(*characterScene);
  renderer->printText(kTextX, kTextY, overlayText());
}

void Md3Context::release() {
  character.reset();
  characterScene.reset();
}

std::string Md3Context::overlayText() const {
  if (!character) return kErrorText;
  return std::string("Legs anim: ") + kLegsAnimations[legs] + "\nTorso anim: " + kTorsoAnimations[torso];
}

std::vector<KeyHelp> Md3Context::keyHelp() const {
  std::vector<KeyHelp> help = OrbitCameraController::mouseHelp();
  help.push_back({"T", "choose the next torso animation"});
  help.push_back({"L", "choose the next legs animation"});
  help.push_back({"Space", "play the chosen animations"});
  help.push_back({"Return", "next character"});
  return help;
}
