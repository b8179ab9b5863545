#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "LoadedSceneSupport.h"
#include "engine/MeshInstance.h"
#include "foundation/LogCapture.h"
#include "image/Texture.h"
#include "scenes/TestContext.h"
#include "tests/foundation/TestSupport.h"

namespace {

using TestContextTest = scenetest::LoadedScene;

void expectAt(const SceneNode* node, const Vector3& position, const char* what) {
  ASSERT_NE(node, nullptr) << what;
  EXPECT_EQ(node->world().translation(), position) << what;
}

TEST_F(TestContextTest, PlacesTheCrateTwiceTheRobotTheTigerTheQuadAndTheSphere) {
  open();
  TestContext context;
  EXPECT_EQ(context.name(), "TestContext");
  context.init();
  const Scene& scene = context.scene();
  ASSERT_EQ(scene.objects().size(), 4u);
  const Model& crate = *scene.objects()[0];
  const Model& crateCopy = *scene.objects()[1];
  const Model& robot = *scene.objects()[2];
  const Model& tiger = *scene.objects()[3];
  expectAt(crate.node(), {-3, -2, 0}, "crate");
  expectAt(crateCopy.node(), {-3, 2, 0}, "crate copy");
  expectAt(robot.node(), {-5, -2, 0}, "robot");
  expectAt(tiger.node(), {0, 0, 0}, "tiger");
  // The copy has its own node and instance on the crate's mesh.
  ASSERT_EQ(crate.instances().size(), 1u);
  ASSERT_EQ(crateCopy.instances().size(), 1u);
  EXPECT_NE(crateCopy.node(), crate.node());
  EXPECT_EQ(crateCopy.instances()[0]->mesh(), crate.instances()[0]->mesh());
  EXPECT_EQ(robot.instances().size(), 5u);  // five material groups
  EXPECT_EQ(tiger.instances().size(), 1u);
  ASSERT_NE(crate.instances()[0]->material(), nullptr);
  ASSERT_NE(crate.instances()[0]->material()->texture(0), nullptr);
  EXPECT_NE(crate.instances()[0]->material()->texture(0)->name().find("crate.tga"), std::string::npos);
  // Bounds follow the placed models, so the renderer does not cull them away.
  for (const auto& model : scene.objects()) {
    EXPECT_GT(model->bounds().radius, 0.5f);
    EXPECT_LT((model->bounds().center - model->node()->world().translation()).length(), model->bounds().radius);
  }
  // The tiger alone was read with recomputed normals.
  EXPECT_FALSE(ObjectLoader::instance()->loadOptions().recomputeNormals);

  ASSERT_EQ(scene.instances().size(), 2u);
  const MeshInstance& quad = *scene.instances()[0];
  const MeshInstance& sphere = *scene.instances()[1];
  expectAt(quad.node(), {2, 0, 0}, "quad");
  expectAt(sphere.node(), {2, 3, 0}, "sphere");
  ASSERT_NE(quad.material(), nullptr);
  ASSERT_NE(quad.material()->texture(0), nullptr);
  EXPECT_NE(quad.material()->texture(0)->name().find("animations/boat/boat.tga"), std::string::npos);
  EXPECT_EQ(sphere.material(), nullptr);
  EXPECT_NEAR(sphere.worldBounds().radius, 1.5f, 0.01f);
  ASSERT_EQ(scene.lights().size(), 1u);
  EXPECT_EQ(context.camera().node()->world().translation(), Vector3(0, 10, -10));
}

TEST_F(TestContextTest, TheLightShinesAlongTheView) {
  open();
  TestContext context;
  context.init();
  context.update();
  // Looking from (0, 10, −10) at the origin: the view runs along (0, −1, 1)/√2, and a directional
  // light shines along the negation of its vector.
  const float* light = context.light()->position();
  EXPECT_NEAR(light[0], 0.0f, 1e-6f);
  EXPECT_NEAR(light[1], std::sqrt(0.5f), 1e-6f);
  EXPECT_NEAR(light[2], -std::sqrt(0.5f), 1e-6f);
  EXPECT_EQ(light[3], 0.0f);
}

TEST_F(TestContextTest, EveryInstanceIsInViewAndDrawn) {
  open();
  TestContext context;
  context.init();
  context.update();
  device->clearCalls();
  rendererHolder()->beginFrame();
  context.render();
  rendererHolder()->endFrame();
  // Crate, copy, five robot groups, tiger, quad and sphere: one indexed draw each.
  EXPECT_EQ(device->callCount("drawIndexedPrimitive"), 10);
}

TEST_F(TestContextTest, MissingModelsAreLeftOutAndTheRestShows) {
  testsupport::TempDir data;
  const std::filesystem::path built = std::string(TESTBED_BINARY_DIR) + "/data";
  for (const char* file : {"animations/testrobot/cube.obj", "animations/testrobot/cube.mtl",
                           "animations/testrobot/crate.tga", "animations/boat/boat.tga"}) {
    const std::filesystem::path target = std::filesystem::path(data.path()) / file;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(built / file, target);
  }
  useData(data.path());
  open();
  LogCapture log;
  TestContext context;
  context.init();
  ASSERT_EQ(context.scene().objects().size(), 2u);  // the crate and its copy
  EXPECT_EQ(context.scene().instances().size(), 2u);
  EXPECT_TRUE(log.contains("test.obj could not be accessed"));
  EXPECT_TRUE(log.contains("tiger.x could not be accessed"));
  context.update();
  device->clearCalls();
  context.render();
  EXPECT_EQ(device->callCount("drawIndexedPrimitive"), 4);
}

TEST_F(TestContextTest, WithoutAnObjectLoaderOnlyTheQuadAndTheSphereShow) {
  open();
  ObjectLoader::instance().reset();
  TestContext context;
  context.init();
  EXPECT_TRUE(context.scene().objects().empty());
  EXPECT_EQ(context.scene().instances().size(), 2u);
}

}  // namespace
