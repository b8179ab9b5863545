#include <gtest/gtest.h>

#include <vector>

#include "effects/BumpMaterial.h"
#include "effects/BumpSurfaces.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "image/Image.h"
#include "image/Texture.h"
#include "image/TextureManager.h"
#include "device/RecordingDevice.h"

namespace {

class BumpSurfacesTest : public ::testing::Test {
 protected:
  // A 4 × 4 colour texture, black with a white column 1: a ridge in the heights.
  RefPtr<Texture> colourTexture(const char* name) {
    std::vector<std::uint8_t> bgr(4 * 4 * 3, 0);
    for (int y = 0; y < 4; ++y) {
      for (int c = 0; c < 3; ++c) bgr[(y * 4 + 1) * 3 + c] = 255;
    }
    const Image image(4, 4, ImageFormat::kBgr, bgr.data());
    return textures->createFromImage(&image, name);
  }
  RefPtr<MeshInstance> surface(RefPtr<Texture> colour) {
    RefPtr<MeshInstance> instance(new MeshInstance(nullptr, Mesh::createQuad(2, 2)));
    RefPtr<Material> material(new Material());
    if (colour) material->setTexture(0, colour);
    instance->setMaterial(material);
    return instance;
  }

  RefPtr<RecordingDevice> device{new RecordingDevice(true)};
  RefPtr<TextureManager> textures{new TextureManager(device, 7)};
};

TEST_F(BumpSurfacesTest, SurfacesSharingAColourTextureShareOneNormalTexture) {
  RefPtr<Texture> skin = colourTexture("models/players/x/upper.tga");
  RefPtr<Texture> other = colourTexture("models/players/x/head.tga");
  const std::vector<RefPtr<MeshInstance>> instances = {surface(skin), surface(skin), surface(other)};
  EXPECT_EQ(applyBumpMaterials(instances, textures.get()), 3);

  Texture* shared = instances[0]->material()->texture(0);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->name(), "models/players/x/upper.tgaBump");
  EXPECT_EQ(instances[1]->material()->texture(0), shared);
  EXPECT_EQ(instances[2]->material()->texture(0)->name(), "models/players/x/head.tgaBump");
  EXPECT_EQ(textures->size(), 4u) << "two colour and two normal textures";
  for (const auto& instance : instances) {
    ASSERT_NE(dynamic_cast<BumpMaterial*>(instance->material()), nullptr);
    EXPECT_EQ(instance->material()->passCount(), 2);
  }
  EXPECT_EQ(instances[0]->material()->texture(1), skin.get());
  EXPECT_NE(instances[0]->material(), instances[1]->material()) << "a material per surface";
}

TEST_F(BumpSurfacesTest, NormalTextureIsTheNormalMapOfTheColourLuminance) {
  RefPtr<Texture> skin = colourTexture("skin.tga");
  Texture* normals = normalTextureFor(*skin, *textures);
  ASSERT_NE(normals, nullptr);
  // Row 0, texel 0: the height rises by 255 towards +x: n = (−30·255, 0, 900)/|…| = (−0.9931, 0,
  // 0.1168) → (0, 127, 142); texel 1 falls by 255: (0.9931, 0, 0.1168) → (254, 127, 142); the last
  // column is flat (128, 128, 255). Device bytes are B, G, R, A.
  const std::vector<std::uint8_t>& bytes = device->contents(normals->deviceTexture());
  ASSERT_EQ(bytes.size(), 4u * 4 * 4);
  const auto texel = [&](int x, int y) {
    const std::uint8_t* p = &bytes[(y * 4 + x) * 4];
    return std::vector<int>{p[2], p[1], p[0]};
  };
  EXPECT_EQ(texel(0, 0), (std::vector<int>{0, 127, 142}));
  EXPECT_EQ(texel(1, 0), (std::vector<int>{254, 127, 142}));
  EXPECT_EQ(texel(3, 0), (std::vector<int>{128, 128, 255}));
  // Asked again, the cached texture is handed out.
  EXPECT_EQ(normalTextureFor(*skin, *textures), normals);
}

TEST_F(BumpSurfacesTest, UntexturedSurfacesKeepTheirMaterialButGetTangentFrames) {
  const std::vector<RefPtr<MeshInstance>> instances = {surface(nullptr), surface(colourTexture("a.tga"))};
  Material* plain = instances[0]->material();
  EXPECT_EQ(applyBumpMaterials(instances, textures.get()), 1);
  EXPECT_EQ(instances[0]->material(), plain);
  for (const auto& instance : instances) {
    const Mesh& mesh = *instance->mesh();
    EXPECT_EQ(mesh.texCoordMode(1), Mesh::TexExplicit);
    EXPECT_EQ(mesh.texCoords(1), mesh.texCoords(0));
    ASSERT_EQ(mesh.current().tangentFrames.size(), 4u);
    // The binormal is flipped: +y on the quad whose v runs downwards.
    EXPECT_EQ(mesh.current().tangentFrames[0].binormal, Vector3(0, 1, 0));
  }
  // Without a texture manager nothing can be made, but the meshes are still prepared.
  const std::vector<RefPtr<MeshInstance>> more = {surface(colourTexture("b.tga"))};
  EXPECT_EQ(applyBumpMaterials(more, nullptr), 0);
  EXPECT_EQ(more[0]->mesh()->current().tangentFrames.size(), 4u);
}

TEST_F(BumpSurfacesTest, SpecularSwitchAndLightsReachEveryBumpSurface) {
  const std::vector<RefPtr<MeshInstance>> instances = {surface(colourTexture("a.tga")), surface(nullptr)};
  applyBumpMaterials(instances, textures.get());
  setSpecularPass(instances, false);
  EXPECT_EQ(instances[0]->material()->passCount(), 1);
  EXPECT_EQ(instances[1]->material()->passCount(), 1);
  setSpecularPass(instances, true);
  EXPECT_EQ(instances[0]->material()->passCount(), 2);
  EXPECT_EQ(instances[1]->material()->passCount(), 1) << "a plain material is left alone";

  const float light[4] = {0.5f, -1.0f, 2.0f, 0.0f};
  setInstanceLights(instances, light);
  for (const auto& instance : instances) {
    EXPECT_EQ(std::vector<float>(instance->light(), instance->light() + 4), std::vector<float>(light, light + 4));
  }
}

}  // namespace
