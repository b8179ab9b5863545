#include "scenes/ParticleContext.h"

#include <string>

#include "engine/Material.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"

namespace {

constexpr float kRadiansPerDegree = 3.1415927f * 0.0055555557f;
constexpr float kCameraDistance = 5.0f;

struct EmitterSetup {
  const char* texture;
  Vector3 position;
  Vector3 direction;
  float spreadDeg;
  Color colorStart, colorEnd;
  float sizeStart, sizeEnd;
};

const EmitterSetup kFire{"/Textures/fire.tga", {-2.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 20.0f,
                         Color(1.0f, 1.0f, 0.0f, 1.0f), Color(1.0f, 0.0f, 0.0f, 0.5f), 1.0f, 0.8f};
const EmitterSetup kSmoke{"/Textures/smoke.tga", {2.0f, 0.0f, 0.0f}, {0.0f, 1.5f, 0.0f}, 5.0f,
                          Color(0.2f, 0.2f, 0.2f, 0.8f), Color(0.9f, 0.9f, 0.9f, 0.0f), 0.8f, 2.0f};

void configure(ParticleEmitter& emitter, const EmitterSetup& setup) {
  RefPtr<Material> material = new Material(Material::kPlain);
  if (TextureManager* textures = TextureManager::instance().get()) {
    const std::string path = VariableTable::instance().get("data").value() + setup.texture;
    material->setTexture(0, textures->createFromFile(path));
  }
  emitter.setMaterial(material);
  emitter.setPosition(setup.position);
  emitter.setDirection(setup.direction);
  emitter.setSpread(setup.spreadDeg * kRadiansPerDegree);
  emitter.setColors(setup.colorStart, setup.colorEnd);
  emitter.setSizes(setup.sizeStart, setup.sizeEnd);
}

}  // namespace

ParticleContext::ParticleContext()
    : Context("ParticleContext"),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      fire(20.0f, 1.0f),
      smoke(5.0f, 3.0f) {
  SceneNode* node = sceneCamera.node();
  node->local().setTranslation(Vector3(0.0f, 0.0f, -kCameraDistance));
  node->updateWorld();
  orbit.setDistance(kCameraDistance);
  orbit.syncTarget();
  cameraOnly.setCamera(&sceneCamera);
}

void ParticleContext::init() {
  configure(fire, kFire);
  configure(smoke, kSmoke);
}

void ParticleContext::update() {
  orbit.update();
  fire.update();
  smoke.update();
}

void ParticleContext::render() {
  Renderer* renderer = rendererHolder().get();
  if (!renderer) return;
  renderer->renderScene(cameraOnly);
  renderer->drawParticles(fire);
  renderer->drawParticles(smoke);
}

std::vector<KeyHelp> ParticleContext::keyHelp() const { return OrbitCameraController::mouseHelp(); }
