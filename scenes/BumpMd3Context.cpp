#include "scenes/BumpMd3Context.h"

#include "effects/BumpSurfaces.h"
#include "engine/Renderer.h"
#include "foundation/KeyCodes.h"
#include "image/TextureManager.h"
#include "render/DeviceCaps.h"

namespace {

constexpr int kTextX = 5;
constexpr int kTextY = 80;

}  // namespace

BumpMd3Context::BumpMd3Context() : Md3Context("BumpMd3Context"), keyS(kKeyS) {}

void BumpMd3Context::init() {
  Md3Context::init();
  Md3Model* character = animation();
  if (!character) return;
  specular = 1;
  applyBumpMaterials(character->model()->instances(), TextureManager::instance().get());
  character->update();
  setLights();
}

void BumpMd3Context::update() {
  // Runs init again (through the virtual call) when Return moves to the next character.
  Md3Context::update();
  Md3Model* character = animation();
  if (!character) return;
  setLights();
  keyS.update();
  if (keyS.pressed()) {
    specular = !specular;
    setSpecularPass(character->model()->instances(), specular != 0);
  }
}

void BumpMd3Context::render() {
  if (DeviceCaps::instance().hasDot3()) {
    Md3Context::render();
  } else if (Renderer* renderer = rendererHolder().get()) {
    renderer->printText(kTextX, kTextY, kNoDot3Text);
  }
}

void BumpMd3Context::setLights() {
  Md3Model* character = animation();
  if (character && light()) setInstanceLights(character->model()->instances(), light()->position());
}

std::vector<KeyHelp> BumpMd3Context::keyHelp() const {
  std::vector<KeyHelp> help = Md3Context::keyHelp();
  help.push_back({"S", "specular highlights on / off"});
  return help;
}
