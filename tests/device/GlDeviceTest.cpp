#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/GlDevice.h"
#include "device/GlHeadlessContext.h"
#include "device/GlShaderCache.h"
#include "tests/device/DeviceTestSupport.h"
#include "foundation/LogCapture.h"

// Pixel tests on a small headless device. Transforms are identity unless a test says otherwise,
// so vertex positions are clip coordinates: x and y in −1..1 (y up), depth z in 0..1.

namespace {

constexpr int kSize = 64;
constexpr std::uint32_t kClear = 0xFF000000u;  // opaque black

struct Rgba {
  int r, g, b, a;
};

// Vertex layouts used below, in the device's byte order.
struct ColorVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  std::uint32_t diffuse;
};
struct NormalVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL
  float x, y, z, nx, ny, nz;
};
struct TexturedVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z;
  std::uint32_t diffuse;
  float u, v;
};
struct Position {  // D3DFVF_XYZ
  float x, y, z;
};

constexpr std::uint32_t kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr std::uint32_t kNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
constexpr std::uint32_t kTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class GlDeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    device = GlDevice::createHeadless(kSize, kSize);
    ASSERT_TRUE(device) << "no headless OpenGL";
    EXPECT_EQ(device->takeGlError(), 0u);
    ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   windowedParams(D3DFMT_D24S8)),
              D3D_OK);
  }
  static void TearDownTestSuite() { device.reset(); }

  // Every test starts from the creation defaults, unlit, identity transforms, stage 0 passing
  // the diffuse colour, and a cleared frame.
  void SetUp() override {
    ASSERT_TRUE(device);
    const DeviceState defaults;
    for (std::uint32_t s = 0; s < D3DRS_STATECOUNT; ++s)
      device->setRenderState(s, defaults.renderStates[s]);
    for (std::uint32_t stage = 0; stage < D3DMAX_TEXTURESTAGES; ++stage) {
      for (std::uint32_t t = 1; t < D3DTSS_STATECOUNT; ++t)
        device->setTextureStageState(stage, t, defaults.stageStates[stage][t]);
      device->setTexture(stage, nullptr);
      device->setTransform(D3DTS_TEXTURE0 + stage, defaults.transforms[3].data());
    }
    for (std::uint32_t i = 0; i < kDeviceMaxLights; ++i) device->lightEnable(i, false);
    device->setTransform(D3DTS_WORLD, identity);
    device->setTransform(D3DTS_VIEW, identity);
    device->setTransform(D3DTS_PROJECTION, identity);
    device->setRenderState(D3DRS_LIGHTING, D3D_FALSE);
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    ASSERT_EQ(device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClear, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device->beginScene(), D3D_OK);
  }

  // Draws vertices of any layout from a fresh managed buffer.
  template <typename Vertex>
  int draw(const std::vector<Vertex>& vertices, std::uint32_t fvf,
           std::uint32_t type = D3DPT_TRIANGLELIST) {
    EXPECT_EQ(fvfVertexSize(fvf), sizeof(Vertex));
    RefPtr<DeviceVertexBuffer> vb;
    const std::uint32_t bytes = std::uint32_t(vertices.size() * sizeof(Vertex));
    if (device->createVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, vb) < 0)
      return -1;
    void* data = nullptr;
    if (vb->lock(0, 0, &data, 0) < 0) return -1;
    std::memcpy(data, vertices.data(), bytes);
    vb->unlock();
    device->setStreamSource(0, vb.get(), sizeof(Vertex));
    device->setVertexShader(fvf);
    const std::uint32_t n = std::uint32_t(vertices.size());
    const std::uint32_t count = type == D3DPT_TRIANGLESTRIP ? n - 2 : n / 3;
    return device->drawPrimitive(type, 0, count);
  }

  // A clockwise (front-facing) quad as a strip: top-left, top-right, bottom-left, bottom-right.
  int drawQuad(float x0, float y0, float x1, float y1, float z, std::uint32_t color) {
    return draw(
        std::vector<ColorVertex>{
            {x0, y1, z, color}, {x1, y1, z, color}, {x0, y0, z, color}, {x1, y0, z, color}},
        kColorFvf, D3DPT_TRIANGLESTRIP);
  }
  int drawFullScreen(float z, std::uint32_t color) { return drawQuad(-1, -1, 1, 1, z, color); }

  // A square strip from (−h, −h) to (h, h) at depth z, every vertex with the normal n.
  int drawLitQuad(float h, float z = 0.5f, float nx = 0.0f, float ny = 0.0f, float nz = -1.0f) {
    return draw(std::vector<NormalVertex>{{-h, h, z, nx, ny, nz},
                                          {h, h, z, nx, ny, nz},
                                          {-h, -h, z, nx, ny, nz},
                                          {h, -h, z, nx, ny, nz}},
                kNormalFvf, D3DPT_TRIANGLESTRIP);
  }

  const std::vector<std::uint8_t>& frame() {
    device->endScene();
    int w = 0, h = 0;
    EXPECT_EQ(device->readFrame(pixels, w, h), D3D_OK);
    EXPECT_EQ(w, kSize);
    EXPECT_EQ(h, kSize);
    device->beginScene();
    return pixels;
  }
  Rgba pixel(int x, int y) {
    const std::uint8_t* p = &pixels[(std::size_t(y) * kSize + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
  }
  void TearDown() override {
    if (!device) return;
    device->endScene();
    EXPECT_EQ(device->takeGlError(), 0u) << "the test's calls raised a GL error";
  }

  static RefPtr<GlDevice> device;
  static constexpr float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<std::uint8_t> pixels;
};

RefPtr<GlDevice> GlDeviceTest::device;

::testing::AssertionResult near(const Rgba& actual, const Rgba& expected, int tolerance,
                                bool checkAlpha = false) {
  const bool ok = std::abs(actual.r - expected.r) <= tolerance &&
                  std::abs(actual.g - expected.g) <= tolerance &&
                  std::abs(actual.b - expected.b) <= tolerance &&
                  (!checkAlpha || std::abs(actual.a - expected.a) <= tolerance);
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got (" << actual.r << ", " << actual.g << ", " << actual.b << ", " << actual.a
         << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b << ", "
         << expected.a << ") within " << tolerance;
}

TEST_F(GlDeviceTest, ClearFillsTheFrameWithTheArgbColour) {
  device->clear(D3DCLEAR_TARGET, 0x80336699u, 1.0f, 0);
  frame();
  for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {31, 40}})
    EXPECT_TRUE(near(pixel(x, y), {0x33, 0x66, 0x99, 0x80}, 0, true)) << x << "," << y;
}

TEST_F(GlDeviceTest, ClearIgnoresTheColourWriteMask) {
  device->setRenderState(D3DRS_COLORWRITEENABLE, 0);
  device->clear(D3DCLEAR_TARGET, 0xFF204060u, 1.0f, 0);
  frame();
  EXPECT_TRUE(near(pixel(10, 10), {0x20, 0x40, 0x60, 0xFF}, 0));
}

TEST_F(GlDeviceTest, UnlitTriangleInterpolatesVertexColours) {
  // Clockwise on screen: top, right, left.
  ASSERT_EQ(draw(std::vector<ColorVertex>{{0.0f, 0.9f, 0.5f, 0xFFFF0000u},
                                          {0.9f, -0.9f, 0.5f, 0xFF00FF00u},
                                          {-0.9f, -0.9f, 0.5f, 0xFF0000FFu}},
                 kColorFvf),
            D3D_OK);
  frame();
  const Rgba top = pixel(32, 5), right = pixel(58, 60), left = pixel(5, 60);
  EXPECT_GT(top.r, 200);
  EXPECT_LT(top.g + top.b, 60);
  EXPECT_GT(right.g, 200);
  EXPECT_LT(right.r + right.b, 60);
  EXPECT_GT(left.b, 200);
  EXPECT_LT(left.r + left.g, 60);
  // The centroid mixes all three about equally.
  const Rgba middle = pixel(32, 38);
  for (int channel : {middle.r, middle.g, middle.b}) {
    EXPECT_GT(channel, 50);
    EXPECT_LT(channel, 120);
  }
  EXPECT_TRUE(near(pixel(2, 2), {0, 0, 0, 255}, 0));
  EXPECT_TRUE(near(pixel(61, 2), {0, 0, 0, 255}, 0));
}

TEST_F(GlDeviceTest, VertexFormatWithoutDiffuseDrawsWhite) {
  ASSERT_EQ(draw(std::vector<Position>{{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}}, D3DFVF_XYZ),
            D3D_OK);
  frame();
  EXPECT_TRUE(near(pixel(8, 8), {255, 255, 255, 255}, 0, true));
}

TEST_F(GlDeviceTest, FlatShadingTakesTheFirstVertexColour) {
  const std::vector<ColorVertex> triangle{{0.0f, 0.9f, 0.5f, 0xFFFF0000u},
                                          {0.9f, -0.9f, 0.5f, 0xFF00FF00u},
                                          {-0.9f, -0.9f, 0.5f, 0xFF0000FFu}};
  device->setRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  ASSERT_EQ(draw(triangle, kColorFvf), D3D_OK);
  frame();
  for (auto [x, y] : {std::pair{32, 5}, {58, 60}, {5, 60}, {32, 38}})
    EXPECT_TRUE(near(pixel(x, y), {255, 0, 0, 255}, 0)) << x << "," << y;

  device->setRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
  ASSERT_EQ(draw(triangle, kColorFvf), D3D_OK);
  frame();
  EXPECT_GT(pixel(58, 60).g, 200);
}

// Direct3D's lighting at a quad whose four corners see the light alike, so every pixel has the
// vertex value. Corners (±0.5, ±0.5, 0.5), normal (0, 0, −1), point light at (0, 0, −0.5):
// d = √1.5 = 1.224745, N·L = 1/d = 0.816497,
// attenuation = 1 / (0.5 + 0.4·d + 0.1·d²) = 1 / 1.139898 = 0.877271.
// colour = emissive + Ma·(global + att·La) + Md·att·(N·L)·Ld with att·(N·L) = 0.716287,
// global ambient 32/255 = 0.125490, La = 0.1, Ma = 0.5: ambient part 0.5·0.213217 = 0.106609;
// red   0.05 + 0.106609 + 1.00·0.716287·0.8 = 0.729638 -> 186.06
// green 0    + 0.106609 + 0.50·0.716287·0.6 = 0.321495 ->  81.98
// blue  0    + 0.106609 + 0.25·0.716287·0.4 = 0.178237 ->  45.45
TEST_F(GlDeviceTest, PointLightFollowsTheFixedFunctionEquation) {
  device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
  device->setRenderState(D3DRS_AMBIENT, 0x00202020u);
  D3DMATERIAL8 material;
  material.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
  material.Ambient = {0.5f, 0.5f, 0.5f, 1.0f};
  material.Emissive = {0.05f, 0.0f, 0.0f, 0.0f};
  device->setMaterial(material);
  D3DLIGHT8 light;
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {0.8f, 0.6f, 0.4f, 1.0f};
  light.Ambient = {0.1f, 0.1f, 0.1f, 1.0f};
  light.Position = {0.0f, 0.0f, -0.5f};
  light.Range = 10.0f;
  light.Attenuation0 = 0.5f;
  light.Attenuation1 = 0.4f;
  light.Attenuation2 = 0.1f;
  device->setLight(3, light);
  device->lightEnable(3, true);
  ASSERT_EQ(drawLitQuad(0.5f), D3D_OK);
  frame();
  EXPECT_TRUE(near(pixel(32, 32), {186, 82, 45, 255}, 2));
  EXPECT_TRUE(near(pixel(20, 44), {186, 82, 45, 255}, 2));
  EXPECT_TRUE(near(pixel(5, 5), {0, 0, 0, 255}, 0));
}

TEST_F(GlDeviceTest, PointLightBeyondItsRangeAddsNothing) {
  device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
  D3DMATERIAL8 material;
  material.Diffuse = {1, 1, 1, 1};
  device->setMaterial(material);
  D3DLIGHT8 light;
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {1, 1, 1, 1};
  light.Position = {0.0f, 0.0f, -0.5f};
  light.Range = 1.2f;  // the corners are 1.2247 away
  light.Attenuation0 = 1.0f;
  device->setLight(0, light);
  device->lightEnable(0, true);
  drawLitQuad(0.5f);
  frame();
  EXPECT_TRUE(near(pixel(32, 32), {0, 0, 0, 255}, 0));
}

// Directional light travelling along (0, −0.6, 0.8): L = (0, 0.6, −0.8), N·L = 0.8. With the
// viewer at infinity V = (0, 0, −1), H = normalize(0, 0.6, −1.8) = (0, 0.316228, −0.948683),
// N·H = 0.948683 and (N·H)^10 = 0.9^5 = 0.59049.
// diffuse  = Md·0.5·0.8 = (0.2, 0.1, 0.4) -> (51, 25.5, 102)
// specular = Ms·1·0.59049 = (0.236196, 0.118098, 0) -> (60.2, 30.1, 0), added when enabled.
TEST_F(GlDeviceTest, DirectionalLightSpecularOnlyWhenEnabled) {
  struct Case {
    std::uint32_t specular;
    Rgba expected;
  } cases[] = {{D3D_FALSE, {51, 26, 102, 255}}, {D3D_TRUE, {111, 56, 102, 255}}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
    device->setRenderState(D3DRS_LOCALVIEWER, D3D_FALSE);
    device->setRenderState(D3DRS_SPECULARENABLE, c.specular);
    D3DMATERIAL8 material;
    material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.Specular = {0.4f, 0.2f, 0.0f, 1.0f};
    material.Power = 10.0f;
    device->setMaterial(material);
    D3DLIGHT8 light;
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    light.Specular = {1, 1, 1, 1};
    light.Direction = {0.0f, -0.6f, 0.8f};
    device->setLight(0, light);
    device->lightEnable(0, true);
    drawLitQuad(1);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), c.expected, 2)) << "specular " << c.specular;
  }
}

TEST_F(GlDeviceTest, LightsAreGivenInWorldSpace) {
  // The camera turned 90° about y: world +x is view −z. A directional light travelling along
  // world −x therefore travels along view +z, straight at a quad facing the camera.
  const float view[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  const float world[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1};  // inverse turn
  device->setTransform(D3DTS_VIEW, view);
  device->setTransform(D3DTS_WORLD, world);
  device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
  D3DMATERIAL8 material;
  material.Diffuse = {1, 1, 1, 1};
  device->setMaterial(material);
  D3DLIGHT8 light;
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {0.6f, 0.6f, 0.6f, 1};
  light.Direction = {-1, 0, 0};
  device->setLight(1, light);
  device->lightEnable(1, true);
  drawLitQuad(1);
  frame();
  EXPECT_TRUE(near(pixel(32, 32), {153, 153, 153, 255}, 1));
}

// Source (128, 64, 255, a 128) over destination (102, 153, 51), values / 255.
TEST_F(GlDeviceTest, BlendFactorPairsOfTheStateCache) {
  struct Case {
    std::uint32_t source, destination;
    Rgba expected;
  } cases[] = {
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, {51, 38, 51, 0}},           // s·d
      {D3DBLEND_ONE, D3DBLEND_ONE, {230, 217, 255, 0}},               // s + d, saturated
      {D3DBLEND_SRCCOLOR, D3DBLEND_ONE, {166, 169, 255, 0}},          // s·s + d
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, {115, 108, 153, 0}},  // s·a + d·(1 − a)
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, {166, 185, 179, 0}},          // s·a + d
  };
  for (const Case& c : cases) {
    device->setRenderState(D3DRS_ALPHABLENDENABLE, D3D_FALSE);
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF669933u, 1.0f, 0);
    device->setRenderState(D3DRS_ALPHABLENDENABLE, D3D_TRUE);
    device->setRenderState(D3DRS_SRCBLEND, c.source);
    device->setRenderState(D3DRS_DESTBLEND, c.destination);
    drawFullScreen(0.5f, 0x808040FFu);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), c.expected, 2)) << c.source << "/" << c.destination;
  }
}

TEST_F(GlDeviceTest, CullModesFollowScreenWinding) {
  const std::vector<ColorVertex> clockwise{{-0.8f, 0.8f, 0.5f, 0xFFFFFFFFu},
                                           {0.8f, 0.8f, 0.5f, 0xFFFFFFFFu},
                                           {-0.8f, -0.8f, 0.5f, 0xFFFFFFFFu}};
  const std::vector<ColorVertex> counterClockwise{clockwise[0], clockwise[2], clockwise[1]};
  struct Case {
    std::uint32_t cull;
    bool clockwise;
    bool drawn;
  } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_NONE, false, true},
               {D3DCULL_CW, true, false},  {D3DCULL_CW, false, true},
               {D3DCULL_CCW, true, true},  {D3DCULL_CCW, false, false}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_CULLMODE, c.cull);
    draw(c.clockwise ? clockwise : counterClockwise, kColorFvf);
    frame();
    EXPECT_EQ(pixel(16, 16).r, c.drawn ? 255 : 0)
        << "cull " << c.cull << (c.clockwise ? " clockwise" : " counter-clockwise");
  }
}

TEST_F(GlDeviceTest, FillModesDrawOutlinesOrPoints) {
  device->setRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  drawQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 0xFFFFFFFFu);
  frame();
  int lit = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) lit += pixel(x, y).r > 128;
  // Four sides and a diagonal of about 32 pixels each, not the 1024 of a filled square.
  EXPECT_GT(lit, 100);
  EXPECT_LT(lit, 250);
  EXPECT_EQ(pixel(24, 24).r, 0);  // inside, off the diagonal
}

TEST_F(GlDeviceTest, DepthCompareAgainstAnEarlierSurface) {
  struct Case {
    std::uint32_t func;
    float secondZ;
    bool secondWins;
  } cases[] = {{D3DCMP_LESS, 0.7f, false},   {D3DCMP_LESS, 0.3f, true},
               {D3DCMP_LESS, 0.5f, false},   {D3DCMP_LESSEQUAL, 0.5f, true},
               {D3DCMP_EQUAL, 0.5f, true},   {D3DCMP_EQUAL, 0.3f, false},
               {D3DCMP_GREATER, 0.7f, true}, {D3DCMP_ALWAYS, 0.9f, true}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    drawFullScreen(0.5f, 0xFFFF0000u);
    device->setRenderState(D3DRS_ZFUNC, c.func);
    drawFullScreen(c.secondZ, 0xFF00FF00u);
    frame();
    const Rgba p = pixel(32, 32);
    EXPECT_EQ(p.g, c.secondWins ? 255 : 0) << "func " << c.func << " z " << c.secondZ;
    EXPECT_EQ(p.r, c.secondWins ? 0 : 255) << "func " << c.func << " z " << c.secondZ;
  }
}

TEST_F(GlDeviceTest, DepthWritesCanBeSwitchedOff) {
  device->setRenderState(D3DRS_ZWRITEENABLE, D3D_FALSE);
  drawFullScreen(0.3f, 0xFFFF0000u);
  device->setRenderState(D3DRS_ZWRITEENABLE, D3D_TRUE);
  device->setRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  drawFullScreen(0.6f, 0xFF00FF00u);  // passes: the red quad left depth at 1
  frame();
  EXPECT_TRUE(near(pixel(32, 32), {0, 255, 0, 255}, 0));
}

// Triangles of an axis-aligned box, each turned so it is clockwise seen from outside.
std::vector<Position> boxTriangles(float x0, float y0, float z0, float x1, float y1, float z1) {
  const Position c[8] = {{x0, y0, z0}, {x1, y0, z0}, {x0, y1, z0}, {x1, y1, z0},
                         {x0, y0, z1}, {x1, y0, z1}, {x0, y1, z1}, {x1, y1, z1}};
  const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 4, 5},
                           {2, 3, 6, 7}, {0, 2, 4, 6}, {1, 3, 5, 7}};
  const Position centre{(x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2};
  std::vector<Position> out;
  for (const auto& f : faces) {
    for (const auto& t :
         {std::array<int, 3>{f[0], f[1], f[2]}, std::array<int, 3>{f[1], f[3], f[2]}}) {
      Position a = c[t[0]], b = c[t[1]], d = c[t[2]];
      const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
      const float e2[3] = {d.x - a.x, d.y - a.y, d.z - a.z};
      const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                          e1[0] * e2[1] - e1[1] * e2[0]};
      const float out3[3] = {(a.x + b.x + d.x) / 3 - centre.x, (a.y + b.y + d.y) / 3 - centre.y,
                             (a.z + b.z + d.z) / 3 - centre.z};
      // In the device's left-handed space e1 × e2 points outwards for a clockwise face.
      if (n[0] * out3[0] + n[1] * out3[1] + n[2] * out3[2] < 0) std::swap(b, d);
      out.insert(out.end(), {a, b, d});
    }
  }
  return out;
}

TEST_F(GlDeviceTest, DepthFailStencilVolumeDarkensOnlyThePixelsInside) {
  // Scene: left half at depth 0.8, right half at depth 0.3, both grey.
  drawQuad(-1, -1, 0, 1, 0.8f, 0xFF404040u);
  drawQuad(0, -1, 1, 1, 0.3f, 0xFF404040u);
  // A box over the middle from depth 0.6 to 0.9: it encloses the left surface, and lies behind
  // the right one.
  const std::vector<Position> volume = boxTriangles(-0.5f, -0.5f, 0.6f, 0.5f, 0.5f, 0.9f);
  device->setRenderState(D3DRS_COLORWRITEENABLE, 0);
  device->setRenderState(D3DRS_ZWRITEENABLE, D3D_FALSE);
  device->setRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->setRenderState(D3DRS_STENCILENABLE, D3D_TRUE);
  device->setRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device->setRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
  device->setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device->setRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  device->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCR);
  device->setRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(draw(volume, D3DFVF_XYZ), D3D_OK);
  device->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECR);
  device->setRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  ASSERT_EQ(draw(volume, D3DFVF_XYZ), D3D_OK);
  // Lit pass: white wherever the stencil is still 0.
  device->setRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  device->setRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device->setRenderState(D3DRS_STENCILREF, 0);
  device->setRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
  drawFullScreen(0.1f, 0xFFFFFFFFu);
  frame();
  const Rgba shadow{0x40, 0x40, 0x40, 255}, lit{255, 255, 255, 255};
  EXPECT_TRUE(near(pixel(24, 32), shadow, 0));  // inside the box, surface inside it
  EXPECT_TRUE(near(pixel(17, 17), shadow, 0));
  EXPECT_TRUE(near(pixel(40, 32), lit, 0));  // inside the box's outline, surface in front
  EXPECT_TRUE(near(pixel(8, 32), lit, 0));   // outside the box
  EXPECT_TRUE(near(pixel(24, 4), lit, 0));
  EXPECT_TRUE(near(pixel(24, 60), lit, 0));
}

TEST_F(GlDeviceTest, StencilIncrementWrapsAroundAtZero) {
  // DECR on 0 wraps to 255, DECRSAT stays at 0: an EQUAL 255 test tells them apart.
  struct Case {
    std::uint32_t op;
    bool reaches255;
  } cases[] = {{D3DSTENCILOP_DECR, true}, {D3DSTENCILOP_DECRSAT, false}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_STENCIL, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_STENCILENABLE, D3D_TRUE);
    device->setRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->setRenderState(D3DRS_STENCILPASS, c.op);
    device->setRenderState(D3DRS_COLORWRITEENABLE, 0);
    drawFullScreen(0.5f, 0xFFFFFFFFu);
    device->setRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->setRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->setRenderState(D3DRS_STENCILREF, 255);
    drawFullScreen(0.5f, 0xFFFFFFFFu);
    frame();
    EXPECT_EQ(pixel(32, 32).r, c.reaches255 ? 255 : 0) << c.op;
  }
}

RefPtr<DeviceTexture> makeTexture(GraphicsDevice& device, int width, int height,
                                  const std::vector<std::uint32_t>& argb,
                                  std::uint32_t format = D3DFMT_A8R8G8B8) {
  RefPtr<DeviceTexture> texture;
  if (device.createTexture(width, height, format, texture) < 0) return nullptr;
  D3DLOCKED_RECT rect;
  if (texture->lockRect(0, rect, 0) < 0) return nullptr;
  for (int y = 0; y < height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(rect.pBits) + y * rect.Pitch, &argb[y * width],
                std::size_t(width) * 4);
  texture->unlockRect(0);
  return texture;
}

// DOTPRODUCT3 of a normal-map texel and the light vector packed in the diffuse colour:
// 4·Σ(t − 0.5)(d − 0.5), saturated, in every channel. Texel (128, 128, 255) is the normal
// (0, 0, 1).
// light (0.6, 0, 0.8) packs to (204, 128, 230): 4·(0.00196·0.3 + 0.00196² + 0.5·0.40196)
//   = 0.80629 -> 205.6;  light (0, 0, −1) packs to (128, 128, 0): the sum is negative -> 0.
TEST_F(GlDeviceTest, DotProduct3OfNormalMapAndPackedLightVector) {
  RefPtr<DeviceTexture> normalMap = makeTexture(*device, 1, 1, {0xFF8080FFu});
  ASSERT_TRUE(normalMap);
  struct Case {
    std::uint32_t packedLight;
    int expected;
  } cases[] = {{0xFFCC80E6u, 206}, {0xFF808000u, 0}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setTexture(0, normalMap.get());
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    draw(std::vector<TexturedVertex>{{-1, 1, 0.5f, c.packedLight, 0, 0},
                                     {1, 1, 0.5f, c.packedLight, 1, 0},
                                     {-1, -1, 0.5f, c.packedLight, 0, 1},
                                     {1, -1, 0.5f, c.packedLight, 1, 1}},
         kTexturedFvf, D3DPT_TRIANGLESTRIP);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), {c.expected, c.expected, c.expected, 255}, 2))
        << std::hex << c.packedLight;
  }
}

// Texture (200, 100, 50, alpha 128), diffuse (128, 255, 64, alpha 255), factor (10, 20, 30).
TEST_F(GlDeviceTest, TextureStageOperationsCombineTheirArguments) {
  RefPtr<DeviceTexture> texture = makeTexture(*device, 1, 1, {0x80C86432u});
  ASSERT_TRUE(texture);
  struct Case {
    std::uint32_t op, arg1, arg2;
    Rgba expected;
  } cases[] = {
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, {200, 100, 50, 0}},
      {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, {128, 255, 64, 0}},
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, {100, 100, 13, 0}},  // t·d / 255
      {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, {255, 255, 114, 0}},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, {55, 155, 205, 0}},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE, {128, 128, 128, 0}},
      {D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_DIFFUSE, {138, 255, 94, 0}},
  };
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_TEXTUREFACTOR, 0xFF0A141Eu);
    device->setTexture(0, texture.get());
    device->setTextureStageState(0, D3DTSS_COLOROP, c.op);
    device->setTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    device->setTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    draw(std::vector<TexturedVertex>{{-1, 1, 0.5f, 0xFF80FF40u, 0, 0},
                                     {1, 1, 0.5f, 0xFF80FF40u, 1, 0},
                                     {-1, -1, 0.5f, 0xFF80FF40u, 0, 1},
                                     {1, -1, 0.5f, 0xFF80FF40u, 1, 1}},
         kTexturedFvf, D3DPT_TRIANGLESTRIP);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), c.expected, 1))
        << "op " << c.op << " args " << c.arg1 << ", " << c.arg2;
  }
}

TEST_F(GlDeviceTest, StagesWithoutTexturesPassTheDiffuseColour) {
  // Stage 0 disabled: the diffuse colour alone. Stage 0 modulating a texture that is not bound:
  // the missing texture reads as opaque white, so again the diffuse colour.
  struct Case {
    std::uint32_t op;
  } cases[] = {{D3DTOP_DISABLE}, {D3DTOP_MODULATE}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setTexture(0, nullptr);
    device->setTextureStageState(0, D3DTSS_COLOROP, c.op);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    drawFullScreen(0.5f, 0xFF336699u);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), {0x33, 0x66, 0x99, 255}, 0)) << "op " << c.op;
  }
}

TEST_F(GlDeviceTest, SecondStageModulatesTheFirstStageResult) {
  RefPtr<DeviceTexture> base = makeTexture(*device, 1, 1, {0xFF808080u});
  device->setTexture(0, base.get());
  device->setTexture(1, base.get());
  device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->setTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->setTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->setTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  draw(std::vector<TexturedVertex>{{-1, 1, 0.5f, 0xFFFFFFFFu, 0, 0},
                                   {1, 1, 0.5f, 0xFFFFFFFFu, 1, 0},
                                   {-1, -1, 0.5f, 0xFFFFFFFFu, 0, 1},
                                   {1, -1, 0.5f, 0xFFFFFFFFu, 1, 1}},
       kTexturedFvf, D3DPT_TRIANGLESTRIP);
  frame();
  // (128/255)² · 255 = 64.25
  EXPECT_TRUE(near(pixel(32, 32), {64, 64, 64, 255}, 1));
}

// A 2 × 1 texture, red then green, sampled across a quad with u from −0.5 to 1.5.
TEST_F(GlDeviceTest, AddressModesWrapOrClampCoordinates) {
  RefPtr<DeviceTexture> texture = makeTexture(*device, 2, 1, {0xFFFF0000u, 0xFF00FF00u});
  struct Case {
    std::uint32_t address;
    int leftRed;  // the column at u ≈ −0.4
  } cases[] = {{D3DTADDRESS_WRAP, 0}, {D3DTADDRESS_CLAMP, 255}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setTexture(0, texture.get());
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_ADDRESSU, c.address);
    device->setTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->setTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    draw(std::vector<TexturedVertex>{{-1, 1, 0.5f, 0xFFFFFFFFu, -0.5f, 0},
                                     {1, 1, 0.5f, 0xFFFFFFFFu, 1.5f, 0},
                                     {-1, -1, 0.5f, 0xFFFFFFFFu, -0.5f, 1},
                                     {1, -1, 0.5f, 0xFFFFFFFFu, 1.5f, 1}},
         kTexturedFvf, D3DPT_TRIANGLESTRIP);
    frame();
    // x = 3 is u ≈ −0.39: wrapped that is 0.61 (green), clamped 0 (red).
    EXPECT_EQ(pixel(3, 32).r, c.leftRed) << c.address;
    EXPECT_EQ(pixel(3, 32).g, 255 - c.leftRed) << c.address;
    // x = 20 is u ≈ 0.14: red either way.
    EXPECT_EQ(pixel(20, 32).r, 255) << c.address;
  }
}

TEST_F(GlDeviceTest, LinearFilteringBlendsNeighbouringTexels) {
  RefPtr<DeviceTexture> texture = makeTexture(*device, 2, 1, {0xFF000000u, 0xFFFFFFFFu});
  device->setTexture(0, texture.get());
  device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->setTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  device->setTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->setTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  draw(std::vector<TexturedVertex>{{-1, 1, 0.5f, 0xFFFFFFFFu, 0, 0},
                                   {1, 1, 0.5f, 0xFFFFFFFFu, 1, 0},
                                   {-1, -1, 0.5f, 0xFFFFFFFFu, 0, 1},
                                   {1, -1, 0.5f, 0xFFFFFFFFu, 1, 1}},
       kTexturedFvf, D3DPT_TRIANGLESTRIP);
  frame();
  // At the middle (u = 0.5) the two texel centres (0.25, 0.75) weigh equally.
  EXPECT_TRUE(near(pixel(32, 32), {128, 128, 128, 255}, 6));
  EXPECT_EQ(pixel(2, 32).r, 0);
  EXPECT_EQ(pixel(61, 32).r, 255);
}

// The font and the fixed-function cache build their programs through one routine: a program
// that does not compile or does not link is 0 with the reason in the log.
TEST_F(GlDeviceTest, ProgramsThatFailToBuildAreZeroWithTheReasonLogged) {
  const std::string vertex =
      "#version 330 core\nlayout(location = 0) in vec3 p;\nvoid main() { gl_Position = vec4(p, 1.0); }\n";
  const std::string fragment =
      "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
  const std::string unlinkable =  // compiles, but a stage without main does not link
      "#version 330 core\nout vec4 c;\nvoid shade() { c = vec4(1.0); }\n";
  const std::string broken = "#version 330 core\nvoid main() { this is not glsl }\n";
  struct Case {
    const char* name;
    const std::string& vertexSource;
    const std::string& fragmentSource;
    const char* logged;  // nullptr: builds
  } cases[] = {
      {"both compile and link", vertex, fragment, nullptr},
      {"fragment does not compile", vertex, broken, "Shader compilation failed"},
      {"vertex does not compile", broken, fragment, "Shader compilation failed"},
      {"stages do not link", vertex, unlinkable, "Shader link failed"},
  };
  device->makeCurrent();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    const std::uint32_t program = GlShaderCache::linkProgram(c.vertexSource, c.fragmentSource);
    EXPECT_EQ(program != 0, c.logged == nullptr);
    if (c.logged) {
      EXPECT_TRUE(log.contains(c.logged)) << log.text();
    }
    EXPECT_EQ(device->takeGlError(), 0u);
  }
}

// Locks of a 12-byte buffer: size 0 reaches to the end; a range past the end is refused.
TEST_F(GlDeviceTest, BufferLocksStayInsideTheBuffer) {
  RefPtr<DeviceVertexBuffer> vb;
  ASSERT_EQ(device->createVertexBuffer(12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb), D3D_OK);
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(device->createIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib), D3D_OK);
  for (const LockRangeCase& c : lockRangesOfTwelveBytes()) {
    SCOPED_TRACE(testing::Message() << c.offset << "+" << c.size);
    void* data = nullptr;
    EXPECT_EQ(vb->lock(c.offset, c.size, &data, 0), c.expected);
    EXPECT_EQ(data != nullptr, c.expected == D3D_OK);
    if (data) vb->unlock();
    data = nullptr;
    EXPECT_EQ(ib->lock(c.offset, c.size, &data, 0), c.expected);
    EXPECT_EQ(data != nullptr, c.expected == D3D_OK);
    if (data) ib->unlock();
  }
}

// A 5 x 3 texture: 60 bytes in the managed pool; there is no level 1.
TEST_F(GlDeviceTest, TextureDescribesItsOneLevel) {
  for (std::uint32_t format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    RefPtr<DeviceTexture> texture;
    ASSERT_EQ(device->createTexture(5, 3, format, texture), D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->getLevelDesc(0, desc), D3D_OK);
    EXPECT_EQ(desc.Format, format);
    EXPECT_EQ(desc.Usage, 0u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Size, 60u);
    EXPECT_EQ(desc.Width, 5u);
    EXPECT_EQ(desc.Height, 3u);
    EXPECT_EQ(texture->getLevelDesc(1, desc), D3DERR_INVALIDCALL);
  }
}

TEST_F(GlDeviceTest, X8R8G8B8TexturesSampleOpaque) {
  RefPtr<DeviceTexture> texture = makeTexture(*device, 1, 1, {0x00FF8000u}, D3DFMT_X8R8G8B8);
  device->setTexture(0, texture.get());
  device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  draw(
      std::vector<TexturedVertex>{
          {-1, 1, 0.5f, 0, 0, 0}, {1, 1, 0.5f, 0, 1, 0}, {-1, -1, 0.5f, 0, 0, 1}},
      kTexturedFvf);
  frame();
  EXPECT_TRUE(near(pixel(8, 8), {255, 128, 0, 255}, 0, true));
}

// A texture of four columns: red, green, blue, white (u = 0, 0.25, 0.5, 0.75 ...). A small quad
// at depth 0.5 around the view axis, with every normal n = (±0.5, 0.5, −0.7071): the
// camera-space reflection of the view ray (0, 0, 1) is (±0.7071, 0.7071, 0) (scaled by 0.96 at
// the centre, where the corner rays are interpolated). The texture transform
// u = 0.5·x + 0.5, v = 0.5·y + 0.5 (sent in row-vector form) gives u ≈ 0.84 or 0.16.
TEST_F(GlDeviceTest, ReflectionVectorCoordinatesThroughTheTextureTransform) {
  RefPtr<DeviceTexture> columns =
      makeTexture(*device, 4, 1, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
  const float halfShift[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 0, 1};
  struct Case {
    float nx;
    std::uint32_t ttff;
    Rgba expected;
  } cases[] = {
      {0.5f, D3DTTFF_COUNT2, {255, 255, 255, 255}},  // u 0.84: white
      {-0.5f, D3DTTFF_COUNT2, {255, 0, 0, 255}},     // u 0.16: red
      {0.5f, D3DTTFF_DISABLE, {0, 0, 255, 255}},     // raw x 0.68: blue
  };
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setTexture(0, columns.get());
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->setTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    device->setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.ttff);
    device->setTransform(D3DTS_TEXTURE0, halfShift);
    const float h = 0.1f, ny = 0.5f, nz = -0.70710678f;
    drawLitQuad(h, 0.5f, c.nx, ny, nz);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), c.expected, 0)) << c.nx << " ttff " << c.ttff;
  }
}

TEST_F(GlDeviceTest, ProjectionMapsDepthZeroToOne) {
  // A projection that keeps z: a surface at z = 0.05 is in view (GL's −1..1 would keep it too),
  // one at z = −0.05 must be clipped like behind the near plane.
  drawFullScreen(-0.05f, 0xFFFF0000u);
  frame();
  EXPECT_EQ(pixel(32, 32).r, 0);
  drawFullScreen(0.05f, 0xFF00FF00u);
  frame();
  EXPECT_EQ(pixel(32, 32).g, 255);
}

TEST_F(GlDeviceTest, IndexedDrawUsesTheBaseVertexAndRefusesIndicesPastTheBuffer) {
  const std::vector<ColorVertex> vertices{
      {0, 0, 0.5f, 0xFFFF0000u},  // unused: the base index skips it
      {-1, 1, 0.5f, 0xFF00FF00u},
      {1, 1, 0.5f, 0xFF00FF00u},
      {-1, -1, 0.5f, 0xFF00FF00u}};
  RefPtr<DeviceVertexBuffer> vb;
  ASSERT_EQ(device->createVertexBuffer(std::uint32_t(vertices.size() * sizeof(ColorVertex)),
                                       D3DUSAGE_WRITEONLY, kColorFvf, D3DPOOL_MANAGED, vb),
            D3D_OK);
  void* data = nullptr;
  vb->lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertices.size() * sizeof(ColorVertex));
  vb->unlock();
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(device->createIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib),
            D3D_OK);
  const std::uint16_t indices[6] = {0, 1, 2, 0, 1, 3};
  ib->lock(0, 0, &data, 0);
  std::memcpy(data, indices, sizeof indices);
  ib->unlock();
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(kColorFvf);
  device->setIndices(ib.get(), 1);
  EXPECT_EQ(device->drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
  // The second triangle's index 3 + base 1 = 4 lies past the four vertices.
  EXPECT_EQ(device->drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 3, 1), D3DERR_INVALIDCALL);
  // Six indices from index 3 run past the buffer.
  EXPECT_EQ(device->drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 3, 2), D3DERR_INVALIDCALL);
  frame();
  EXPECT_TRUE(near(pixel(8, 8), {0, 255, 0, 255}, 0));
  EXPECT_TRUE(near(pixel(56, 56), {0, 0, 0, 255}, 0));
}

TEST_F(GlDeviceTest, DrawsPastTheVertexBufferAreRefused) {
  RefPtr<DeviceVertexBuffer> vb;
  device->createVertexBuffer(3 * sizeof(ColorVertex), 0, kColorFvf, D3DPOOL_MANAGED, vb);
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(kColorFvf);
  EXPECT_EQ(device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
  EXPECT_EQ(device->drawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->drawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  // A stride smaller than the format's vertex is refused too.
  device->setStreamSource(0, vb.get(), 12);
  EXPECT_EQ(device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
}

// Primitive counts whose vertex or index count passes 32 bits must not wrap round to a small
// count that fits the buffers: 3 x 0x55555556 = 2^32 + 2, 2 x 0x80000001 = 2^32 + 2,
// 0xFFFFFFFF + 2 = 2^32 + 1.
TEST_F(GlDeviceTest, PrimitiveCountsBeyondThirtyTwoBitsAreRefused) {
  RefPtr<DeviceVertexBuffer> vb;
  device->createVertexBuffer(3 * sizeof(ColorVertex), 0, kColorFvf, D3DPOOL_MANAGED, vb);
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(device->createIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib), D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(ib->lock(0, 0, &data, 0), D3D_OK);
  const std::uint16_t indices[6] = {0, 1, 2, 0, 1, 2};
  std::memcpy(data, indices, sizeof indices);
  ib->unlock();
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(kColorFvf);
  device->setIndices(ib.get(), 0);
  struct Case {
    std::uint32_t type, count;
  } cases[] = {{D3DPT_TRIANGLELIST, 0x55555556u},
               {D3DPT_LINELIST, 0x80000001u},
               {D3DPT_TRIANGLESTRIP, 0xFFFFFFFFu},
               {D3DPT_TRIANGLEFAN, 0xFFFFFFFFu},
               {D3DPT_LINESTRIP, 0xFFFFFFFFu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(device->drawPrimitive(c.type, 0, c.count), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->drawIndexedPrimitive(c.type, 0, 3, 0, c.count), D3DERR_INVALIDCALL);
  }
  EXPECT_EQ(device->drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 2), D3D_OK);
  EXPECT_EQ(device->takeGlError(), 0u);
}

TEST_F(GlDeviceTest, DiscardLockOfADynamicBufferShowsTheNewContents) {
  RefPtr<DeviceVertexBuffer> vb;
  ASSERT_EQ(
      device->createVertexBuffer(3 * sizeof(ColorVertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                 kColorFvf, D3DPOOL_DEFAULT, vb),
      D3D_OK);
  device->setStreamSource(0, vb.get(), sizeof(ColorVertex));
  device->setVertexShader(kColorFvf);
  for (std::uint32_t color : {0xFFFF0000u, 0xFF0000FFu}) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    void* data = nullptr;
    ASSERT_EQ(vb->lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    const ColorVertex triangle[3] = {
        {-1, 1, 0.5f, color}, {1, 1, 0.5f, color}, {-1, -1, 0.5f, color}};
    std::memcpy(data, triangle, sizeof triangle);
    ASSERT_EQ(vb->unlock(), D3D_OK);
    ASSERT_EQ(device->drawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    frame();
    EXPECT_TRUE(near(pixel(8, 8),
                     {int((color >> 16) & 0xFF), int((color >> 8) & 0xFF), int(color & 0xFF), 255},
                     0));
  }
}

TEST_F(GlDeviceTest, UnchangedStateIsNotSentAgain) {
  drawFullScreen(0.5f, 0xFF808080u);
  const std::uint64_t uploads = device->uniformUploadCount();
  const std::size_t programs = device->programCount();
  drawFullScreen(0.5f, 0xFF808080u);
  drawFullScreen(0.5f, 0xFF808080u);
  EXPECT_EQ(device->uniformUploadCount(), uploads);
  EXPECT_EQ(device->programCount(), programs);
  device->setRenderState(D3DRS_AMBIENT, 0x00101010u);
  drawFullScreen(0.5f, 0xFF808080u);
  EXPECT_EQ(device->uniformUploadCount(), uploads + 1);
}

TEST_F(GlDeviceTest, DrawingOutsideASceneIsRefused) {
  device->endScene();
  EXPECT_EQ(drawFullScreen(0.5f, 0xFFFFFFFFu), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->endScene(), D3DERR_INVALIDCALL);
  device->beginScene();
  EXPECT_EQ(device->beginScene(), D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, TextIsDrawnWhiteInsideItsCalculatedRectangle) {
  RefPtr<DeviceFont> font;
  ASSERT_EQ(device->createFont("Arial", 15, font), D3D_OK);
  int w = 0, h = 0;
  font->measureText("Hi\nHi", w, h);
  EXPECT_EQ(h, 30);
  EXPECT_GT(w, 8);
  EXPECT_LT(w, 30);

  DeviceRect rect{5, 10, 5, 10};
  ASSERT_EQ(font->drawText("Hi\nHi", -1, rect, DT_CALCRECT, 0), 30);
  EXPECT_EQ(rect.right - rect.left, w);
  EXPECT_EQ(rect.bottom, 40);
  EXPECT_EQ(font->drawText("Hi\nHi", -1, rect, DT_LEFT | DT_TOP, 0xFFFFFFFFu), 30);
  frame();
  int whiteTop = 0, whiteBottom = 0, outside = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const Rgba p = pixel(x, y);
      const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      if (!inside) {
        outside += p.r + p.g + p.b > 0;
        continue;
      }
      // Fully covered pixels are pure white; edges are grey, never coloured.
      EXPECT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
      if (p.r == 255) (y < rect.top + 15 ? whiteTop : whiteBottom)++;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(whiteTop, 10);
  EXPECT_GT(whiteBottom, 10);
}

TEST_F(GlDeviceTest, TextLeavesTheDeviceStateAsItWas) {
  RefPtr<DeviceFont> font;
  ASSERT_EQ(device->createFont("Arial", 15, font), D3D_OK);
  device->setRenderState(D3DRS_ALPHABLENDENABLE, D3D_TRUE);
  device->setRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->setRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  drawFullScreen(0.5f, 0xFF200000u);
  DeviceRect rect{0, 0, 0, 0};
  font->drawText("X", -1, rect, 0, 0xFF00FF00u);
  drawFullScreen(0.5f, 0xFF200000u);  // additive again after the text
  frame();
  EXPECT_TRUE(near(pixel(40, 40), {0x40, 0, 0, 255}, 0));
}

TEST_F(GlDeviceTest, CapabilitiesAndFormats) {
  D3DCAPS8 caps;
  ASSERT_EQ(device->getDeviceCaps(0, D3DDEVTYPE_HAL, caps), D3D_OK);
  EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_DOTPRODUCT3);
  EXPECT_TRUE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(device->getDisplayMode(0, mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(device->checkDepthStencilFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(device->checkDepthStencilFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DFMT_D24X4S4),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device->checkDepthStencilFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DFMT_D15S1),
            D3DERR_NOTAVAILABLE);
  RefPtr<DeviceTexture> texture;
  EXPECT_EQ(device->createTexture(4, 4, D3DFMT_R5G6B5, texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->createTexture(0, 4, D3DFMT_A8R8G8B8, texture), D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, NormalsFollowTheWorldScaleUnlessRenormalised) {
  // World scale 2: the inverse transpose halves the normal, and with it N·L, unless
  // D3DRS_NORMALIZENORMALS renormalises. Light straight on, diffuse 1: 255 or 127.5.
  const float scale[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
  struct Case {
    std::uint32_t normalize;
    int expected;
  } cases[] = {{D3D_FALSE, 128}, {D3D_TRUE, 255}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
    device->setTransform(D3DTS_WORLD, scale);
    device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
    device->setRenderState(D3DRS_NORMALIZENORMALS, c.normalize);
    D3DMATERIAL8 material;
    material.Diffuse = {1, 1, 1, 1};
    device->setMaterial(material);
    D3DLIGHT8 light;
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    device->setLight(0, light);
    device->lightEnable(0, true);
    drawLitQuad(0.5f, 0.25f);
    frame();
    EXPECT_TRUE(near(pixel(32, 32), {c.expected, c.expected, c.expected, 255}, 1))
        << "normalize " << c.normalize;
  }
}

TEST_F(GlDeviceTest, VertexColourReplacesTheMaterialDiffuseWhenLit) {
  // With D3DRS_COLORVERTEX on (the default) a lit vertex's own diffuse colour is the material's.
  device->setRenderState(D3DRS_LIGHTING, D3D_TRUE);
  D3DMATERIAL8 material;
  material.Diffuse = {1, 1, 1, 1};
  device->setMaterial(material);
  D3DLIGHT8 light;
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  device->setLight(0, light);
  device->lightEnable(0, true);
  struct Vertex {
    float x, y, z, nx, ny, nz;
    std::uint32_t diffuse;
  };
  draw(std::vector<Vertex>{{-1, 1, 0.5f, 0, 0, -1, 0xFF4080C0u},
                           {1, 1, 0.5f, 0, 0, -1, 0xFF4080C0u},
                           {-1, -1, 0.5f, 0, 0, -1, 0xFF4080C0u}},
       D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
  frame();
  EXPECT_TRUE(near(pixel(8, 8), {0x40, 0x80, 0xC0, 255}, 1));
}

TEST_F(GlDeviceTest, AlphaTestDiscardsFailingPixels) {
  struct Case {
    std::uint32_t func, reference;
    bool drawn;
  } cases[] = {{D3DCMP_GREATER, 0x7F, true},
               {D3DCMP_GREATER, 0x80, false},
               {D3DCMP_GREATEREQUAL, 0x80, true},
               {D3DCMP_LESS, 0x80, false}};
  for (const Case& c : cases) {
    device->clear(D3DCLEAR_TARGET, kClear, 1.0f, 0);
    device->setRenderState(D3DRS_ALPHATESTENABLE, D3D_TRUE);
    device->setRenderState(D3DRS_ALPHAFUNC, c.func);
    device->setRenderState(D3DRS_ALPHAREF, c.reference);
    drawFullScreen(0.5f, 0x80FFFFFFu);
    frame();
    EXPECT_EQ(pixel(32, 32).r, c.drawn ? 255 : 0) << c.func << " ref " << c.reference;
  }
}

TEST(GlDeviceLifetimeTest, ObjectsOutlivingTheDeviceFailCleanly) {
  RefPtr<DeviceVertexBuffer> vb;
  RefPtr<DeviceTexture> texture;
  {
    RefPtr<GlDevice> device = GlDevice::createHeadless(8, 8);
    ASSERT_TRUE(device);
    D3DPRESENT_PARAMETERS p;
    p.Windowed = true;
    p.EnableAutoDepthStencil = true;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, 0x20, p), D3D_OK);
    EXPECT_EQ(device->backBufferWidth(), 8);
    ASSERT_EQ(device->createVertexBuffer(36, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb), D3D_OK);
    ASSERT_EQ(device->createTexture(2, 2, D3DFMT_A8R8G8B8, texture), D3D_OK);
    // 16-bit depth has no stencil to clear.
    EXPECT_EQ(device->clear(D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  }
  void* data = nullptr;
  EXPECT_EQ(vb->lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT rect;
  EXPECT_EQ(texture->lockRect(0, rect, 0), D3DERR_INVALIDCALL);
}

}  // namespace

namespace {

D3DPRESENT_PARAMETERS windowedDepthStencil() {
  D3DPRESENT_PARAMETERS p;
  p.Windowed = true;
  p.EnableAutoDepthStencil = true;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  return p;
}

// Depth through a perspective projection (near 1, far 11, Direct3D's form: z' = 1.1·z − 1.1,
// w' = z), with the range set by glClipControl or folded into the projection: the nearer of two
// overlapping quads wins, and one in front of the near plane is clipped.
TEST(GlDeviceContextTest, DepthRangeIsTheSameWithAndWithoutClipControl) {
  for (bool clipControl : {true, false}) {
    RefPtr<GlDevice> device = GlDevice::createHeadless(8, 8, clipControl);
    ASSERT_TRUE(device);
    ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0};
    device->setTransform(D3DTS_WORLD, identity);
    device->setTransform(D3DTS_VIEW, identity);
    device->setTransform(D3DTS_PROJECTION, projection);
    device->setRenderState(D3DRS_LIGHTING, D3D_FALSE);
    device->setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->setRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    struct V {
      float x, y, z;
      std::uint32_t c;
    };
    auto quad = [&](float z, std::uint32_t color) {
      const float s = 2 * z;  // covers the view at that distance
      const V v[4] = {{-s, s, z, color}, {s, s, z, color}, {-s, -s, z, color}, {s, -s, z, color}};
      RefPtr<DeviceVertexBuffer> vb;
      device->createVertexBuffer(sizeof v, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_MANAGED, vb);
      void* data = nullptr;
      vb->lock(0, 0, &data, 0);
      std::memcpy(data, v, sizeof v);
      vb->unlock();
      device->setStreamSource(0, vb.get(), sizeof(V));
      device->setVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      device->drawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    };
    std::vector<std::uint8_t> rgba;
    int w = 0, h = 0;
    struct Case {
      float first, second;
      int expectedRed;  // first red, second green
    } cases[] = {{5.0f, 3.0f, 0}, {3.0f, 5.0f, 255}, {0.9f, 0.95f, 0}, {10.5f, 10.8f, 255}};
    for (const Case& c : cases) {
      device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
      device->beginScene();
      quad(c.first, 0xFFFF0000u);
      quad(c.second, 0xFF00FF00u);
      device->endScene();
      device->readFrame(rgba, w, h);
      const std::uint8_t* centre = &rgba[(4 * 8 + 4) * 4];
      EXPECT_EQ(centre[0], c.expectedRed)
          << (clipControl ? "clip control " : "folded ") << c.first << " then " << c.second;
    }
    EXPECT_EQ(device->takeGlError(), 0u);
  }
}

TEST(GlDeviceContextTest, HeadlessDevicesTakeTurnsOnOneThread) {
  RefPtr<GlDevice> first = GlDevice::createHeadless(4, 4);
  RefPtr<GlDevice> second = GlDevice::createHeadless(4, 4);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
  ASSERT_EQ(second->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
  first->clear(D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
  second->clear(D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  std::vector<std::uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_EQ(first->readFrame(rgba, w, h), D3D_OK);
  EXPECT_EQ(rgba[0], 255);
  EXPECT_EQ(rgba[2], 0);
  ASSERT_EQ(second->readFrame(rgba, w, h), D3D_OK);
  EXPECT_EQ(rgba[0], 0);
  EXPECT_EQ(rgba[2], 255);
}

TEST(GlDeviceContextTest, ObjectsOfAnotherDeviceAreRefused) {
  RefPtr<GlDevice> first = GlDevice::createHeadless(4, 4);
  RefPtr<GlDevice> second = GlDevice::createHeadless(4, 4);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
  ASSERT_EQ(second->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
  RefPtr<DeviceTexture> texture;
  RefPtr<DeviceVertexBuffer> vb;
  RefPtr<DeviceIndexBuffer> ib;
  ASSERT_EQ(first->createTexture(1, 1, D3DFMT_A8R8G8B8, texture), D3D_OK);
  ASSERT_EQ(first->createVertexBuffer(12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb), D3D_OK);
  ASSERT_EQ(first->createIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib), D3D_OK);
  EXPECT_EQ(second->setTexture(0, texture.get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(second->setStreamSource(0, vb.get(), 12), D3DERR_INVALIDCALL);
  EXPECT_EQ(second->setIndices(ib.get(), 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(first->setTexture(0, texture.get()), D3D_OK);
  EXPECT_EQ(first->setStreamSource(0, vb.get(), 12), D3D_OK);
  EXPECT_EQ(first->setIndices(ib.get(), 0), D3D_OK);
}

TEST(GlDeviceContextTest, WindowDeviceSwapsAtPresentAndFollowsTheWindowSize) {
  // Any current 3.3 context stands in for a window's.
  auto context = GlHeadlessContext::create();
  ASSERT_TRUE(context);
  int swaps = 0;
  RefPtr<GlDevice> device = GlDevice::createForCurrentContext(32, 16, [&] { ++swaps; });
  ASSERT_TRUE(device);
  ASSERT_EQ(device->createDevice(0, D3DDEVTYPE_HAL, 0x40, windowedDepthStencil()), D3D_OK);
  EXPECT_EQ(device->backBufferWidth(), 32);
  EXPECT_EQ(device->backBufferHeight(), 16);
  device->clear(D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
  std::vector<std::uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_EQ(device->readFrame(rgba, w, h), D3D_OK);
  EXPECT_EQ(rgba.size(), std::size_t(32 * 16 * 4));
  EXPECT_EQ(rgba[1], 255);
  EXPECT_EQ(device->present(), D3D_OK);
  EXPECT_EQ(swaps, 1);
  EXPECT_EQ(device->takeGlError(), 0u);
  ASSERT_TRUE(device->resizeWindow(20, 10));
  EXPECT_EQ(device->backBufferWidth(), 20);
  EXPECT_EQ(device->backBufferHeight(), 10);
  device.reset();
}

}  // namespace
