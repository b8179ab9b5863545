#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/GlDevice.h"

#include "tests/support/AllocationCounter.h"

using testsupport::allocationCount;

namespace {

struct ColorVertex {
  float x, y, z;
  std::uint32_t diffuse;
};

TEST(GlDeviceAllocationTest, DrawsAndStateChangesAllocateNothingOnceWarm) {
  RefPtr<GlDevice> device = GlDevice::createHeadless(16, 16);
  ASSERT_TRUE(device);
  D3DPRESENT_PARAMETERS p;
  p.Windowed = true;
  p.EnableAutoDepthStencil = true;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, 0x40, p), D3D_OK);
  const ColorVertex triangle[3] = {
      {-1, 1, 0.5f, 0xFFFF0000u}, {1, 1, 0.5f, 0xFF00FF00u}, {-1, -1, 0.5f, 0xFF0000FFu}};
  RefPtr<DeviceVertexBuffer> vb;
  ASSERT_EQ(device->createVertexBuffer(sizeof triangle, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                       D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT, vb),
            D3D_OK);
  float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  // One frame's worth of work: a discard refill, transform, state toggles both ways, draws.
  auto frame = [&] {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->beginScene();
    for (int i = 0; i < 20; ++i) {
      void* data = nullptr;
      vb->lock(0, 0, &data, D3DLOCK_DISCARD);
      std::memcpy(data, triangle, sizeof triangle);
      vb->unlock();
      world[12] = 0.01f * float(i);
      device->setTransform(D3DTS_WORLD, world);
      device->setRenderState(D3DRS_LIGHTING, D3D_FALSE);
      device->setRenderState(D3DRS_CULLMODE, i & 1 ? D3DCULL_NONE : D3DCULL_CCW);
      device->setRenderState(D3DRS_SHADEMODE, i & 1 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
      device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
      device->setVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      ASSERT_EQ(device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    }
    device->endScene();
    device->present();
  };
  frame();  // builds the programs this frame needs
  frame();
  const long before = allocationCount();
  for (int i = 0; i < 5; ++i) frame();
  EXPECT_EQ(allocationCount() - before, 0);
  EXPECT_EQ(device->takeGlError(), 0u);
}

}  // namespace
