#include <gtest/gtest.h>

#include "device/GlDevice.h"
#include "effects/BumpMaterial.h"
#include "effects/TangentFrames.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "render/D3D8Renderer.h"
#include "tests/support/AllocationCounter.h"

using testsupport::allocationCount;

namespace {

// A bump-mapped quad 5 ahead of the default camera, with both passes.
RefPtr<MeshInstance> bumpQuad() {
  RefPtr<Mesh> mesh = Mesh::createQuad(2, 2);
  mesh->setDynamic(true);
  buildTangentFrames(*mesh, true, 0);
  RefPtr<MeshInstance> quad(new MeshInstance(SceneNode::create(Matrix34::translation(Vector3(0, 0, 5))), mesh));
  quad->updateBounds();
  quad->setMaterial(RefPtr<Material>(new BumpMaterial()));
  quad->setLight(0, 2, 1, 0, 1);
  return quad;
}

TEST(BumpAllocation, RecomputingTheVectorsEveryFrameAllocatesNothing) {
  RefPtr<MeshInstance> quad = bumpQuad();
  auto* material = static_cast<BumpMaterial*>(quad->material());
  material->setInstance(quad.get());
  ASSERT_TRUE(material->updateVectors(Vector3(0, 0, 0)));
  const long before = allocationCount();
  for (int frame = 0; frame < 5; ++frame) {
    quad->setLight(0, 2.0f - frame, 0, 3, 1);
    ASSERT_TRUE(material->updateVectors(Vector3(0, frame * 0.1f, 0)));
  }
  EXPECT_EQ(allocationCount() - before, 0);
  material->setInstance(nullptr);
}

// The whole frame on the OpenGL device: both passes, the vertex colours rewritten and the vertex
// buffer refilled, once the first frames have made the buffers and programs.
TEST(BumpAllocation, LaterFramesOnTheOpenGlDeviceAllocateNothing) {
  RefPtr<GlDevice> device = GlDevice::createHeadless(64, 48);
  if (!device) GTEST_SKIP() << "no headless OpenGL context";
  RefPtr<D3D8Renderer> renderer(new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f)));
  rendererHolder() = renderer.get();
  Scene scene;
  scene.addInstance(bumpQuad());
  auto frame = [&](float lightX) {
    scene.instances()[0]->setLight(0, lightX, 1, 0, 1);
    renderer->beginFrame();
    renderer->renderScene(scene);
    renderer->endFrame();
  };
  frame(2.0f);
  frame(1.0f);
  const long before = allocationCount();
  for (int i = 0; i < 3; ++i) frame(-1.0f * i);
  EXPECT_EQ(allocationCount() - before, 0);
  rendererHolder().reset();
}

}  // namespace
