#include <gtest/gtest.h>


#include "engine/Camera.h"
#include "engine/Light.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Renderer.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"

#include "tests/support/AllocationCounter.h"

using testsupport::allocationCount;

namespace {

// Draws nothing; counts what renderScene hands it.
class CountingRenderer : public Renderer {
 public:
  CountingRenderer() : Renderer(Color()) {}
  int meshes = 0;
  int volumes = 0;

  void beginFrame() override {}
  void endFrame() override {}
  void drawParticles(const ParticleEmitter&) override {}
  void drawShadowVolume(const ShadowVolume&) override { ++volumes; }
  void drawMesh(Mesh&) override { ++meshes; }
  void addLight(const Light&) override {}
  std::uint32_t maxLights() const override { return 8; }
  void setAmbient(const Color&) override {}
  void setWorldMatrix(const float[16]) override {}
  void setMaterial(Material*) override {}
  void applyRenderFlags(const RenderFlags&) override {}
  void printText(int, int, const std::string&) override {}
  void setProjectionMatrix(const float[16]) override {}
  void setViewMatrix(const float[16]) override {}
  GraphicsDevice* device() override { return nullptr; }
  void setLightsEnabled(bool) override {}
  void setSelector(int, std::uint8_t) override {}
  const float* viewMatrix() const override { return view; }

 private:
  float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// A scene of three boxes in front of the camera, one casting a shadow: once the first frame has
// sized the lists, later frames cull, build the shadow and draw the three passes without a
// single allocation.
TEST(RenderSceneAllocationTest, LaterFramesOfTheSameSceneAllocateNothing) {
  RefPtr<SceneNode> cameraNode = SceneNode::create(Matrix34::translation(Vector3(0, 0, -20)));
  Camera camera(cameraNode);
  Scene scene;
  scene.setCamera(&camera);
  scene.addLight(RefPtr<Light>(new Light()));
  for (float x : {-4.0f, 0.0f, 4.0f}) {
    scene.addInstance(RefPtr<MeshInstance>(
        new MeshInstance(SceneNode::create(Matrix34::translation(Vector3(x, 0, 0))), Mesh::createBox(2, 2, 2))));
  }
  scene.instances()[1]->setCastShadow(true);
  scene.instances()[1]->setLight(0, 0, 10, 0, 1);
  RefPtr<CountingRenderer> renderer(new CountingRenderer());

  renderer->renderScene(scene);
  const int firstMeshes = renderer->meshes;
  ASSERT_EQ(firstMeshes, 6) << "three visible boxes, ambient and lit passes";
  ASSERT_EQ(renderer->volumes, 1);

  const long before = allocationCount();
  renderer->renderScene(scene);
  renderer->renderScene(scene);
  EXPECT_EQ(allocationCount() - before, 0);
  EXPECT_EQ(renderer->meshes, 3 * firstMeshes);
  EXPECT_EQ(renderer->volumes, 3);
}

}  // namespace
