#include "scenes/TestContext.h"

#include <cmath>
#include <string>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/Path.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ModelBounds.h"
#include "loaders/ObjectLoader.h"

namespace {

const Vector3 kEye(0.0f, 10.0f, -10.0f);
const Vector3 kCratePosition(-3.0f, -2.0f, 0.0f);
const Vector3 kCrateClonePosition(-3.0f, 2.0f, 0.0f);
const Vector3 kRobotPosition(-5.0f, -2.0f, 0.0f);
const Vector3 kQuadPosition(2.0f, 0.0f, 0.0f);
const Vector3 kSpherePosition(2.0f, 3.0f, 0.0f);
constexpr float kQuadSide = 2.0f;
constexpr float kSphereRadius = 1.5f;
constexpr int kSphereSegments = 18;
const char* const kCrateFile = "animations/testrobot/cube.obj";
const char* const kRobotFile = "animations/testrobot/test.obj";
const char* const kTigerFile = "xfiles/tiger.x";
const char* const kQuadTexture = "animations/boat/boat.tga";

std::string dataPath(const char* relative) {
  return (Path(VariableTable::instance().get("data").value()) + relative).full();
}

// World transforms and bounds after the model's root was placed; a model that failed to load
// (null) is passed through.
RefPtr<Model> settle(RefPtr<Model> model) {
  if (!model || !model->node()) return model;
  model->node()->updateWorld();
  updateModelBounds(*model);
  return model;
}

RefPtr<Model> place(RefPtr<Model> model, const Vector3& position) {
  if (model && model->node()) model->node()->local().setTranslation(position);
  return settle(std::move(model));
}

RefPtr<MeshInstance> placeInstance(RefPtr<Mesh> mesh, const Vector3& position) {
  if (!mesh) return nullptr;
  Matrix34 local = Matrix34::identity();
  local.setTranslation(position);
  RefPtr<MeshInstance> instance = new MeshInstance(SceneNode::create(local), std::move(mesh));
  instance->updateBounds();
  return instance;
}

}  // namespace

TestContext::TestContext() : Context("TestContext"), sceneCamera(SceneNode::create(Matrix34::identity())), orbit(&sceneCamera) {}

void TestContext::init() {
  SceneNode* node = sceneCamera.node();
  node->local() = Matrix34::lookAt(kEye, Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
  node->updateWorld();
  orbit.setDistance(std::sqrt(200.0f));
  orbit.syncTarget();
  testScene.setCamera(&sceneCamera);
  sceneLight = new Light();
  testScene.addLight(sceneLight);

  if (ObjectLoader* loader = ObjectLoader::instance().get()) {
    RefPtr<Model> crate = place(loader->loadObject(dataPath(kCrateFile)), kCratePosition);
    RefPtr<Model> crateClone = place(crate ? crate->clone() : nullptr, kCrateClonePosition);
    RefPtr<Model> robot = place(loader->loadObject(dataPath(kRobotFile)), kRobotPosition);
    loader->setRecomputeNormals(true);
    RefPtr<Model> tiger = loader->loadObject(dataPath(kTigerFile));
    loader->setRecomputeNormals(false);
    settle(tiger);
    for (const RefPtr<Model>& model : {crate, crateClone, robot, tiger}) {
      if (model) testScene.addObject(model);
    }
  }

  RefPtr<MeshInstance> quad = placeInstance(Mesh::createQuad(kQuadSide, kQuadSide), kQuadPosition);
  if (quad) {
    RefPtr<Material> material = new Material(Material::kPlain);
    if (TextureManager* textures = TextureManager::instance().get()) {
      material->setTexture(0, textures->createFromFile(dataPath(kQuadTexture)));
    }
    quad->setMaterial(material);
    testScene.addInstance(quad);
  }
  if (RefPtr<MeshInstance> sphere = placeInstance(Mesh::createSphere(kSphereRadius, kSphereSegments), kSpherePosition)) {
    testScene.addInstance(sphere);
  }
}

void TestContext::update() {
  orbit.update();
  // Along the view: the camera's local z axis is the third column.
  const Matrix34& view = sceneCamera.node()->local();
  if (sceneLight) sceneLight->setPosition(-view[2], -view[6], -view[10], 0.0f);
}

void TestContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(testScene);
}

std::vector<KeyHelp> TestContext::keyHelp() const { return OrbitCameraController::mouseHelp(); }
