#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/GlDevice.h"
#include "effects/BumpMaterial.h"
#include "effects/TangentFrames.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "image/Texture.h"
#include "render/D3D8Renderer.h"
#include "tests/render/HeadlessFrame.h"

namespace {

constexpr int kTexels = 16;

// A 16 × 16 normal map of a square pyramid seen from above, in the convention of makeNormalMap
// (y towards decreasing v, i.e. towards texel row 0): four faces tilted by atan(0.6 / 0.8) = 37°.
// Texel bytes trunc((n + 1) / 2 · 255): right (0.6, 0, 0.8) → (204, 127, 229), left → (51, 127,
// 229), top rows (0, 0.6, 0.8) → (127, 204, 229), bottom rows → (127, 51, 229).
std::uint32_t pyramidTexel(int x, int y) {
  const float dx = x + 0.5f - kTexels / 2, dy = y + 0.5f - kTexels / 2;
  std::uint32_t r = 127, g = 127;
  if (dx * dx > dy * dy) {
    r = dx > 0 ? 204 : 51;
  } else {
    g = dy < 0 ? 204 : 51;
  }
  return 0xFF000000u | r << 16 | g << 8 | 229u;  // ARGB
}

class BumpPixels : public headless::HeadlessFrame {
 protected:
  RefPtr<Texture> texture(int size, std::uint32_t (*texel)(int, int), const char* name) {
    RefPtr<DeviceTexture> made;
    EXPECT_EQ(device->createTexture(size, size, D3DFMT_A8R8G8B8, made), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(made->lockRect(0, locked, 0), D3D_OK);
    for (int y = 0; y < size; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < size; ++x) row[x] = texel(x, y);
    }
    made->unlockRect(0);
    return RefPtr<Texture>(new Texture(made, name, 0));
  }

  // The quad of createQuad(8, 6) 4 ahead of the default camera fills the 64 × 48 frame: texel
  // (x, y) covers pixels 4x .. 4x + 3, 3y .. 3y + 2.
  void drawPyramid(const Vector3& towardsLight, bool withBase) {
    RefPtr<Mesh> mesh = Mesh::createQuad(8, 6);
    mesh->setDynamic(true);
    ASSERT_TRUE(buildTangentFrames(*mesh, true, 0));
    RefPtr<MeshInstance> quad(new MeshInstance(SceneNode::create(Matrix34::translation(Vector3(0, 0, 4))), mesh));
    quad->updateBounds();
    RefPtr<BumpMaterial> material(new BumpMaterial());
    material->setType(Material::kPlain);  // the diffuse pass alone
    material->setTexture(0, texture(kTexels, pyramidTexel, "pyramid"));
    if (withBase) material->setTexture(1, texture(1, [](int, int) { return 0xFF808080u; }, "grey"));
    quad->setMaterial(material);
    quad->setLight(0, towardsLight.x, towardsLight.y, towardsLight.z, 0.0f);
    Scene scene;
    scene.addInstance(quad);
    draw(scene);
  }
  // Red channel at (x, y) from the top; the dot product fills r, g and b alike.
  int red(int x, int y) const { return at(x, y).r; }
};

// A light 45° off the view axis is (0.707, 0, 0.707) in tangent space, packed (217, 127, 217).
// DOT3 = 4·Σ(t/255 − 0.5)(d/255 − 0.5), times 255:
//   the face towards the light: 4·(0.3·0.35098 + 0.00196² + 0.39804·0.35098)·255 = 249.9
//   the face away from it:      4·(−0.3·0.35098 + 0.00196² + 0.39804·0.35098)·255 = 35.1
//   the two faces across it:    4·(∓0.00196·0.35098 ∓ 0.3·0.00196 + 0.39804·0.35098)·255 ≈ 141.2 / 142.4
// Pixels sampled well inside each face: right (54, 24), left (9, 24), top (32, 6), bottom (32, 41).
constexpr int kTolerance = 3;

TEST_F(BumpPixels, PyramidFaceTowardsTheLightIsBrightAndTheFaceAwayDark) {
  const float r = 0.70710678f;
  struct Case {
    const char* what;
    Vector3 towardsLight;  // world: the camera looks along +z, so −z is towards the viewer
    int right, left, top, bottom;
  } cases[] = {
      {"light from the right", {r, 0, -r}, 250, 35, 141, 142},
      {"light from above", {0, r, -r}, 141, 142, 250, 35},
  };
  for (const Case& c : cases) {
    drawPyramid(c.towardsLight, false);
    EXPECT_NEAR(red(54, 24), c.right, kTolerance) << c.what << ": right face";
    EXPECT_NEAR(red(9, 24), c.left, kTolerance) << c.what << ": left face";
    EXPECT_NEAR(red(32, 6), c.top, kTolerance) << c.what << ": top face";
    EXPECT_NEAR(red(32, 41), c.bottom, kTolerance) << c.what << ": bottom face";
  }
}

TEST_F(BumpPixels, BaseTextureIsModulatedByTheLighting) {
  const float r = 0.70710678f;
  drawPyramid({r, 0, -r}, true);
  // Grey 128/255 times the faces' 249.9 and 35.1.
  EXPECT_NEAR(red(54, 24), 125, kTolerance);
  EXPECT_NEAR(red(9, 24), 18, kTolerance);
  // The dot product fills alpha as well; the picture keeps the base texture's opaque alpha.
  EXPECT_EQ(at(9, 24).a, 255);
}

}  // namespace
