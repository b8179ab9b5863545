#include "app/OffscreenSurface.h"

#include <gtest/gtest.h>

#include "device/RecordingDevice.h"

namespace {

SurfaceRequest requestOf(int width, int height) {
  SurfaceRequest request;
  request.title = "off-screen";
  request.x = 40;
  request.y = 60;
  request.width = width;
  request.height = height;
  return request;
}

// What the renderer does first with a surface's device.
int openDevice(GraphicsDevice& device) {
  D3DPRESENT_PARAMETERS params{};
  params.Windowed = true;
  params.EnableAutoDepthStencil = true;
  params.AutoDepthStencilFormat = D3DFMT_D24S8;
  return device.createDevice(0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, params);
}

TEST(OffscreenSurfaceTest, SizeAndPositionAreTheRequestsWithAtLeastOnePixel) {
  struct Case {
    int width, height, expectedWidth, expectedHeight;
  };
  const Case cases[] = {{320, 240, 320, 240}, {0, 0, 1, 1}, {-4, 7, 1, 7}};
  for (const Case& c : cases) {
    auto surface = OffscreenSurface::create(OffscreenSurface::Kind::Recording, requestOf(c.width, c.height));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->clientWidth(), c.expectedWidth) << c.width;
    EXPECT_EQ(surface->clientHeight(), c.expectedHeight) << c.height;
    EXPECT_EQ(surface->clientX(), 40);
    EXPECT_EQ(surface->clientY(), 60);
    EXPECT_EQ(surface->inputSource(), nullptr);
  }
}

TEST(OffscreenSurfaceTest, PickerMappingSubtractsTheClientOrigin) {
  auto surface = OffscreenSurface::create(OffscreenSurface::Kind::Recording, requestOf(320, 240));
  ASSERT_NE(surface, nullptr);
  int x = 140, y = 110;
  surface->screenToClient(x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  int width = 0, height = 0;
  surface->clientSize(width, height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
}

TEST(OffscreenSurfaceTest, RecordingSurfaceNeverClosesAndForgetsEachFramesCalls) {
  auto surface = OffscreenSurface::create(OffscreenSurface::Kind::Recording, requestOf(8, 8));
  ASSERT_NE(surface, nullptr);
  auto* recorder = dynamic_cast<RecordingDevice*>(surface->device().get());
  ASSERT_NE(recorder, nullptr);
  recorder->beginScene();
  recorder->endScene();
  EXPECT_GT(recorder->calls().size(), 0u);
  for (int pass = 0; pass < 3; ++pass) EXPECT_TRUE(surface->processEvents());
  EXPECT_TRUE(recorder->calls().empty());
}

TEST(OffscreenSurfaceTest, CaptureOnlyAfterARequest) {
  auto surface = OffscreenSurface::create(OffscreenSurface::Kind::Recording, requestOf(4, 2));
  ASSERT_NE(surface, nullptr);
  ASSERT_GE(openDevice(*surface->device()), 0);
  std::vector<std::uint8_t> rgba;
  int width = 0, height = 0;
  EXPECT_FALSE(surface->takeCapture(rgba, width, height));
  ASSERT_TRUE(surface->requestCapture());
  EXPECT_TRUE(surface->takeCapture(rgba, width, height));
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 2);
  // One request, one picture.
  EXPECT_FALSE(surface->takeCapture(rgba, width, height));
}

TEST(OffscreenSurfaceTest, HeadlessOpenGlFrameReadsBackTheClearColour) {
  auto surface = OffscreenSurface::create(OffscreenSurface::Kind::Gl, requestOf(16, 8));
  ASSERT_NE(surface, nullptr) << "no off-screen OpenGL device";
  RefPtr<GraphicsDevice> device = surface->device();
  ASSERT_NE(device, nullptr);
  ASSERT_GE(openDevice(*device), 0);
  ASSERT_TRUE(surface->requestCapture());
  device->clear(D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0);
  device->beginScene();
  device->endScene();
  device->present();
  std::vector<std::uint8_t> rgba;
  int width = 0, height = 0;
  ASSERT_TRUE(surface->takeCapture(rgba, width, height));
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 8);
  ASSERT_EQ(rgba.size(), 16u * 8u * 4u);
  EXPECT_EQ(rgba[0], 0x33);
  EXPECT_EQ(rgba[1], 0x66);
  EXPECT_EQ(rgba[2], 0x99);
  EXPECT_EQ(rgba[rgba.size() - 4], 0x33);
}

}  // namespace
