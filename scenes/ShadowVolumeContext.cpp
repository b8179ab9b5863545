#include "scenes/ShadowVolumeContext.h"

#include <cmath>
#include <string>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/Path.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ModelBounds.h"
#include "loaders/ObjectLoader.h"
#include "render/DeviceCaps.h"

namespace {

constexpr int kStencilDepthFormat = 1;  // D24S8 in the device's depth-format list
constexpr float kCameraDistance = 5.0f;
constexpr float kNearDistance = 0.3f;
constexpr float kFarDistance = 100000.0f;
constexpr float kLightRange = 60.0f;
constexpr float kLightOrbitRadius = 3.0f;
constexpr float kLightHeight = 1.5f;
constexpr double kLightRadiansPerMs = 0.0005;
constexpr float kRoomWidth = 10.0f, kRoomHeight = 5.0f, kRoomDepth = 10.0f;
constexpr float kBoxSide = 0.5f;
const Vector3 kBoxPosition(-2.0f, -1.0f, 0.0f);
const Vector3 kBoxCopyPosition(2.0f, 1.0f, 0.0f);
const char* const kTigerFile = "xfiles/tiger.x";
const char* const kNotice = "No 8 bit stencil supported";

// The fire at the light: smaller, slower and shorter-lived than the particle scene's.
constexpr float kFireRate = 30.0f;
constexpr float kFireLifetime = 0.5f;
const char* const kFireTexture = "Textures/fire.tga";
const Vector3 kFireDirection(0.0f, 0.5f, 0.0f);
constexpr float kFireSpreadDeg = 10.0f;
constexpr float kRadiansPerDegree = 3.1415927f * 0.0055555557f;

std::string dataPath(const char* relative) {
  return (Path(VariableTable::instance().get("data").value()) + relative).full();
}

RefPtr<SceneNode> nodeAt(const Vector3& position) {
  Matrix34 local = Matrix34::identity();
  local.setTranslation(position);
  return SceneNode::create(local);
}

}  // namespace

ShadowVolumeContext::ShadowVolumeContext()
    : Context("ShadowVolumeContext"),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      fire(kFireRate, kFireLifetime) {}

bool ShadowVolumeContext::hasStencil() { return DeviceCaps::instance().supportsDepthFormat(kStencilDepthFormat); }

void ShadowVolumeContext::init() {
  if (!hasStencil()) return;
  SceneNode* node = sceneCamera.node();
  node->local().setTranslation(Vector3(0.0f, 0.0f, -kCameraDistance));
  node->updateWorld();
  orbit.setDistance(kCameraDistance);
  orbit.syncTarget();
  sceneCamera.setNearDist(kNearDistance);
  sceneCamera.setFarDist(kFarDistance);
  shadowScene.setCamera(&sceneCamera);

  pointLight = new Light();
  pointLight->setRange(kLightRange);

  RefPtr<Material> fireMaterial = new Material(Material::kPlain);
  if (TextureManager* textures = TextureManager::instance().get()) {
    fireMaterial->setTexture(0, textures->createFromFile(dataPath(kFireTexture)));
  }
  fire.setMaterial(fireMaterial);
  fire.setDirection(kFireDirection);
  fire.setSpread(kFireSpreadDeg * kRadiansPerDegree);
  fire.setColors(Color(1.0f, 1.0f, 0.0f, 1.0f), Color(1.0f, 0.0f, 0.0f, 0.0f));
  fire.setSizes(1.0f, 0.2f);

  // The room is seen from inside, so its faces are turned inwards.
  RefPtr<Mesh> roomMesh = Mesh::createBox(kRoomWidth, kRoomHeight, kRoomDepth);
  roomMesh->flipWinding();
  RefPtr<MeshInstance> room = new MeshInstance(SceneNode::create(Matrix34::identity()), roomMesh);

  RefPtr<Mesh> boxMesh = Mesh::createBox(kBoxSide, kBoxSide, kBoxSide);
  boxMesh->computeNormals(true, true);
  boxMesh->computeFacePlanes();
  boxMesh->buildAdjacency();
  smallBox = new MeshInstance(nodeAt(kBoxPosition), boxMesh);
  smallBox->setCastShadow(true);
  smallBoxCopy = smallBox->clone();
  smallBoxCopy->setNode(nodeAt(kBoxCopyPosition));

  if (ObjectLoader* loader = ObjectLoader::instance().get()) tiger = loader->loadObject(dataPath(kTigerFile));
  if (tiger) {
    for (const RefPtr<MeshInstance>& instance : tiger->instances()) instance->setCastShadow(true);
  }

  smallBox->updateBounds();
  if (tiger) updateModelBounds(*tiger);
  smallBoxCopy->updateBounds();
  room->updateBounds();

  shadowScene.addInstance(smallBox);
  if (tiger) shadowScene.addObject(tiger);
  shadowScene.addInstance(smallBoxCopy);
  shadowScene.addInstance(room);
  shadowScene.addLight(pointLight);
}

void ShadowVolumeContext::update() {
  if (!hasStencil() || !pointLight) return;
  orbit.update();
  const double angle = Timer::instance().time() * kLightRadiansPerMs;
  const Vector3 position(kLightOrbitRadius * static_cast<float>(std::cos(angle)), kLightHeight,
                         kLightOrbitRadius * static_cast<float>(std::sin(angle)));
  pointLight->setPosition(position.x, position.y, position.z, 1.0f);
  fire.setPosition(position);
  fire.update();
  smallBox->setLight(0, position.x, position.y, position.z, 1.0f);
  smallBoxCopy->setLight(0, position.x, position.y, position.z, 1.0f);
  if (tiger) {
    for (const RefPtr<MeshInstance>& instance : tiger->instances()) {
      instance->setLight(0, position.x, position.y, position.z, 1.0f);
    }
  }
}

void ShadowVolumeContext::render() {
  Renderer* renderer = rendererHolder().get();
  if (!renderer) return;
  if (!hasStencil()) {
    renderer->printText(5, 80, kNotice);
    return;
  }
  renderer->renderScene(shadowScene);
  renderer->drawParticles(fire);
}

std::vector<KeyHelp> ShadowVolumeContext::keyHelp() const { return OrbitCameraController::mouseHelp(); }
