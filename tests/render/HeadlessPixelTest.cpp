#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/Camera.h"
#include "engine/Light.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/ParticleEmitter.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "image/Texture.h"
#include "render/D3D8Renderer.h"
#include "device/GlDevice.h"
#include "tests/render/HeadlessFrame.h"

namespace {

using headless::HeadlessFrame;
using headless::kHeight;
using headless::kWidth;
using headless::Pixel;

void expectNear(const Pixel& p, int r, int g, int b, int tolerance, const char* where) {
  EXPECT_NEAR(p.r, r, tolerance) << where;
  EXPECT_NEAR(p.g, g, tolerance) << where;
  EXPECT_NEAR(p.b, b, tolerance) << where;
}

// 2 × 2 texels, top row first in memory, bytes B, G, R, A: red, green / blue, white; sampled point
// by point. Null when the device cannot make it.
RefPtr<Texture> quadrantTexture(GraphicsDevice& device) {
  RefPtr<DeviceTexture> texels;
  D3DLOCKED_RECT locked;
  if (device.createTexture(2, 2, D3DFMT_A8R8G8B8, texels) != D3D_OK || texels->lockRect(0, locked, 0) != D3D_OK)
    return nullptr;
  const std::uint8_t rows[2][8] = {{0, 0, 255, 255, 0, 255, 0, 255}, {255, 0, 0, 255, 255, 255, 255, 255}};
  for (int y = 0; y < 2; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, rows[y], 8);
  }
  if (texels->unlockRect(0) != D3D_OK) return nullptr;
  RefPtr<Texture> texture(new Texture(texels, "quadrants", 0));
  texture->setFilterMode(Texture::kFilterPoint);
  return texture;
}

// One frame with nothing but the emitter's particles (an empty scene sets the default camera);
// frame receives its pixels.
void drawParticlesAlone(Renderer& renderer, GraphicsDevice& device, const ParticleEmitter& emitter,
                        std::vector<std::uint8_t>& frame) {
  Scene empty;
  renderer.beginFrame();
  renderer.renderScene(empty);
  renderer.drawParticles(emitter);
  device.endScene();
  int w = 0, h = 0;
  ASSERT_EQ(device.readFrame(frame, w, h), D3D_OK);
  device.present();
}

TEST_F(HeadlessFrame, LitBoxFacingTheLightIsFullyLitOnTheClearColour) {
  Scene scene;
  // A 2-unit box 5 ahead: its front face at z = 4 covers a quarter of the half-width around the
  // centre (8 of 32 pixels each way).
  scene.addInstance(place(Mesh::createBox(2, 2, 2), {0, 0, 5}, Color(1.0f, 0.0f, 0.0f, 1.0f)));
  RefPtr<Light> sun(new Light());
  sun->setPosition(0, 0, -1, 0);  // shines along +z, straight onto the front face
  scene.addLight(sun);
  draw(scene);

  expectNear(at(32, 24), 255, 0, 0, 3, "centre of the front face");
  expectNear(at(27, 20), 255, 0, 0, 3, "inside the front face");
  expectNear(at(2, 2), 51, 51, 51, 2, "corner: clear colour");
  expectNear(at(20, 24), 51, 51, 51, 2, "left of the box");
}

TEST_F(HeadlessFrame, UnlitBoxShowsOnlyTheAmbientTerm) {
  Scene scene;
  scene.addInstance(place(Mesh::createBox(2, 2, 2), {0, 0, 5}, Color(1.0f, 1.0f, 1.0f, 1.0f)));
  RefPtr<Light> sun(new Light());
  sun->setPosition(0, 0, 1, 0);  // shines along −z: only the far face is lit
  scene.addLight(sun);
  renderer->setAmbient(Color(0.0f, 0.0f, 0.0f, 1.0f));
  draw(scene);
  expectNear(at(32, 24), 0, 0, 0, 3, "front face turned away from the light");
}

TEST_F(HeadlessFrame, ShadowOfABoxDarkensTheQuadBehindIt) {
  Scene scene;
  // Floor quad facing the camera at z = 10 and a box in front of it, under a directional light
  // shining along (1, 0, 1) from the front left. (A directional light keeps the two-triangle
  // floor evenly lit; per-vertex lighting of a point light would only reach its far corners.)
  RefPtr<MeshInstance> floor = place(Mesh::createQuad(40, 40), {0, 0, 10}, Color(1.0f, 1.0f, 1.0f, 1.0f));
  RefPtr<MeshInstance> box = place(Mesh::createBox(2, 2, 2), {0, 0, 7}, Color(1.0f, 1.0f, 1.0f, 1.0f));
  box->setLight(0, -1, 0, -1, 0);
  box->setCastShadow(true);
  scene.addInstance(floor);
  scene.addInstance(box);
  RefPtr<Light> sun(new Light());
  sun->setPosition(-1, 0, -1, 0);
  scene.addLight(sun);
  draw(scene);

  // Pixel 42 sees the floor at x ≈ 3.3, whose path towards the light crosses the box: ambient
  // only, 0.2 of white.
  expectNear(at(42, 24), 51, 51, 51, 4, "floor in the box's shadow");
  // Lit floor: ambient 0.2 plus the lit pass's cos 45° = 0.707, about 231.
  const Pixel lit = at(10, 24);
  expectNear(lit, 231, 231, 231, 6, "lit floor left of the shadow");
  expectNear(at(42, 2), 231, 231, 231, 6, "lit floor above the shadow");
}

TEST_F(HeadlessFrame, UnlitMeshShowsItsVertexColoursWithSpecularAdded) {
  // A box with normals and both colour streams: the vertex layout carries position, normal,
  // diffuse and specular, and unlit drawing shows diffuse + specular.
  RefPtr<Mesh> box = Mesh::createBox(2, 2, 2);
  box->setColors(0, std::vector<Color>(box->vertexCount(), Color(0.0f, 0.0f, 1.0f, 1.0f)));
  box->setColors(1, std::vector<Color>(box->vertexCount(), Color(0.0f, 0.0f, 0.0f, 1.0f)));
  RefPtr<MeshInstance> plain = place(box, {-2, 0, 5}, Color(1.0f, 1.0f, 1.0f, 1.0f));
  plain->renderFlags().lighting = 1;

  RefPtr<Mesh> glowing = Mesh::createBox(2, 2, 2);
  glowing->setColors(0, std::vector<Color>(glowing->vertexCount(), Color(0.0f, 0.0f, 1.0f, 1.0f)));
  glowing->setColors(1, std::vector<Color>(glowing->vertexCount(), Color(1.0f, 0.0f, 0.0f, 1.0f)));
  RefPtr<MeshInstance> bright = place(glowing, {2, 0, 5}, Color(1.0f, 1.0f, 1.0f, 1.0f));
  bright->renderFlags().lighting = 1;
  bright->renderFlags().specular = 0;

  Scene scene;
  scene.addInstance(plain);
  scene.addInstance(bright);
  draw(scene);
  // Box centres at x = ±2, 5 ahead: pixel 32 ∓ 2/4·32 on the front face (z = 4).
  expectNear(at(16, 24), 0, 0, 255, 3, "blue box");
  expectNear(at(48, 24), 255, 0, 255, 3, "blue box with red specular added");
}

TEST_F(HeadlessFrame, TexturedQuadMapsTexelZeroToItsTopLeftCorner) {
  RefPtr<Texture> texture = quadrantTexture(*device);
  ASSERT_NE(texture, nullptr);

  // A quad wider than the view: its centre, where the texels meet, is the screen's centre.
  RefPtr<MeshInstance> quad = place(Mesh::createQuad(8, 6), {0, 0, 2}, Color(1.0f, 1.0f, 1.0f, 1.0f));
  quad->material()->setTexture(0, texture);
  quad->renderFlags().lighting = 1;
  Scene scene;
  scene.addInstance(quad);
  draw(scene);
  expectNear(at(8, 6), 255, 0, 0, 2, "top left");
  expectNear(at(56, 6), 0, 255, 0, 2, "top right");
  expectNear(at(8, 42), 0, 0, 255, 2, "bottom left");
  expectNear(at(56, 42), 255, 255, 255, 2, "bottom right");
}

TEST_F(HeadlessFrame, ParticleIsABlendedQuadFacingTheCamera) {
  ParticleEmitter emitter(1000.0f, 1.0f);
  emitter.setPosition(Vector3(0, 0, 5));
  emitter.setDirection(Vector3(0, 0, 0));
  emitter.setSizes(2.0f, 2.0f);
  // Half-transparent green over the grey clear colour: 0.5·255 + 0.5·51.
  const Color green(0.0f, 1.0f, 0.0f, 0.5f);
  emitter.setColors(green, green);
  // Without a texture the material disables stage 0, so the vertex colour and its alpha pass
  // straight to the blend.
  emitter.setMaterial(RefPtr<Material>(new Material(1)));
  emitter.update(1.0);
  ASSERT_EQ(emitter.liveCount(), 1);
  ASSERT_NO_FATAL_FAILURE(drawParticlesAlone(*renderer, *device, emitter, pixels));
  // Half size 1 at distance 5 spans a fifth of the half-width: ±6.4 pixels around the centre.
  expectNear(at(32, 24), 25, 153, 25, 4, "inside the particle");
  expectNear(at(32 + 10, 24), 51, 51, 51, 2, "beside the particle");
}

TEST_F(HeadlessFrame, ParticlesAfterAReflectiveDrawLookAsWhenDrawnAlone) {
  // A textured particle showing the four quadrant texels.
  RefPtr<Texture> texture = quadrantTexture(*device);
  ASSERT_NE(texture, nullptr);

  ParticleEmitter emitter(1000.0f, 1.0f);
  emitter.setPosition(Vector3(0, 0, 5));
  emitter.setDirection(Vector3(0, 0, 0));
  emitter.setSizes(4.0f, 4.0f);
  const Color white(1.0f, 1.0f, 1.0f, 1.0f);
  emitter.setColors(white, white);
  RefPtr<Material> particleMaterial(new Material(1));
  particleMaterial->setTexture(0, texture);
  emitter.setMaterial(particleMaterial);
  emitter.update(1.0);
  ASSERT_EQ(emitter.liveCount(), 1);

  std::vector<std::uint8_t> alone;
  ASSERT_NO_FATAL_FAILURE(drawParticlesAlone(*renderer, *device, emitter, alone));
  // The particle shows all four texels.
  pixels = alone;
  expectNear(at(26, 18), 255, 0, 0, 3, "particle, top left texel");
  expectNear(at(38, 30), 255, 255, 255, 3, "particle, bottom right texel");

  // A reflective water surface (coordinates generated from the view) drawn in the frame before.
  RefPtr<Mesh> water = Mesh::createQuad(8, 6);
  water->setTexCoords(0, Mesh::TexReflection);
  RefPtr<MeshInstance> surface = place(water, {0, 0, 2}, white);
  surface->material()->setTexture(0, texture);
  Scene reflective;
  reflective.addInstance(surface);
  draw(reflective);

  std::vector<std::uint8_t> after;
  ASSERT_NO_FATAL_FAILURE(drawParticlesAlone(*renderer, *device, emitter, after));
  int differing = 0;
  for (std::size_t i = 0; i < alone.size(); ++i) differing += alone[i] != after[i];
  EXPECT_EQ(differing, 0) << "the particles after the reflective draw differ from the particles alone";
}

TEST_F(HeadlessFrame, PrintedTextIsWhiteAtItsPosition) {
  renderer->beginFrame();
  renderer->printText(4, 4, "MMMM\nMMMM");
  device->endScene();
  int w = 0, h = 0;
  ASSERT_EQ(device->readFrame(pixels, w, h), D3D_OK);
  device->present();
  // Some pixels of the two lines are (nearly) white; nothing is drawn left of or above (4, 4).
  int bright = 0;
  for (int y = 4; y < 40; ++y) {
    for (int x = 4; x < 60; ++x) {
      const Pixel p = at(x, y);
      if (p.r > 200 && p.g > 200 && p.b > 200) ++bright;
    }
  }
  EXPECT_GT(bright, 20);
  for (int i = 0; i < 4; ++i) {
    expectNear(at(i, 10), 51, 51, 51, 2, "left of the text");
    expectNear(at(20, i), 51, 51, 51, 2, "above the text");
  }
}

}  // namespace
