#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "tests/render/RendererTestSupport.h"

namespace {

// Records the draw sequence of renderScene on top of the real renderer: which mesh was drawn with
// which pass flags, and when a shadow volume was drawn.
class TracingRenderer : public D3D8Renderer {
 public:
  using D3D8Renderer::D3D8Renderer;

  void drawMesh(Mesh& mesh) override {
    Material* m = currentMaterial();
    std::string entry = "mesh" + std::to_string(meshIds[&mesh]);
    if (m && m->isAmbientPass()) entry += ":ambient";
    if (m && m->isLitPass()) entry += ":lit";
    if (!m || !m->instance() || m->instance()->mesh() != &mesh) entry += ":no-instance";
    trace.push_back(entry);
    D3D8Renderer::drawMesh(mesh);
  }
  void drawShadowVolume(const ShadowVolume& volume) override {
    trace.push_back("shadow");
    D3D8Renderer::drawShadowVolume(volume);
  }

  std::map<const Mesh*, int> meshIds;
  std::vector<std::string> trace;
};

RefPtr<MeshInstance> instanceAt(const Vector3& position, RefPtr<Mesh> mesh) {
  RefPtr<SceneNode> node(new SceneNode());
  node->local().setTranslation(position);
  node->updateWorld();
  RefPtr<MeshInstance> instance(new MeshInstance(node, mesh));
  instance->updateBounds();
  return instance;
}

struct SceneDraw : ::testing::Test {
  void SetUp() override {
    renderer = new TracingRenderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
    rendererHolder() = renderer.get();
    box = Mesh::createBox(1, 1, 1);
    sphere = Mesh::createSphere(0.5f, 8);
    renderer->meshIds[box.get()] = 1;
    renderer->meshIds[sphere.get()] = 2;
    device->clearCalls();
  }
  void TearDown() override { rendererHolder().reset(); }
  RefPtr<RecordingDevice> device{new RecordingDevice(false)};
  RefPtr<TracingRenderer> renderer;
  RefPtr<Mesh> box;
  RefPtr<Mesh> sphere;
};

TEST_F(SceneDraw, WithoutCameraTheDefaultCameraAtTheOriginIsUsed) {
  Scene scene;
  scene.addInstance(instanceAt({0, 0, 5}, box));     // in front: drawn
  scene.addInstance(instanceAt({0, 0, -5}, sphere)); // behind the origin: culled
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace, (std::vector<std::string>{"mesh1"}));
  ASSERT_NE(renderer->camera(), nullptr);
  const float* view = renderer->viewMatrix();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(view[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
  // Default projection: fov π/2 gives c = 1, aspect 4/3, near 1, far 1000; sent transposed.
  const auto& p = device->state().transforms[DeviceState::transformSlot(D3DTS_PROJECTION)];
  const float q = 1000.0f / 999.0f;
  EXPECT_NEAR(p[0], 1.0f, 1e-6f);
  EXPECT_NEAR(p[5], 4.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(p[10], q, 1e-6f);
  EXPECT_NEAR(p[11], 1.0f, 1e-6f);
  EXPECT_NEAR(p[14], -q, 1e-6f);
  EXPECT_EQ(p[15], 0.0f);
}

TEST_F(SceneDraw, ViewMatrixIsTheRigidInverseOfTheCameraNode) {
  Camera camera(RefPtr<SceneNode>(new SceneNode()));
  // Camera at (1, 2, 3), turned a quarter about y: its +z looks along world +x.
  camera.node()->local() = Matrix34(0, 0, 1, 1, 0, 1, 0, 2, -1, 0, 0, 3);
  camera.node()->updateWorld();
  Scene scene;
  scene.setCamera(&camera);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->camera(), &camera);
  // Rᵀ = rows (0 0 -1), (0 1 0), (1 0 0); −Rᵀ·t = (3, -2, -1).
  const float expected[16] = {0, 0, -1, 3, 0, 1, 0, -2, 1, 0, 0, -1, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(renderer->viewMatrix()[i], expected[i], 1e-6f) << i;
}

TEST_F(SceneDraw, WithoutCastersEachVisibleInstanceIsDrawnOnceWithItsFlags) {
  Scene scene;
  RefPtr<MeshInstance> first = instanceAt({0, 0, 5}, box);
  RefPtr<MeshInstance> second = instanceAt({1, 0, 6}, sphere);
  second->renderFlags().fill = 1;
  scene.addInstance(first);
  scene.addInstance(second);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace, (std::vector<std::string>{"mesh1", "mesh2"}));
  EXPECT_EQ(renderer->renderState().fill, 1);
  EXPECT_EQ(device->callCount("drawIndexedPrimitive"), 2);
  // The last world transform is the second instance's node.
  EXPECT_EQ(renderer->worldMatrix()[3], 1.0f);
  EXPECT_EQ(renderer->worldMatrix()[11], 6.0f);
}

TEST_F(SceneDraw, InstanceWithoutMaterialUsesTheSharedDefaultMaterial) {
  Scene scene;
  RefPtr<MeshInstance> first = instanceAt({0, 0, 5}, box);
  scene.addInstance(first);
  renderer->renderScene(scene);
  Material* used = renderer->currentMaterial();
  ASSERT_NE(used, nullptr);
  EXPECT_EQ(used->passCount(), 1u);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->currentMaterial(), used);
}

TEST_F(SceneDraw, WithACasterThreePassesRunAmbientShadowsLit) {
  Scene scene;
  RefPtr<MeshInstance> caster = instanceAt({0, 0, 5}, box);
  caster->setLight(0, 0, 10, 5, 1);
  caster->setCastShadow(true);
  RefPtr<MeshInstance> floor = instanceAt({0, -2, 5}, sphere);
  RefPtr<Material> floorMaterial(new Material(1));
  floor->setMaterial(floorMaterial);
  scene.addInstance(caster);
  scene.addInstance(floor);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace,
            (std::vector<std::string>{"mesh1:ambient", "mesh2:ambient", "shadow", "mesh1:lit", "mesh2:lit"}));
  EXPECT_FALSE(floorMaterial->isAmbientPass());
  EXPECT_FALSE(floorMaterial->isLitPass());
  EXPECT_EQ(floorMaterial->instance(), nullptr);
  EXPECT_GT(caster->shadow()->vertexCount(), 0u);
}

TEST_F(SceneDraw, CulledCasterStillCastsItsShadow) {
  Scene scene;
  RefPtr<MeshInstance> caster = instanceAt({0, 0, -20}, box);  // behind the camera
  caster->setLight(0, 0, 10, -20, 1);
  caster->setCastShadow(true);
  scene.addInstance(caster);
  scene.addInstance(instanceAt({0, 0, 5}, sphere));
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace, (std::vector<std::string>{"mesh2:ambient", "shadow", "mesh2:lit"}));
  // The volume is drawn with the caster's world transform.
  EXPECT_EQ(device->callCount("drawPrimitive"), 2);
}

TEST_F(SceneDraw, LightsOfTheSceneAreAddedInOrder) {
  Scene scene;
  RefPtr<Light> a(new Light());
  a->setPosition(1, 0, 0, 1);
  RefPtr<Light> b(new Light());
  b->setPosition(0, 1, 0, 0);
  scene.addLight(a);
  scene.addLight(b);
  renderer->beginFrame();
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->lightCount(), 2u);
  EXPECT_EQ(device->state().lights[0].Type, D3DLIGHT_POINT);
  EXPECT_EQ(device->state().lights[1].Type, D3DLIGHT_DIRECTIONAL);
}

TEST_F(SceneDraw, CulledObjectDrawsNoneOfItsInstancesButKeepsTheirShadows) {
  Scene scene;
  RefPtr<Model> behind(new Model());
  behind->setBounds(BoundingSphere{Vector3(0, 0, -50), 2.0f});
  // The instance itself would be visible; the object's bounds decide.
  RefPtr<MeshInstance> hidden = instanceAt({0, 0, 5}, box);
  hidden->setLight(0, 0, 10, 5, 1);
  hidden->setCastShadow(true);
  behind->addInstance(hidden);
  RefPtr<Model> ahead(new Model());
  ahead->setBounds(BoundingSphere{Vector3(0, 0, 5), 20.0f});
  ahead->addInstance(instanceAt({0, 0, 6}, sphere));
  ahead->addInstance(instanceAt({0, 0, -30}, sphere));  // culled on its own bounds
  scene.addObject(behind);
  scene.addObject(ahead);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace, (std::vector<std::string>{"mesh2:ambient", "shadow", "mesh2:lit"}));
}

TEST_F(SceneDraw, ObjectsAreDrawnBeforeTheScenesOwnInstances) {
  Scene scene;
  scene.addInstance(instanceAt({0, 0, 5}, box));
  RefPtr<Model> model(new Model());
  model->setBounds(BoundingSphere{Vector3(0, 0, 6), 1.0f});
  model->addInstance(instanceAt({0, 0, 6}, sphere));
  scene.addObject(model);
  renderer->renderScene(scene);
  EXPECT_EQ(renderer->trace, (std::vector<std::string>{"mesh2", "mesh1"}));
}

}  // namespace
