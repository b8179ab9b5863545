#include <gtest/gtest.h>

#include <cstring>

#include "device/RecordingDevice.h"
#include "tests/device/DeviceTestSupport.h"

namespace {

TEST(RecordingDeviceTest, DrawingCallsFailUntilTheDeviceIsCreated) {
  RefPtr<RecordingDevice> device = new RecordingDevice();
  EXPECT_EQ(device->setRenderState(D3DRS_LIGHTING, D3D_FALSE), D3DERR_INVALIDCALL);
  RefPtr<DeviceVertexBuffer> vb;
  EXPECT_LT(device->createVertexBuffer(48, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED, vb), 0);
  EXPECT_FALSE(vb);

  D3DCAPS8 caps;
  ASSERT_EQ(device->getDeviceCaps(0, D3DDEVTYPE_HAL, caps), D3D_OK);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 4u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_DOTPRODUCT3);

  ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 windowedParams(D3DFMT_D24S8)),
            D3D_OK);
  EXPECT_EQ(device->backBufferWidth(), 640);
  EXPECT_EQ(device->backBufferHeight(), 480);
  EXPECT_EQ(device->depthFormat(), D3DFMT_D24S8);
  EXPECT_EQ(device->setRenderState(D3DRS_LIGHTING, D3D_FALSE), D3D_OK);
  std::uint32_t lighting = 7;
  ASSERT_EQ(device->getRenderState(D3DRS_LIGHTING, lighting), D3D_OK);
  EXPECT_EQ(lighting, D3D_FALSE);
}

TEST(RecordingDeviceTest, DepthFormatsAreAnsweredFromTheConfiguredList) {
  RefPtr<RecordingDevice> device = new RecordingDevice();
  device->setDepthFormats({D3DFMT_D16});
  const std::uint32_t display = device->displayMode().Format;
  struct Case {
    std::uint32_t format;
    int expected;
  } cases[] = {{D3DFMT_D16, D3D_OK},
               {D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
               {D3DFMT_D32, D3DERR_NOTAVAILABLE},
               {D3DFMT_D24X4S4, D3DERR_NOTAVAILABLE}};
  for (const Case& c : cases)
    EXPECT_EQ(device->checkDepthStencilFormat(0, D3DDEVTYPE_HAL, display, c.format), c.expected)
        << c.format;
  EXPECT_LT(device->createDevice(0, D3DDEVTYPE_HAL, 0x20, windowedParams(D3DFMT_D24S8)), 0);
  EXPECT_FALSE(device->isCreated());
  EXPECT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, 0x20, windowedParams(D3DFMT_D16)), D3D_OK);
}

TEST(RecordingDeviceTest, RecordsCallsWithTheirArgumentsInOrder) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF336699u, 1.0f, 0);
  device->beginScene();
  device->setRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
  device->setTransform(D3DTS_WORLD, m);
  D3DLIGHT8 light;
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {1, 0.5f, 0.25f, 1};
  light.Position = {1, 2, 3};
  light.Range = 4;
  light.Attenuation1 = 2.5f;
  device->setLight(2, light);
  device->lightEnable(2, true);
  device->endScene();

  EXPECT_EQ(device->callNames(), (std::vector<std::string>{"clear", "beginScene", "setRenderState",
                                                           "setTextureStageState", "setTransform",
                                                           "setLight", "lightEnable", "endScene"}));
  const auto& calls = device->calls();
  EXPECT_EQ(calls[0].ints, (std::vector<std::int64_t>{7, 0xFF336699, 0}));
  EXPECT_EQ(calls[0].floats, std::vector<float>{1.0f});
  EXPECT_EQ(calls[2].ints, (std::vector<std::int64_t>{D3DRS_ZFUNC, D3DCMP_LESS}));
  EXPECT_EQ(calls[3].ints, (std::vector<std::int64_t>{1, D3DTSS_COLOROP, D3DTOP_DISABLE}));
  EXPECT_EQ(calls[4].ints, std::vector<std::int64_t>{D3DTS_WORLD});
  ASSERT_EQ(calls[4].floats.size(), 16u);
  EXPECT_EQ(calls[4].floats[12], 5.0f);
  EXPECT_EQ(calls[4].floats[14], 7.0f);
  EXPECT_EQ(calls[5].ints, (std::vector<std::int64_t>{2, D3DLIGHT_POINT}));
  // Diffuse rgba, specular, ambient, position, direction, range, falloff, attenuations.
  ASSERT_EQ(calls[5].floats.size(), 25u);
  EXPECT_EQ(calls[5].floats[1], 0.5f);
  EXPECT_EQ(calls[5].floats[13], 2.0f);
  EXPECT_EQ(calls[5].floats[18], 4.0f);
  EXPECT_EQ(calls[5].floats[21], 2.5f);
  EXPECT_EQ(calls[6].ints, (std::vector<std::int64_t>{2, 1}));
  EXPECT_TRUE(device->state().lightEnabled[2]);
  EXPECT_EQ(device->state().lights[2].Attenuation1, 2.5f);
  EXPECT_EQ(device->state().transforms[0][13], 6.0f);
}

TEST(RecordingDeviceTest, StatesStartAtTheDeviceDefaults) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  struct Case {
    std::uint32_t state, value;
  } cases[] = {{D3DRS_CULLMODE, D3DCULL_CCW},  {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
               {D3DRS_LIGHTING, D3D_TRUE},     {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
               {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ZERO},
               {D3DRS_COLORWRITEENABLE, 0xF},  {D3DRS_SHADEMODE, D3DSHADE_GOURAUD}};
  for (const Case& c : cases) {
    std::uint32_t value = 0xDEAD;
    ASSERT_EQ(device->getRenderState(c.state, value), D3D_OK);
    EXPECT_EQ(value, c.value) << c.state;
  }
  std::uint32_t op = 0;
  device->getTextureStageState(0, D3DTSS_COLOROP, op);
  EXPECT_EQ(op, D3DTOP_MODULATE);
  device->getTextureStageState(1, D3DTSS_COLOROP, op);
  EXPECT_EQ(op, D3DTOP_DISABLE);
  std::uint32_t index = 0;
  device->getTextureStageState(3, D3DTSS_TEXCOORDINDEX, index);
  EXPECT_EQ(index, 3u);
}

TEST(RecordingDeviceTest, VertexBufferLockRoundTripKeepsWhatWasWritten) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  RefPtr<DeviceVertexBuffer> vb;
  ASSERT_EQ(device->createVertexBuffer(36, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ,
                                       D3DPOOL_DEFAULT, vb),
            D3D_OK);
  ASSERT_TRUE(vb);
  EXPECT_EQ(vb->length(), 36u);
  EXPECT_EQ(vb->usage(), 0x208u);
  const std::int64_t id = device->idOf(vb.get());
  EXPECT_GT(id, 0);

  void* data = nullptr;
  ASSERT_EQ(vb->lock(12, 12, &data, D3DLOCK_DISCARD), D3D_OK);
  const float position[3] = {1.5f, -2.0f, 3.25f};
  std::memcpy(data, position, sizeof position);
  // A second lock while locked is refused.
  void* again = nullptr;
  EXPECT_EQ(vb->lock(0, 0, &again, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(vb->unlock(), D3D_OK);
  EXPECT_EQ(vb->unlock(), D3DERR_INVALIDCALL);

  const auto& bytes = device->contents(vb.get());
  ASSERT_EQ(bytes.size(), 36u);
  float read[3];
  std::memcpy(read, bytes.data() + 12, sizeof read);
  EXPECT_EQ(read[0], 1.5f);
  EXPECT_EQ(read[1], -2.0f);
  EXPECT_EQ(read[2], 3.25f);
  EXPECT_EQ(bytes[0], 0);

  const DeviceCall* lock = device->lastCall("lockVertexBuffer");
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(lock->ints, (std::vector<std::int64_t>{id, 0, 0, 0}));
  EXPECT_EQ(device->callsNamed("lockVertexBuffer")[0].ints,
            (std::vector<std::int64_t>{id, 12, 12, D3DLOCK_DISCARD}));
}

TEST(RecordingDeviceTest, LocksOutsideTheBufferAreRefused) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(device->createIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib),
            D3D_OK);
  for (const LockRangeCase& c : lockRangesOfTwelveBytes()) {
    void* data = nullptr;
    EXPECT_EQ(ib->lock(c.offset, c.size, &data, 0), c.expected) << c.offset << "+" << c.size;
    EXPECT_EQ(data != nullptr, c.expected == D3D_OK);
    if (data) ib->unlock();
  }
  RefPtr<DeviceIndexBuffer> wrong;
  EXPECT_LT(device->createIndexBuffer(12, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, wrong), 0);
}

TEST(RecordingDeviceTest, TextureLockGivesBgraRowsOfFourBytes) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  RefPtr<DeviceTexture> texture;
  ASSERT_EQ(device->createTexture(3, 2, D3DFMT_A8R8G8B8, texture), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->getLevelDesc(0, desc), D3D_OK);
  EXPECT_EQ(desc.Width, 3u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(desc.Usage, 0u);
  EXPECT_EQ(desc.Size, 24u);  // 3 x 2 pixels of four bytes
  EXPECT_EQ(texture->getLevelDesc(1, desc), D3DERR_INVALIDCALL);

  D3DLOCKED_RECT rect;
  ASSERT_EQ(texture->lockRect(0, rect, 0), D3D_OK);
  EXPECT_EQ(rect.Pitch, 12);
  auto* row1 = static_cast<std::uint8_t*>(rect.pBits) + rect.Pitch;
  row1[8] = 0x11;   // pixel (2, 1), blue
  row1[11] = 0x44;  // alpha
  ASSERT_EQ(texture->unlockRect(0), D3D_OK);
  const auto& bytes = device->contents(texture.get());
  EXPECT_EQ(bytes[20], 0x11);
  EXPECT_EQ(bytes[23], 0x44);

  RefPtr<DeviceTexture> bad;
  EXPECT_LT(device->createTexture(4, 4, D3DFMT_D24S8, bad), 0);
  EXPECT_FALSE(bad);
}

TEST(RecordingDeviceTest, BoundObjectsStayAliveUntilUnbound) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  RefPtr<DeviceTexture> texture;
  device->createTexture(2, 2, D3DFMT_X8R8G8B8, texture);
  const std::int64_t id = device->idOf(texture.get());
  device->setTexture(1, texture.get());
  EXPECT_EQ(device->lastCall("setTexture")->ints, (std::vector<std::int64_t>{1, id}));
  texture.reset();
  EXPECT_EQ(device->callCount("releaseTexture"), 0);
  EXPECT_EQ(device->idOf(device->boundTexture(1)), id);
  device->setTexture(1, nullptr);
  ASSERT_EQ(device->callCount("releaseTexture"), 1);
  EXPECT_EQ(device->lastCall("releaseTexture")->ints, std::vector<std::int64_t>{id});
  EXPECT_EQ(device->liveObjectCount(), 0);
}

TEST(RecordingDeviceTest, ObjectsOutlivingTheDeviceRefuseLocks) {
  RefPtr<DeviceVertexBuffer> vb;
  {
    RefPtr<RecordingDevice> device = new RecordingDevice(true);
    device->createVertexBuffer(24, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb);
  }
  ASSERT_TRUE(vb);
  void* data = reinterpret_cast<void*>(1);
  EXPECT_EQ(vb->lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(data, nullptr);
}

TEST(RecordingDeviceTest, ConfiguredFailuresAreAnsweredAndRecorded) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  device->failOn("createVertexBuffer");
  device->failOn("lockIndexBuffer");
  RefPtr<DeviceVertexBuffer> vb;
  EXPECT_EQ(device->createVertexBuffer(24, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb), D3DERR_INVALIDCALL);
  EXPECT_FALSE(vb);
  EXPECT_EQ(device->lastCall("createVertexBuffer")->result, D3DERR_INVALIDCALL);
  EXPECT_EQ(device->lastCall("createVertexBuffer")->ints.back(), 0);
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(device->createIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib), D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(ib->lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
  device->clearFailures();
  EXPECT_EQ(ib->lock(0, 0, &data, 0), D3D_OK);
}

TEST(RecordingDeviceTest, FontMeasuresHalfHeightPerCharacterAndOneHeightPerLine) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  RefPtr<DeviceFont> font;
  ASSERT_EQ(device->createFont("Arial", 15, font), D3D_OK);
  EXPECT_EQ(device->lastCall("createFont")->text, "Arial");
  struct Case {
    const char* text;
    int width, height;
  } cases[] = {{"Fps: 60", 49, 15}, {"ab\nabcd\nc", 28, 45}, {"", 0, 0}};
  for (const Case& c : cases) {
    int w = -1, h = -1;
    font->measureText(c.text, w, h);
    EXPECT_EQ(w, c.width) << c.text;
    EXPECT_EQ(h, c.height) << c.text;
  }
  DeviceRect rect{5, 30, 5, 30};
  EXPECT_EQ(font->drawText("hi", -1, rect, 0, 0xFFFFFFFF), 15);
  const DeviceCall* draw = device->lastCall("drawText");
  EXPECT_EQ(draw->text, "hi");
  EXPECT_EQ(draw->ints,
            (std::vector<std::int64_t>{device->idOf(font.get()), 5, 30, 0, 0xFFFFFFFF}));
}

TEST(RecordingDeviceTest, ReadFrameReturnsTheClearColourAsRgba) {
  RefPtr<RecordingDevice> device = new RecordingDevice(true);
  device->setWindowSize(4, 4);
  device->clear(D3DCLEAR_TARGET, 0x80336699u, 1.0f, 0);
  std::vector<std::uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_EQ(device->readFrame(rgba, w, h), D3D_OK);
  ASSERT_EQ(rgba.size(), std::size_t(w) * h * 4);
  EXPECT_EQ(rgba[0], 0x33);
  EXPECT_EQ(rgba[1], 0x66);
  EXPECT_EQ(rgba[2], 0x99);
  EXPECT_EQ(rgba[3], 0x80);
}

TEST(DeviceTypesTest, VertexSizeFollowsTheFormatBits) {
  struct Case {
    std::uint32_t fvf, size;
  } cases[] = {{D3DFVF_XYZ, 12},
               {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 24},
               {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},
               {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2, 48}};
  for (const Case& c : cases) EXPECT_EQ(fvfVertexSize(c.fvf), c.size) << std::hex << c.fvf;
}

}  // namespace
