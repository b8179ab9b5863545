#include <gtest/gtest.h>

#include <map>
#include <string>

#include "effects/BumpMaterial.h"
#include "foundation/KeyCodes.h"
#include "foundation/Variable.h"
#include "foundation/VariableTable.h"
#include "image/Texture.h"
#include "image/TextureManager.h"
#include "render/DeviceCaps.h"
#include "scenes/BumpMd3Context.h"
#include "tests/foundation/TestSupport.h"
#include "tests/support/HeldInput.h"
#include "tests/render/RendererTestSupport.h"

namespace {

// The generated game archive, a recording renderer and a texture manager on its device.
class BumpMd3ContextTest : public testsupport::InputFrames {
 protected:
  BumpMd3ContextTest() : InputFrames(keys) {}
  void SetUp() override {
    InputFrames::SetUp();
    VariableTable::instance().set(Variable("q3a", std::string(TESTBED_BINARY_DIR) + "/q3a/"));
  }
  void TearDown() override {
    TextureManager::instance().reset();
    r.close();
    VariableTable::instance().clear();
    InputFrames::TearDown();
  }
  void open() {
    r.open();
    TextureManager::instance() = new TextureManager(r.device, 0);
  }
  void frame(BumpMd3Context& context) {
    nextFrame();
    context.update();
  }
  // Down for one frame, up for the next.
  void press(BumpMd3Context& context, int key) {
    keys.held = {key};
    frame(context);
    keys.held.clear();
    frame(context);
  }
  const std::vector<RefPtr<MeshInstance>>& instances(BumpMd3Context& context) {
    return context.animation()->model()->instances();
  }
  // Passes of every surface's material, in instance order.
  std::vector<int> passes(BumpMd3Context& context) {
    std::vector<int> out;
    for (const auto& instance : instances(context)) out.push_back(instance->material()->passCount());
    return out;
  }
  int drawsOfOneFrame(BumpMd3Context& context) {
    r.renderer->beginFrame();
    r.startRecording();
    context.render();
    return r.device->callCount("drawIndexedPrimitive");
  }

  testsupport::HeldInput keys;
  RecordingRenderer r;
};

TEST_F(BumpMd3ContextTest, EveryTexturedSurfaceIsBumpMappedWithANormalMapOfItsOwnSkin) {
  open();
  BumpMd3Context context;
  EXPECT_EQ(context.name(), "BumpMd3Context");
  context.init();
  ASSERT_NE(context.animation(), nullptr);
  EXPECT_TRUE(context.specularPass());

  std::map<const Texture*, const Texture*> normalOfSkin;
  int sharedSkins = 0;
  for (const auto& instance : instances(context)) {
    auto* bump = dynamic_cast<BumpMaterial*>(instance->material());
    ASSERT_NE(bump, nullptr);
    const Texture* skin = bump->texture(1);
    const Texture* normals = bump->texture(0);
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(normals, nullptr);
    EXPECT_EQ(normals->name(), skin->name() + "Bump");
    // Surfaces that share a skin share its normal map.
    auto [entry, inserted] = normalOfSkin.emplace(skin, normals);
    if (!inserted) {
      ++sharedSkins;
      EXPECT_EQ(entry->second, normals) << skin->name();
    }
    const Mesh& mesh = *instance->mesh();
    EXPECT_EQ(mesh.texCoordMode(1), Mesh::TexExplicit);
    EXPECT_EQ(mesh.current().tangentFrames.size(), mesh.vertexCount());
    for (std::uint32_t frame = 0; frame < mesh.frameCount(); ++frame) {
      ASSERT_EQ(mesh.frame(frame)->tangentFrames.size(), mesh.vertexCount()) << "frame " << frame;
    }
  }
  EXPECT_GT(sharedSkins, 0) << "the character should have surfaces that share a skin";
  EXPECT_EQ(drawsOfOneFrame(context), 2 * static_cast<int>(instances(context).size()));
}

TEST_F(BumpMd3ContextTest, EverySurfaceIsLitByTheLightAlongTheView) {
  open();
  BumpMd3Context context;
  context.init();
  frame(context);
  const float* light = context.light()->position();
  EXPECT_EQ(light[3], 0.0f);
  for (const auto& instance : instances(context)) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(instance->light()[k], light[k]);
  }
}

TEST_F(BumpMd3ContextTest, SSwitchesTheSpecularPassAndReturnSwitchesItOnAgain) {
  open();
  BumpMd3Context context;
  context.init();
  const std::size_t surfaces = instances(context).size();
  press(context, kKeyS);
  EXPECT_FALSE(context.specularPass());
  EXPECT_EQ(passes(context), std::vector<int>(surfaces, 1));
  EXPECT_EQ(drawsOfOneFrame(context), static_cast<int>(surfaces));
  press(context, kKeyS);
  EXPECT_TRUE(context.specularPass());
  EXPECT_EQ(passes(context), std::vector<int>(surfaces, 2));
  EXPECT_EQ(drawsOfOneFrame(context), 2 * static_cast<int>(surfaces));

  // Off again, then the next character: bump-mapped, with the specular pass.
  press(context, kKeyS);
  press(context, kKeyReturn);
  EXPECT_EQ(context.modelIndex(), 9u);
  ASSERT_NE(context.animation(), nullptr);
  EXPECT_TRUE(context.specularPass());
  for (const auto& instance : instances(context)) {
    EXPECT_NE(dynamic_cast<BumpMaterial*>(instance->material()), nullptr);
    EXPECT_EQ(instance->material()->passCount(), 2);
  }
}

TEST_F(BumpMd3ContextTest, WithoutTheDotProductOperationOnlyTheNoticeIsDrawn) {
  r.device->caps().TextureOpCaps &= ~D3DTEXOPCAPS_DOTPRODUCT3;
  open();
  ASSERT_FALSE(DeviceCaps::instance().hasDot3());
  BumpMd3Context context;
  context.init();
  frame(context);
  EXPECT_EQ(drawsOfOneFrame(context), 0);
  std::vector<std::string> texts;
  for (const DeviceCall& call : r.device->callsNamed("drawText")) {
    if (call.ints.size() >= 5 && (call.ints[3] & DT_CALCRECT) == 0) {
      texts.push_back(call.text);
      EXPECT_EQ(call.ints[1], 5);
      EXPECT_EQ(call.ints[2], 80);
    }
  }
  EXPECT_EQ(texts, std::vector<std::string>{"No dot3 blend mode supported."});
}

TEST_F(BumpMd3ContextTest, WithoutACharacterThereIsNothingToBumpMap) {
  VariableTable::instance().set(Variable("q3a", "/nonexistent/"));
  open();
  BumpMd3Context context;
  context.init();
  EXPECT_EQ(context.animation(), nullptr);
  press(context, kKeyS);
  EXPECT_TRUE(context.specularPass());
  EXPECT_EQ(drawsOfOneFrame(context), 0);
}

}  // namespace
