#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effects/BumpMaterial.h"
#include "effects/TangentFrames.h"
#include "engine/MathConstants.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "image/Texture.h"
#include "render/HardwareMesh.h"
#include "tests/render/RendererTestSupport.h"

namespace {

struct BumpMaterialApply : ::testing::Test {
  void SetUp() override {
    r.open();
    r.renderer->beginFrame();
    r.startRecording();
  }
  RefPtr<Texture> texture(const char* name) {
    RefPtr<DeviceTexture> made;
    r.device->createTexture(4, 4, D3DFMT_X8R8G8B8, made);
    return RefPtr<Texture>(new Texture(made, name, 0));
  }
  RecordingRenderer r;
};

TEST_F(BumpMaterialApply, TwoPassesAndClonesStayBumpMaterials) {
  RefPtr<BumpMaterial> m(new BumpMaterial());
  EXPECT_EQ(m->type(), Material::kBump);
  EXPECT_EQ(m->passCount(), 2);
  m->setAmbientPass(true);
  EXPECT_EQ(m->passCount(), 1);
  m->setAmbientPass(false);

  RefPtr<Texture> normals = texture("normals"), base = texture("base");
  m->setTexture(0, normals);
  m->setTexture(1, base);
  m->setColor(Color(0x336699FFu));
  const std::uint32_t before = normals->referenceCount();
  RefPtr<Material> copy = m->clone();
  ASSERT_NE(dynamic_cast<BumpMaterial*>(copy.get()), nullptr);
  EXPECT_EQ(copy->texture(0), normals.get());
  EXPECT_EQ(copy->texture(1), base.get());
  EXPECT_EQ(copy->getColor().value, 0x336699FFu);
  EXPECT_EQ(normals->referenceCount(), before + 1);
  // Without the specular pass the clone keeps one pass too.
  m->setType(Material::kPlain);
  EXPECT_EQ(m->clone()->passCount(), 1);
}

TEST_F(BumpMaterialApply, PassZeroDotsTheNormalMapWithTheDiffuseColourThenModulatesTheBase) {
  RefPtr<BumpMaterial> m(new BumpMaterial());
  RefPtr<Texture> normals = texture("normals"), base = texture("base");
  base->setFilterMode(Texture::kFilterPoint);
  m->setTexture(0, normals);
  m->setTexture(1, base);
  m->apply(0, Matrix34());

  EXPECT_EQ(r.device->callCount("setMaterial"), 1);
  const std::vector<std::pair<std::int64_t, std::int64_t>> states = {{D3DRS_LIGHTING, 0}};
  EXPECT_EQ(r.renderStates(), states);
  const std::vector<StageState> expected = {
      {2, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {3, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3},
      {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
      {0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
      {0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP},
      {0, D3DTSS_MINFILTER, D3DTEXF_LINEAR},
      {0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR},
      {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
      {0, D3DTSS_TEXCOORDINDEX, 0},
      {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
      {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
      {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
      {1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
      {1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
      {1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP},
      {1, D3DTSS_MINFILTER, D3DTEXF_POINT},
      {1, D3DTSS_MAGFILTER, D3DTEXF_POINT},
      {1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
      {1, D3DTSS_TEXCOORDINDEX, 0},
  };
  EXPECT_EQ(r.stageStates(), expected);
  EXPECT_EQ(r.device->boundTexture(0), normals->deviceTexture());
  EXPECT_EQ(r.device->boundTexture(1), base->deviceTexture());
}

TEST_F(BumpMaterialApply, PassOneAddsTheSquaredHalfVectorTermOnThePixelsOfPassZero) {
  struct Case {
    const char* what;
    bool withBase;
  } cases[] = {{"normal map and base", true}, {"normal map only", false}};
  for (const Case& c : cases) {
    RefPtr<BumpMaterial> m(new BumpMaterial());
    RefPtr<Texture> normals = texture("normals"), base = texture("base");
    m->setTexture(0, normals);
    if (c.withBase) m->setTexture(1, base);
    m->apply(0, Matrix34());
    r.startRecording();
    m->apply(1, Matrix34());
    const std::vector<std::pair<std::int64_t, std::int64_t>> states = {
        {D3DRS_ZENABLE, D3DZB_TRUE},          {D3DRS_ZWRITEENABLE, 0},          {D3DRS_ZFUNC, D3DCMP_EQUAL},
        {D3DRS_ALPHABLENDENABLE, 1},          {D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR}, {D3DRS_DESTBLEND, D3DBLEND_ONE}};
    EXPECT_EQ(r.renderStates(), states) << c.what;
    const std::vector<StageState> expected = {{0, D3DTSS_COLORARG2, D3DTA_SPECULAR},
                                              {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
                                              {1, D3DTSS_COLORARG1, D3DTA_CURRENT},
                                              {1, D3DTSS_COLORARG2, D3DTA_CURRENT}};
    EXPECT_EQ(r.stageStates(), expected) << c.what;
    // Stage 1 keeps the base texture, or borrows the normal map so that it is not empty.
    EXPECT_EQ(r.device->boundTexture(1), (c.withBase ? base : normals)->deviceTexture()) << c.what;
    r.startRecording();
  }
}

TEST_F(BumpMaterialApply, PassesBeyondTheCountAndTheSpecularPassWithoutNormalMapDrawNothingNew) {
  RefPtr<BumpMaterial> m(new BumpMaterial());
  m->setTexture(0, texture("normals"));
  r.startRecording();
  m->apply(2, Matrix34());
  m->apply(-1, Matrix34());
  m->setType(Material::kPlain);
  m->apply(1, Matrix34());
  EXPECT_TRUE(r.device->calls().empty());

  // With no normal map stage 0 is off, and pass 1 would add the packed vectors as a colour:
  // it writes no colour at all.
  RefPtr<BumpMaterial> bare(new BumpMaterial());
  bare->apply(1, Matrix34());
  EXPECT_EQ(r.device->state().renderStates[D3DRS_COLORWRITEENABLE], 0u);
  EXPECT_EQ(r.device->callCount("setTextureStageState"), 0);
}

// The quad of createQuad(2, 2) turned half a turn about z and placed 5 ahead of the default camera
// at the origin, lit by a point light at world (2, 0, 3): in the quad's object space the light is
// at (−2, 0, −2) and the eye at (0, 0, −5).
struct TurnedQuad {
  RefPtr<Mesh> mesh = Mesh::createQuad(2, 2);
  RefPtr<MeshInstance> instance;
  RefPtr<BumpMaterial> material{new BumpMaterial()};

  TurnedQuad() {
    mesh->setDynamic(true);
    buildTangentFrames(*mesh, false, 0);
    instance = new MeshInstance(SceneNode::create(Matrix34(Matrix33::rotationZ(kPi), Vector3(0, 0, 5))), mesh);
    instance->updateBounds();
    instance->setMaterial(material);
    instance->setLight(0, 2, 0, 3, 1);
  }
};

// Vertex 0 at (−1, −1, 0): towards the light (−1, 1, −2)/√6, in tangent space (−0.408, −0.408,
// 0.816) → (75, 75, 231); the half vector with the eye direction (1, 1, −5)/√27 is (−0.094,
// −0.261, 0.772) after scaling → (115, 94, 225).
constexpr std::uint32_t kVertex0Light = 0x4B4BE7FFu;
constexpr std::uint32_t kVertex0Half = 0x735EE1FFu;

TEST_F(BumpMaterialApply, VectorsFollowTheInstancePlacementAndReachTheVertexBuffer) {
  TurnedQuad quad;
  Scene scene;
  scene.addInstance(quad.instance);
  r.renderer->renderScene(scene);

  EXPECT_EQ(quad.mesh->colors(0)[0].value, kVertex0Light);
  EXPECT_EQ(quad.mesh->colors(1)[0].value, kVertex0Half);
  EXPECT_EQ(r.device->callCount("drawIndexedPrimitive"), 2) << "two passes";

  // Position, normal, diffuse, specular, one coordinate pair: diffuse at byte 24, specular at 28,
  // as ARGB.
  auto* buffers = dynamic_cast<HardwareMesh*>(quad.mesh->listener());
  ASSERT_NE(buffers, nullptr);
  ASSERT_EQ(buffers->format(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
  const std::vector<std::uint8_t>& bytes = r.device->contents(buffers->vertexBuffer());
  ASSERT_GE(bytes.size(), 40u);
  std::uint32_t diffuse = 0, specular = 0;
  std::memcpy(&diffuse, bytes.data() + 24, 4);
  std::memcpy(&specular, bytes.data() + 28, 4);
  EXPECT_EQ(diffuse, Color(kVertex0Light).packed(2));
  EXPECT_EQ(specular, Color(kVertex0Half).packed(2));
}

TEST_F(BumpMaterialApply, WithoutTheSpecularPassOnlyLightVectorsAreWritten) {
  TurnedQuad quad;
  quad.material->setType(Material::kPlain);
  quad.material->setInstance(quad.instance.get());
  ASSERT_TRUE(quad.material->updateVectors(Vector3(0, 0, 0)));
  EXPECT_EQ(quad.mesh->colors(0)[0].value, kVertex0Light);
  EXPECT_EQ(quad.mesh->colors(1)[0].value, 0xFFFFFFFFu);
  // Without tangent frames (or an instance) there is nothing to write.
  RefPtr<MeshInstance> plain(new MeshInstance(nullptr, Mesh::createQuad(1, 1)));
  quad.material->setInstance(plain.get());
  EXPECT_FALSE(quad.material->updateVectors(Vector3()));
  quad.material->setInstance(nullptr);
  EXPECT_FALSE(quad.material->updateVectors(Vector3()));
}

}  // namespace
