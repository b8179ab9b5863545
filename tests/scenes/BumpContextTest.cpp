#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effects/BumpMaterial.h"
#include "engine/MathConstants.h"
#include "foundation/LogCapture.h"
#include "foundation/Logger.h"
#include "foundation/Mouse.h"
#include "foundation/Variable.h"
#include "foundation/VariableTable.h"
#include "image/Image.h"
#include "image/TextureManager.h"
#include "scenes/BumpContext.h"
#include "tests/foundation/TestSupport.h"
#include "tests/render/RendererTestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string debugText;
void collectDebug(const char* piece) { debugText += piece; }

std::vector<char> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A data directory of its own holding the two pictures the scene reads, a recording renderer and
// a texture manager on its device.
class BumpContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data = temporary.path();
    fs::create_directories(data / "textures");
    for (const char* name : {"debugHeight.tga", "h_bitterman.tga"}) {
      fs::copy_file(fs::path(TESTBED_BINARY_DIR) / "data" / "textures" / name, data / "textures" / name);
    }
    VariableTable::instance().clear();
    VariableTable::instance().set(Variable("data", data.string()));
    r.open();
    TextureManager::instance() = new TextureManager(r.device, 0);
    Mouse::instance().reset();
    debugText.clear();
    setDebugSink(collectDebug);
  }
  void TearDown() override {
    setDebugSink(nullptr);
    TextureManager::instance().reset();
    r.close();
    VariableTable::instance().clear();
  }
  fs::path normalMapPath() const { return data / "textures" / "debugnormal.tga"; }

  testsupport::TempDir temporary;
  fs::path data;
  RecordingRenderer r;
};

TEST_F(BumpContextTest, InitBuildsTheThreeSurfacesAndReportsTheGridSplit) {
  BumpContext context;
  EXPECT_EQ(context.name(), "BumpContext");
  context.init();

  // Two quads sharing one mesh of four vertices, and the grid whose mirrored middle row and column
  // split five vertices (the four edge midpoints and the centre).
  EXPECT_EQ(debugText, "Before: 9, After: 14\n");
  const auto& instances = context.scene().instances();
  ASSERT_EQ(instances.size(), 3u);
  EXPECT_EQ(instances[0].get(), context.quad());
  EXPECT_EQ(instances[1].get(), context.quadCopy());
  EXPECT_EQ(instances[2].get(), context.grid());
  EXPECT_EQ(context.quad()->mesh(), context.quadCopy()->mesh());
  EXPECT_EQ(context.quad()->mesh()->vertexCount(), 4u);
  EXPECT_EQ(context.grid()->mesh()->vertexCount(), 14u);
  for (const auto& instance : instances) {
    EXPECT_TRUE(instance->mesh()->isDynamic());
    EXPECT_EQ(instance->mesh()->current().tangentFrames.size(), instance->mesh()->vertexCount());
    EXPECT_EQ(instance->mesh()->texCoordMode(1), Mesh::TexExplicit);
  }

  // Each surface has a bump material of its own with the normal map and the colour map.
  auto* quadMaterial = dynamic_cast<BumpMaterial*>(context.quad()->material());
  ASSERT_NE(quadMaterial, nullptr);
  ASSERT_NE(quadMaterial->texture(0), nullptr);
  ASSERT_NE(quadMaterial->texture(1), nullptr);
  EXPECT_EQ(quadMaterial->texture(0)->name(), (data / "textures" / "debugnormal.tga").string());
  EXPECT_EQ(quadMaterial->texture(1)->name(), (data / "textures" / "h_bitterman.tga").string());
  for (MeshInstance* other : {context.quadCopy(), context.grid()}) {
    ASSERT_NE(dynamic_cast<BumpMaterial*>(other->material()), nullptr);
    EXPECT_NE(other->material(), quadMaterial);
    EXPECT_EQ(other->material()->texture(0), quadMaterial->texture(0));
    EXPECT_EQ(other->material()->texture(1), quadMaterial->texture(1));
  }

  // Placement: the quad left of the middle, its copy turned half a turn to the right, the grid above.
  const Matrix34& copy = context.quadCopy()->node()->world();
  EXPECT_NEAR(copy[0], -1.0f, 1e-6f);
  EXPECT_NEAR(copy[5], -1.0f, 1e-6f);
  EXPECT_EQ(copy.translation(), Vector3(1.2f, -1.0f, 0.0f));
  EXPECT_EQ(context.quad()->node()->world().translation(), Vector3(-1.2f, -1.0f, 0.0f));
  EXPECT_EQ(context.grid()->node()->world().translation(), Vector3(0.0f, 2.5f, 0.0f));
  // The camera at (0, 1, −5) looks at the origin.
  const Matrix34& eye = context.camera().node()->world();
  EXPECT_EQ(eye.translation(), Vector3(0.0f, 1.0f, -5.0f));
  const Vector3 view = eye.axis(2);
  EXPECT_NEAR(view.x, 0.0f, 1e-6f);
  EXPECT_NEAR(view.y, -1.0f / std::sqrt(26.0f), 1e-6f);
  EXPECT_NEAR(view.z, 5.0f / std::sqrt(26.0f), 1e-6f);
}

TEST_F(BumpContextTest, NormalMapIsSavedBesideTheHeightMapAndRewrittenUnchanged) {
  BumpContext first;
  first.init();
  ASSERT_TRUE(fs::exists(normalMapPath()));
  const std::vector<char> written = fileBytes(normalMapPath());
  // What the file holds is the normal map of the height map.
  RefPtr<Image> heights(new Image((data / "textures" / "debugHeight.tga").string()));
  RefPtr<Image> expected = heights->makeNormalMap(30.0f, ImageFormat::kRgb);
  RefPtr<Image> saved(new Image(normalMapPath().string()));
  ASSERT_EQ(saved->width(), 256u);
  ASSERT_EQ(saved->height(), 256u);
  saved->convert(expected->format());
  EXPECT_EQ(std::memcmp(saved->data(), expected->data(), std::size_t(256) * 256 * 3), 0);

  // A later run overwrites whatever is there with the same file.
  std::ofstream(normalMapPath(), std::ios::binary | std::ios::trunc) << "stale";
  TextureManager::instance() = new TextureManager(r.device, 0);
  BumpContext second;
  second.init();
  EXPECT_EQ(fileBytes(normalMapPath()), written);
}

TEST_F(BumpContextTest, UnwritableNormalMapFileLogsOneLineAndUsesTheMapFromMemory) {
  // A directory where the file should go: no user, not even root, can write the file there.
  fs::create_directories(normalMapPath() / "blocked");
  LogCapture log;
  BumpContext context;
  context.init();
  ASSERT_EQ(log.messages().size(), 1u) << log.text();
  EXPECT_EQ(log.messages()[0], "Couldn't save the normal map \"" + normalMapPath().string() + "\"; using it from memory");
  // The normal map texture is the full 256 × 256 map, not the placeholder of a missing file.
  const Texture* normals = context.quad()->material()->texture(0);
  ASSERT_NE(normals, nullptr);
  EXPECT_EQ(r.device->contents(normals->deviceTexture()).size(), std::size_t(256) * 256 * 4);
  EXPECT_EQ(debugText, "Before: 9, After: 14\n");
}

TEST_F(BumpContextTest, MissingHeightMapIsNamedOnceAndTheSceneStillBuilds) {
  fs::remove(data / "textures" / "debugHeight.tga");
  LogCapture log;
  BumpContext context;
  context.init();
  ASSERT_EQ(log.messages().size(), 1u) << log.text();
  EXPECT_TRUE(log.contains("debugHeight.tga\" not found."));
  EXPECT_FALSE(fs::exists(normalMapPath()));
  EXPECT_EQ(context.scene().instances().size(), 3u);
}

TEST_F(BumpContextTest, UpdatePutsThePointLightAtTheCameraAndRenderDrawsTwoPassesEach) {
  BumpContext context;
  context.init();
  context.camera().node()->local().setTranslation(Vector3(0.5f, 2.0f, -6.0f));
  context.camera().node()->updateWorld();
  context.update();
  const Vector3 eye = context.camera().node()->world().translation();
  for (MeshInstance* instance : {context.quad(), context.quadCopy(), context.grid()}) {
    const float* light = instance->light();
    EXPECT_EQ(Vector3(light[0], light[1], light[2]), eye);
    EXPECT_EQ(light[3], 1.0f);
  }
  r.renderer->beginFrame();
  r.startRecording();
  context.render();
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 6);
}

}  // namespace
