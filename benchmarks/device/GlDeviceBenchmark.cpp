#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "device/GlDevice.h"

// Raw device throughput on the headless GL device: draw calls and buffer streaming without the
// renderer above. Each iteration ends with a frame read, which waits for the GPU, so the rates
// include the drawing itself and not only its submission.

namespace {

constexpr int kSize = 128;
constexpr int kDrawsPerFrame = 100;

struct ColorVertex {
  float x, y, z;
  std::uint32_t diffuse;
};

RefPtr<GlDevice> makeDevice() {
  RefPtr<GlDevice> device = GlDevice::createHeadless(kSize, kSize);
  if (!device) return nullptr;
  D3DPRESENT_PARAMETERS p;
  p.Windowed = true;
  p.EnableAutoDepthStencil = true;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  if (device->createDevice(0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, p) < 0)
    return nullptr;
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  device->setTransform(D3DTS_WORLD, identity);
  device->setTransform(D3DTS_VIEW, identity);
  device->setTransform(D3DTS_PROJECTION, identity);
  device->setRenderState(D3DRS_LIGHTING, D3D_FALSE);
  device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  return device;
}

RefPtr<DeviceVertexBuffer> smallQuad(GlDevice& device) {
  const ColorVertex quad[6] = {
      {-0.1f, 0.1f, 0.5f, 0xFFFF0000u},  {0.1f, 0.1f, 0.5f, 0xFF00FF00u},
      {-0.1f, -0.1f, 0.5f, 0xFF0000FFu}, {0.1f, 0.1f, 0.5f, 0xFF00FF00u},
      {0.1f, -0.1f, 0.5f, 0xFFFFFFFFu},  {-0.1f, -0.1f, 0.5f, 0xFF0000FFu}};
  RefPtr<DeviceVertexBuffer> vb;
  device.createVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                            D3DPOOL_MANAGED, vb);
  void* data = nullptr;
  vb->lock(0, 0, &data, 0);
  std::memcpy(data, quad, sizeof quad);
  vb->unlock();
  return vb;
}

void endFrame(GlDevice& device, std::vector<std::uint8_t>& rgba) {
  int w = 0, h = 0;
  device.endScene();
  device.readFrame(rgba, w, h);
  device.present();
}

void BM_DrawCallsSameState(benchmark::State& state) {
  RefPtr<GlDevice> device = makeDevice();
  if (!device) return state.SkipWithError("no headless OpenGL");
  RefPtr<DeviceVertexBuffer> vb = smallQuad(*device);
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  std::vector<std::uint8_t> rgba;
  for (auto _ : state) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->beginScene();
    for (int i = 0; i < kDrawsPerFrame; ++i) device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    endFrame(*device, rgba);
  }
  state.SetItemsProcessed(state.iterations() * kDrawsPerFrame);
}
BENCHMARK(BM_DrawCallsSameState)->Unit(benchmark::kMicrosecond);

// Every draw changes the world transform and a render state, as a renderer drawing different
// instances does: uniforms are uploaded and raster state sent each time.
void BM_DrawCallsChangingState(benchmark::State& state) {
  RefPtr<GlDevice> device = makeDevice();
  if (!device) return state.SkipWithError("no headless OpenGL");
  RefPtr<DeviceVertexBuffer> vb = smallQuad(*device);
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<std::uint8_t> rgba;
  for (auto _ : state) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->beginScene();
    for (int i = 0; i < kDrawsPerFrame; ++i) {
      world[12] = float(i % 10) * 0.18f - 0.8f;
      world[13] = float(i / 10) * 0.18f - 0.8f;
      device->setTransform(D3DTS_WORLD, world);
      device->setRenderState(D3DRS_CULLMODE, i & 1 ? D3DCULL_NONE : D3DCULL_CCW);
      device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    endFrame(*device, rgba);
  }
  state.SetItemsProcessed(state.iterations() * kDrawsPerFrame);
}
BENCHMARK(BM_DrawCallsChangingState)->Unit(benchmark::kMicrosecond);

// The shadow-batch pattern: 1800 positions written through a discard lock, then drawn twice.
void BM_DiscardLockStreaming(benchmark::State& state) {
  RefPtr<GlDevice> device = makeDevice();
  if (!device) return state.SkipWithError("no headless OpenGL");
  constexpr std::uint32_t kVertices = 1800;
  RefPtr<DeviceVertexBuffer> vb;
  device->createVertexBuffer(kVertices * 12, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ,
                             D3DPOOL_DEFAULT, vb);
  std::vector<float> positions(kVertices * 3);
  for (std::uint32_t i = 0; i < kVertices; ++i) {
    positions[3 * i] = float(i % 3 == 1) * 0.05f + float(i % 40) * 0.04f - 0.8f;
    positions[3 * i + 1] = float(i % 3 == 2) * 0.05f + float(i / 40) * 0.03f - 0.7f;
    positions[3 * i + 2] = 0.5f;
  }
  device->setStreamSource(0, vb.get(), 12);
  device->setVertexShader(D3DFVF_XYZ);
  std::vector<std::uint8_t> rgba;
  for (auto _ : state) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
    device->beginScene();
    for (int batch = 0; batch < 10; ++batch) {
      void* data = nullptr;
      vb->lock(0, 0, &data, D3DLOCK_DISCARD);
      std::memcpy(data, positions.data(), positions.size() * sizeof(float));
      vb->unlock();
      device->drawPrimitive(D3DPT_TRIANGLELIST, 0, kVertices / 3);
      device->drawPrimitive(D3DPT_TRIANGLELIST, 0, kVertices / 3);
    }
    endFrame(*device, rgba);
  }
  state.SetItemsProcessed(state.iterations() * 10);
  state.SetBytesProcessed(state.iterations() * 10 * kVertices * 12);
}
BENCHMARK(BM_DiscardLockStreaming)->Unit(benchmark::kMicrosecond);

// The overlay: three lines of statistics text per frame.
void BM_DrawStatsText(benchmark::State& state) {
  RefPtr<GlDevice> device = makeDevice();
  if (!device) return state.SkipWithError("no headless OpenGL");
  RefPtr<DeviceFont> font;
  if (device->createFont("Arial", 15, font) < 0) return state.SkipWithError("no font");
  const char* text = "Fps: 1234\nVertices: 56789\nTriangles: 12345";
  std::vector<std::uint8_t> rgba;
  for (auto _ : state) {
    device->clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->beginScene();
    DeviceRect rect{5, 30, 5, 30};
    font->drawText(text, -1, rect, DT_CALCRECT, 0);
    font->drawText(text, -1, rect, 0, 0xFFFFFFFFu);
    endFrame(*device, rgba);
  }
}
BENCHMARK(BM_DrawStatsText)->Unit(benchmark::kMicrosecond);

}  // namespace
