#include <gtest/gtest.h>

#include <cmath>

#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/Quaternion.h"
#include "engine/Scene.h"
#include "image/Texture.h"

namespace {

RefPtr<MeshInstance> boxInstance(const Vector3& at = Vector3()) {
  return RefPtr<MeshInstance>(new MeshInstance(SceneNode::create(Matrix34::translation(at)), Mesh::createBox(2, 2, 2)));
}

TEST(RenderFlagsTest, DefaultsAndIndexOrder) {
  const RenderFlags f;
  const std::uint8_t expected[RenderFlags::kCount] = {0, 0, 1, 1, 0, 1, 1, 0, 1, 0};
  for (int i = 0; i < RenderFlags::kCount; ++i) EXPECT_EQ(f[i], expected[i]) << i;
  RenderFlags g;
  for (int i = 0; i < RenderFlags::kCount; ++i) g[i] = static_cast<std::uint8_t>(10 + i);
  const std::uint8_t named[RenderFlags::kCount] = {g.blend, g.fill,    g.shade,      g.specular, g.depth,
                                                   g.depthCompare, g.stencil, g.colorWrite, g.cull, g.lighting};
  for (int i = 0; i < RenderFlags::kCount; ++i) EXPECT_EQ(named[i], 10 + i) << i;
  EXPECT_FALSE(f == g);
}

TEST(MeshInstanceTest, CastShadowCreatesOneVolumeAndPreparesMesh) {
  RefPtr<MeshInstance> instance = boxInstance();
  instance->setCastShadow(false);  // not a caster: nothing happens
  EXPECT_FALSE(instance->castsShadow());
  EXPECT_TRUE(instance->mesh()->adjacency().empty());
  instance->setCastShadow(true);
  ShadowVolume* first = instance->shadow();
  ASSERT_NE(first, nullptr);
  instance->setCastShadow(true);
  EXPECT_EQ(instance->shadow(), first);
  EXPECT_EQ(instance->mesh()->adjacency().size(), 36u);
  EXPECT_EQ(instance->mesh()->current().facePlanes.size(), 12u);
  instance->setCastShadow(false);
  EXPECT_EQ(instance->shadow(), nullptr);
}

TEST(MeshInstanceTest, SetMeshKeepsCasterForNewMesh) {
  RefPtr<MeshInstance> instance = boxInstance();
  instance->setCastShadow(true);
  RefPtr<Mesh> sphere = Mesh::createSphere(1.0f, 8);
  instance->setMesh(sphere);
  ASSERT_TRUE(instance->castsShadow());
  EXPECT_EQ(instance->shadow()->mesh(), sphere.get());
  EXPECT_FALSE(sphere->adjacency().empty());
  instance->setLight(0, 0, 0, -10, 1);
  instance->updateShadow();
  EXPECT_GT(instance->shadow()->vertexCount(), 0u);
}

TEST(MeshInstanceTest, WorldBoundsFollowNodeScaleAndTranslation) {
  RefPtr<MeshInstance> instance = boxInstance(Vector3(1, 2, 3));
  const float r = instance->mesh()->current().bounds.radius;
  instance->node()->setScale(Vector3(2, 2, 2));
  instance->node()->updateWorld();
  instance->updateBounds();
  EXPECT_EQ(instance->worldBounds().center, Vector3(1, 2, 3));
  EXPECT_FLOAT_EQ(instance->worldBounds().radius, 2 * r);
  // Rotation does not change the radius.
  instance->node()->setScale(Vector3(1, 1, 1));
  instance->node()->local() = Quaternion::fromAxisAngle(Vector3(0, 0, 1), 0.8f).toMatrix34();
  instance->node()->updateWorld();
  instance->updateBounds();
  EXPECT_NEAR(instance->worldBounds().radius, r, 1e-6f);
}

TEST(MeshInstanceTest, UpdateShadowBringsLightIntoObjectSpace) {
  // Box at x = 100 turned 90° about y (its local +z is world +x). A point light at world (90, 0, 0)
  // is at object (0, 0, −10); a directional light along world x is only rotated.
  RefPtr<MeshInstance> moved = boxInstance();
  moved->node()->local() = Quaternion::fromAxisAngle(Vector3(0, 1, 0), kHalfPi).toMatrix34();
  moved->node()->local().setTranslation(Vector3(100, 0, 0));
  moved->node()->updateWorld();
  moved->setCastShadow(true);
  RefPtr<MeshInstance> reference = boxInstance();
  reference->setCastShadow(true);

  moved->setLight(0, 90, 0, 0, 1);
  moved->updateShadow();
  reference->setLight(0, 0, 0, -10, 1);
  reference->updateShadow();
  ASSERT_EQ(moved->shadow()->vertexCount(), 60u);
  ASSERT_EQ(reference->shadow()->vertexCount(), 60u);
  for (std::uint32_t i = 0; i < 60; ++i) {
    const ShadowVertex& a = moved->shadow()->vertices()[i];
    const ShadowVertex& b = reference->shadow()->vertices()[i];
    const float tol = a.w == 0.0f ? 5.0f : 1e-4f;  // extruded points are 10⁴ times larger
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
    EXPECT_EQ(a.w, b.w);
  }
  // Directional (1, 0, 0) in world is (0, 0, 1) in object space: extruded to (0, 0, −D).
  moved->setLight(0, 1, 0, 0, 0);
  moved->updateShadow();
  const float d = ShadowVolume::extrusionDistance();
  for (const ShadowVertex& v : moved->shadow()->vertices()) {
    if (v.w != 0.0f) continue;
    EXPECT_NEAR(v.x, 0.0f, 1.0f);
    EXPECT_NEAR(v.z, -d, 1.0f);
  }
}

TEST(MeshInstanceTest, CloneSharesMeshAndCopiesSettings) {
  RefPtr<MeshInstance> instance = boxInstance();
  RefPtr<Material> material(new Material);
  material->setColor(Color(0x11223344u));
  instance->setMaterial(material);
  instance->renderFlags().blend = 3;
  instance->setCastShadow(true);
  RefPtr<MeshInstance> copy = instance->clone();
  EXPECT_EQ(copy->node(), nullptr);
  EXPECT_EQ(copy->mesh(), instance->mesh());
  ASSERT_NE(copy->material(), nullptr);
  EXPECT_NE(copy->material(), instance->material());
  EXPECT_EQ(copy->material()->getColor(), Color(0x11223344u));
  EXPECT_EQ(copy->renderFlags(), instance->renderFlags());
  EXPECT_TRUE(copy->castsShadow());
  EXPECT_NE(copy->shadow(), instance->shadow());
}

TEST(MaterialTest, PassCountAndDefaults) {
  Material plain;
  EXPECT_EQ(plain.getColor().value, 0xFFFFFFFFu);
  EXPECT_EQ(plain.passCount(), 1);
  Material bump(Material::kBump);
  EXPECT_EQ(bump.passCount(), 2);
  bump.setAmbientPass(true);
  EXPECT_EQ(bump.passCount(), 1);
  bump.setAmbientPass(false);
  bump.setLitPass(true);
  EXPECT_EQ(bump.passCount(), 2);
  for (int stage = -1; stage <= 4; ++stage) EXPECT_EQ(plain.texture(stage), nullptr);
}

TEST(MaterialTest, CloneAndAssignShareTexturesWithOneMoreReference) {
  RefPtr<Texture> a(new Texture(nullptr, "a", 0)), b(new Texture(nullptr, "b", 0));
  RefPtr<Material> source(new Material(Material::kBump));
  source->setTexture(0, a);
  source->setTexture(2, b);
  source->setTexture(4, a);  // ignored
  source->setColor(Color(0x80808080u));
  source->setAmbientPass(true);
  MeshInstance holder;
  source->setInstance(&holder);
  EXPECT_EQ(a->referenceCount(), 2u);

  RefPtr<Material> copy = source->clone();
  EXPECT_EQ(copy->texture(0), a.get());
  EXPECT_EQ(copy->texture(2), b.get());
  EXPECT_EQ(copy->texture(1), nullptr);
  EXPECT_EQ(a->referenceCount(), 3u);
  EXPECT_EQ(b->referenceCount(), 3u);
  EXPECT_EQ(copy->type(), Material::kBump);
  EXPECT_EQ(copy->getColor(), Color(0x80808080u));
  EXPECT_FALSE(copy->isAmbientPass());
  EXPECT_EQ(copy->instance(), nullptr);

  // Assigning a material without textures releases the copy's references.
  Material empty;
  copy->assign(empty);
  EXPECT_EQ(copy->texture(0), nullptr);
  EXPECT_EQ(copy->type(), Material::kPlain);
  EXPECT_EQ(a->referenceCount(), 2u);
  copy.reset();
  source.reset();
  EXPECT_EQ(a->referenceCount(), 1u);
  EXPECT_EQ(b->referenceCount(), 1u);
}

// root ─┬─ left ── leaf
//       └─ right
struct ModelFixture {
  RefPtr<Model> model{new Model};
  RefPtr<SceneNode> root = SceneNode::create(Matrix34::identity(), "root");
  RefPtr<SceneNode> left = SceneNode::create(Matrix34::translation(Vector3(1, 0, 0)), "left");
  RefPtr<SceneNode> leaf = SceneNode::create(Matrix34::translation(Vector3(0, 1, 0)), "leaf");
  RefPtr<SceneNode> right = SceneNode::create(Matrix34::translation(Vector3(0, 0, 1)), "right");
  RefPtr<Mesh> mesh = Mesh::createQuad(1, 1);

  ModelFixture() {
    root->addChild(left);
    root->addChild(right);
    left->addChild(leaf);
    root->updateWorld();
    model->setNode(root);
    // Listed out of tree order on purpose.
    for (SceneNode* n : {right.get(), leaf.get(), root.get()}) {
      RefPtr<MeshInstance> instance(new MeshInstance(RefPtr<SceneNode>(n), mesh));
      instance->setMaterial(RefPtr<Material>(new Material));
      model->addInstance(instance);
    }
    model->setBounds({Vector3(1, 2, 3), 4.0f});
  }
};

TEST(ModelTest, CloneHasOwnTreeAndInstancesInTreeOrder) {
  ModelFixture f;
  RefPtr<Model> copy = f.model->clone();
  ASSERT_NE(copy->node(), nullptr);
  EXPECT_NE(copy->node(), f.root.get());
  EXPECT_EQ(copy->bounds().radius, 4.0f);
  ASSERT_EQ(copy->instances().size(), 3u);
  const char* expectedNodes[] = {"root", "leaf", "right"};
  for (int i = 0; i < 3; ++i) {
    const MeshInstance& instance = *copy->instances()[i];
    EXPECT_EQ(instance.node()->name(), expectedNodes[i]);
    EXPECT_EQ(instance.mesh(), f.mesh.get());
    EXPECT_NE(instance.material(), nullptr);
    // The instance sits on a node of the copied tree.
    bool inCopy = false;
    for (SceneNode::PreOrderIterator it(copy->node()); !it.done(); it.next()) inCopy |= it.current() == instance.node();
    EXPECT_TRUE(inCopy) << i;
  }
  EXPECT_EQ(copy->instances()[1]->node()->world().translation(), Vector3(1, 1, 0));
  // Moving the copy leaves the original alone.
  copy->node()->local().setTranslation(Vector3(5, 5, 5));
  copy->node()->updateWorld();
  EXPECT_EQ(f.leaf->world().translation(), Vector3(1, 1, 0));
}

TEST(ModelTest, InstanceOutsideTreeIsKept) {
  ModelFixture f;
  RefPtr<SceneNode> stray = SceneNode::create(Matrix34::translation(Vector3(9, 0, 0)), "stray");
  f.model->addInstance(RefPtr<MeshInstance>(new MeshInstance(stray, f.mesh)));
  RefPtr<Model> copy = f.model->clone();
  ASSERT_EQ(copy->instances().size(), 4u);
  EXPECT_EQ(copy->instances()[3]->node()->name(), "stray");
  EXPECT_NE(copy->instances()[3]->node(), stray.get());
}

TEST(SceneTest, ListsKeepOrderAndReleaseOnDestruction) {
  RefPtr<MeshInstance> a = boxInstance(), b = boxInstance();
  RefPtr<Light> light(new Light);
  RefPtr<Model> model(new Model);
  {
    Scene scene;
    EXPECT_EQ(scene.camera(), nullptr);
    scene.addInstance(a);
    scene.addInstance(b);
    scene.addLight(light);
    scene.addObject(model);
    ASSERT_EQ(scene.instances().size(), 2u);
    EXPECT_EQ(scene.instances()[0], a);
    EXPECT_EQ(scene.instances()[1], b);
    EXPECT_EQ(a->referenceCount(), 2u);
    EXPECT_EQ(light->referenceCount(), 2u);
  }
  EXPECT_EQ(a->referenceCount(), 1u);
  EXPECT_EQ(model->referenceCount(), 1u);
  EXPECT_EQ(light->referenceCount(), 1u);
}

TEST(LightTest, Defaults) {
  Light light;
  EXPECT_EQ(light.color().value, 0xFFFFFFFFu);
  EXPECT_EQ(light.position()[3], 1.0f);
  EXPECT_EQ(light.range(), 1.0f);
  light.setPosition(0, 1, 0, 0);
  EXPECT_TRUE(light.isDirectional());
}

}  // namespace
