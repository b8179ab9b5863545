#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device/GlDevice.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "render/D3D8Renderer.h"

namespace headless {

constexpr int kWidth = 64;
constexpr int kHeight = 48;  // 4:3, the default camera's aspect

struct Pixel {
  int r, g, b, a;
};

// A tiny frame on the headless OpenGL device, drawn through the renderer.
class HeadlessFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    device = GlDevice::createHeadless(kWidth, kHeight);
    if (!device) GTEST_SKIP() << "no headless OpenGL context";
    renderer = new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
    ASSERT_TRUE(renderer->isOpen());
    rendererHolder() = renderer.get();
  }
  void TearDown() override {
    rendererHolder().reset();
    renderer.reset();
    device.reset();
  }

  void draw(Scene& scene) {
    renderer->beginFrame();
    renderer->renderScene(scene);
    device->endScene();
    int w = 0, h = 0;
    ASSERT_EQ(device->readFrame(pixels, w, h), D3D_OK);
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    device->present();
  }
  // Pixel (x, y) with y counted from the top row.
  Pixel at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 4;
    return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
  }

  static RefPtr<MeshInstance> place(RefPtr<Mesh> mesh, const Vector3& position, const Color& color) {
    RefPtr<SceneNode> node(new SceneNode());
    node->local().setTranslation(position);
    node->updateWorld();
    RefPtr<MeshInstance> instance(new MeshInstance(node, mesh));
    instance->updateBounds();
    RefPtr<Material> material(new Material(1));
    material->setColor(color);
    instance->setMaterial(material);
    return instance;
  }

  RefPtr<GlDevice> device;
  RefPtr<D3D8Renderer> renderer;
  std::vector<std::uint8_t> pixels;
};

}  // namespace headless
