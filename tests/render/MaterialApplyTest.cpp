#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/Light.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/SceneNode.h"
#include "image/Texture.h"
#include "tests/render/RendererTestSupport.h"

namespace {

// What a material without a mesh sends after its stages: every stage reads its own coordinate set,
// untransformed, whatever an earlier draw left there.
std::vector<StageState> plainCoordinates() {
  std::vector<StageState> out;
  for (std::int64_t stage = 0; stage < 4; ++stage) {
    out.emplace_back(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    out.emplace_back(stage, D3DTSS_TEXCOORDINDEX, stage);
  }
  return out;
}

std::vector<StageState> operator+(std::vector<StageState> a, const std::vector<StageState>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct MaterialApply : ::testing::Test {
  void SetUp() override {
    r.open();
    r.renderer->beginFrame();
    r.renderer->addLight(*RefPtr<Light>(new Light()));
    r.startRecording();
  }
  std::vector<StageState> stageStates() const { return r.stageStates(); }
  bool sent(std::uint32_t state, std::uint32_t value) const {
    for (const auto& [s, v] : r.renderStates()) {
      if (s == state && v == value) return true;
    }
    return false;
  }
  RefPtr<Texture> texture(std::uint32_t filter) {
    RefPtr<DeviceTexture> made;
    r.device->createTexture(4, 4, D3DFMT_X8R8G8B8, made);
    RefPtr<Texture> t(new Texture(made, "test", 0));
    t->setFilterMode(filter);
    return t;
  }
  RecordingRenderer r;
};

TEST_F(MaterialApply, UntexturedMaterialSetsColourAndDisablesEveryStage) {
  RefPtr<Material> m(new Material(1));
  m->setColor(Color(0xFF336699u));
  m->apply(0, Matrix34());

  const DeviceCall* material = r.device->lastCall("setMaterial");
  ASSERT_NE(material, nullptr);
  const float red = 1.0f, green = 0x33 / 255.0f, blue = 0x66 / 255.0f, alpha = 0x99 / 255.0f;
  // Diffuse, ambient, specular: the colour; emissive opaque black; power 0.
  const std::vector<float> expected = {red, green, blue, alpha, red, green, blue, alpha, red, green, blue,
                                       alpha, 0, 0, 0, 1, 0};
  ASSERT_EQ(material->floats.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(material->floats[i], expected[i], 1e-6f) << i;

  const std::vector<StageState> expectedStages = {
      {1, D3DTSS_COLOROP, D3DTOP_DISABLE}, {2, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {3, D3DTSS_COLOROP, D3DTOP_DISABLE}, {0, D3DTSS_COLOROP, D3DTOP_DISABLE}};
  EXPECT_EQ(stageStates(), expectedStages + plainCoordinates());
  EXPECT_EQ(r.device->callCount("setTexture"), 0);
  EXPECT_TRUE(r.renderStates().empty());
}

TEST_F(MaterialApply, TextureOnStageZeroModulatesWithItsFilter) {
  for (std::uint32_t filter : {Texture::kFilterPoint, Texture::kFilterLinear}) {
    r.startRecording();
    RefPtr<Texture> t = texture(filter);
    RefPtr<Material> m(new Material(1));
    m->setTexture(0, t);
    m->apply(0, Matrix34());
    const std::int64_t sampling = filter == Texture::kFilterPoint ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    const std::vector<StageState> expected = {
        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},   {2, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {3, D3DTSS_COLOROP, D3DTOP_DISABLE},   {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},  {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
        {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},  {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {0, D3DTSS_ALPHAARG2, D3DTA_CURRENT},  {0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
        {0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP}, {0, D3DTSS_MINFILTER, sampling},
        {0, D3DTSS_MAGFILTER, sampling}};
    EXPECT_EQ(stageStates(), expected + plainCoordinates()) << "filter " << filter;
    EXPECT_EQ(r.device->boundTexture(0), t->deviceTexture());
  }
}

TEST_F(MaterialApply, AmbientPassTurnsLightsOffAndAmbientUp) {
  RefPtr<Material> m(new Material(1));
  m->setAmbientPass(true);
  m->apply(0, Matrix34());
  const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {
      {D3DRS_SHADEMODE, D3DSHADE_FLAT}, {D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_AMBIENT, 0xFF333333}};
  EXPECT_EQ(r.renderStates(), expected);
  EXPECT_FALSE(r.device->state().lightEnabled[0]);
  EXPECT_EQ(r.renderer->renderState().shade, 0);
}

TEST_F(MaterialApply, LitPassAddsLightOnlyWhereTheStencilIsZero) {
  r.renderer->setLightsEnabled(false);
  r.startRecording();
  RefPtr<Material> m(new Material(1));
  m->setLitPass(true);
  m->apply(0, Matrix34());
  const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {
      {D3DRS_AMBIENT, 0xFF000000},
      {D3DRS_ALPHABLENDENABLE, 1},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ONE},
      {D3DRS_STENCILENABLE, 1},
      {D3DRS_ZENABLE, 1},
      {D3DRS_ZWRITEENABLE, 0},
      {D3DRS_ZFUNC, D3DCMP_EQUAL},
      {D3DRS_STENCILREF, 0},
      {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILFUNC, D3DCMP_EQUAL}};
  EXPECT_EQ(r.renderStates(), expected);
  EXPECT_TRUE(r.device->state().lightEnabled[0]);
}

TEST_F(MaterialApply, MeshWithoutNormalsIsDrawnUnlit) {
  RefPtr<Mesh> withNormals = Mesh::createQuad(1, 1);
  RefPtr<Mesh> without(new Mesh(1, 3, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}));
  RefPtr<Material> m(new Material(1));
  RefPtr<MeshInstance> lit(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), withNormals));
  m->setInstance(lit.get());
  m->apply(0, Matrix34());
  EXPECT_FALSE(sent(D3DRS_LIGHTING, D3D_FALSE));

  RefPtr<MeshInstance> unlit(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), without));
  m->setInstance(unlit.get());
  m->apply(0, Matrix34());
  EXPECT_TRUE(sent(D3DRS_LIGHTING, D3D_FALSE));
  EXPECT_EQ(r.renderer->renderState().lighting, 1);
}

TEST_F(MaterialApply, ExplicitCoordinatesUseTheirOwnSetUntransformed) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);  // channel 0 explicit, others unused
  RefPtr<MeshInstance> instance(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), quad));
  RefPtr<Material> m(new Material(1));
  m->setInstance(instance.get());
  m->apply(0, Matrix34());
  const std::vector<StageState> all = stageStates();
  const std::vector<StageState> tail(all.end() - 2, all.end());
  const std::vector<StageState> expected = {{0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
                                            {0, D3DTSS_TEXCOORDINDEX, 0}};
  EXPECT_EQ(tail, expected);
  EXPECT_EQ(r.device->callCount("setTransform"), 0);
}

TEST_F(MaterialApply, ReflectionMappingTurnsCameraDirectionsIntoObjectSpaceCoordinates) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);
  quad->setTexCoords(1, Mesh::TexReflection);
  RefPtr<SceneNode> node(new SceneNode());
  // Quarter turn about y, and a translation that must not reach the coordinates.
  node->local() = Matrix34(0, 0, 1, 5, 0, 1, 0, 6, -1, 0, 0, 7);
  node->updateWorld();
  RefPtr<MeshInstance> instance(new MeshInstance(node, quad));
  RefPtr<Material> m(new Material(1));
  m->setInstance(instance.get());
  m->apply(0, Matrix34());  // identity view

  const DeviceCall* transform = r.device->lastCall("setTransform");
  ASSERT_NE(transform, nullptr);
  EXPECT_EQ(transform->ints[0], D3DTS_TEXTURE1);
  // Object space = Rᵀ · camera space; u = 0.5·x + 0.5, v = 0.5·y + 0.5, sent transposed.
  const std::vector<float> expected = {0, 0, 0, 0, 0, 0.5f, 0, 0, -0.5f, 0, 0, 0, 0.5f, 0.5f, 0, 1};
  ASSERT_EQ(transform->floats.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(transform->floats[i], expected[i], 1e-6f) << i;
  const std::vector<StageState> all = stageStates();
  const std::vector<StageState> tail(all.end() - 2, all.end());
  const std::vector<StageState> expectedStages = {{1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2},
                                                  {1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR}};
  EXPECT_EQ(tail, expectedStages);
}

TEST_F(MaterialApply, ReflectionFollowsTheViewRotation) {
  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);
  quad->setTexCoords(0, Mesh::TexReflection);
  RefPtr<MeshInstance> instance(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), quad));
  RefPtr<Material> m(new Material(1));
  m->setInstance(instance.get());
  // View turning world x into camera y: R = view, C = Rᵀ.
  const Matrix34 view(0, 1, 0, 3, -1, 0, 0, 4, 0, 0, 1, 5);
  m->apply(0, view);
  const DeviceCall* transform = r.device->lastCall("setTransform");
  ASSERT_NE(transform, nullptr);
  EXPECT_EQ(transform->ints[0], D3DTS_TEXTURE0);
  // C rows (0 -1 0), (1 0 0), (0 0 1); X rows (0 -0.5 0 0.5), (0.5 0 0 0.5), 0, (0 0 0 1).
  const std::vector<float> expected = {0, 0.5f, 0, 0, -0.5f, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(transform->floats[i], expected[i], 1e-6f) << i;
}

TEST_F(MaterialApply, StagesTheMeshDoesNotDriveLoseAnEarlierReflection) {
  // First a water-like draw: reflection coordinates on stages 0 and 1.
  RefPtr<Mesh> water = Mesh::createQuad(1, 1);
  water->setTexCoords(0, Mesh::TexReflection);
  water->setTexCoords(1, Mesh::TexReflection);
  RefPtr<MeshInstance> waterInstance(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), water));
  RefPtr<Material> reflective(new Material(1));
  reflective->setInstance(waterInstance.get());

  RefPtr<Mesh> quad = Mesh::createQuad(1, 1);  // channel 0 explicit, others unused
  RefPtr<MeshInstance> quadInstance(new MeshInstance(RefPtr<SceneNode>(new SceneNode()), quad));
  struct Case {
    const char* name;
    MeshInstance* instance;  // null: a draw without a mesh, as the particles are
    std::uint32_t stage1Index;
  };
  const Case cases[] = {{"particles", nullptr, 1}, {"explicit quad", quadInstance.get(), 1}};
  for (const Case& c : cases) {
    reflective->apply(0, Matrix34());
    std::uint32_t index = 0;
    ASSERT_EQ(r.device->getTextureStageState(0, D3DTSS_TEXCOORDINDEX, index), D3D_OK);
    ASSERT_EQ(index, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR) << c.name;

    RefPtr<Material> plain(new Material(1));
    plain->setInstance(c.instance);
    plain->apply(0, Matrix34());
    for (std::uint32_t stage = 0; stage < 2; ++stage) {
      std::uint32_t flags = 99;
      ASSERT_EQ(r.device->getTextureStageState(stage, D3DTSS_TEXCOORDINDEX, index), D3D_OK);
      ASSERT_EQ(r.device->getTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, flags), D3D_OK);
      EXPECT_EQ(index, stage == 0 ? 0u : c.stage1Index) << c.name << ", stage " << stage;
      EXPECT_EQ(flags, static_cast<std::uint32_t>(D3DTTFF_DISABLE)) << c.name << ", stage " << stage;
    }
  }
}

TEST(MaterialApplyClosed, RendererWithoutDeviceSendsNothing) {
  RecordingRenderer closed;
  closed.device->failOn("createDevice");
  closed.open();
  closed.startRecording();
  RefPtr<Material> m(new Material(1));
  m->setAmbientPass(true);
  m->apply(0, Matrix34());
  EXPECT_TRUE(closed.device->calls().empty());
}

}  // namespace
