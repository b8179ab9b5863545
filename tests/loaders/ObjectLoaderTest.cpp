#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "LoaderTestSupport.h"
#include "engine/MeshInstance.h"
#include "foundation/LogCapture.h"
#include "loaders/ModelBounds.h"
#include "loaders/ObjectLoader.h"
#include "render/D3D8Renderer.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/XFileWriter.h"

namespace {

using loadertest::RecordingTextures;
using loadertest::TempDir;

const char* const kTriangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0.25\nusemtl a\nf 1/1 2/1 3/1\n";

struct LoaderFixture {
  TempDir dir;
  RecordingTextures textures;
  RefPtr<Renderer> renderer{new D3D8Renderer(new RecordingDevice(false), Color(0, 0, 0, 1))};
  RefPtr<ObjectLoader> loader{new ObjectLoader(textures.manager, renderer)};
};

TEST(ObjectLoader, AFileIsReadOnceAndEveryCallerGetsACopy) {
  LoaderFixture f;
  const std::string path = f.dir.write("m.obj", kTriangleObj);
  RefPtr<Model> first = f.loader->loadObject(path);
  std::filesystem::remove(path);  // a second read would fail now
  RefPtr<Model> second = f.loader->loadObject(path);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(f.loader->prototypeCount(), 1u);
  const Model* prototype = f.loader->prototype(path);
  ASSERT_NE(prototype, nullptr);
  for (const Model* copy : {first.get(), second.get()}) {
    EXPECT_NE(copy, prototype);
    EXPECT_NE(copy->node(), prototype->node());
    ASSERT_EQ(copy->instances().size(), 1u);
    EXPECT_NE(copy->instances()[0], prototype->instances()[0]);
    EXPECT_EQ(copy->instances()[0]->node(), copy->node());
    EXPECT_EQ(copy->instances()[0]->mesh(), prototype->instances()[0]->mesh());
  }
  EXPECT_NE(first->node(), second->node());
  // Moving one copy leaves the other where it was.
  first->node()->local().setTranslation(Vector3(4, 0, 0));
  first->node()->updateWorld();
  EXPECT_FLOAT_EQ(second->node()->world()[3], 0.0f);
  EXPECT_FLOAT_EQ(prototype->node()->world()[3], 0.0f);
}

TEST(ObjectLoader, OnlyExactlyDotObjAndDotXAreRead) {
  LoaderFixture f;
  const std::string obj = f.dir.write("m.obj", kTriangleObj);
  const std::string x = f.dir.write("t.x", XFileWriter::write("t", SampleModels::tiger(), "none.tga"));
  struct Case {
    std::string path;
    const char* logged;  // null: loads
  };
  const Case cases[] = {{obj, nullptr},
                        {x, nullptr},
                        {f.dir.write("t.X", XFileWriter::write("t", SampleModels::tiger(), "")), "Unknown object file type"},
                        {f.dir.write("m.OBJ", kTriangleObj), "Unknown object file type"},
                        {f.dir.write("m.lwo", "LWOB"), "LightWave objects are not supported"},
                        {f.dir.write("m", kTriangleObj), "Unknown object file type"},
                        {f.dir.path() + "/lost.obj", "could not be accessed"},
                        {f.dir.write("empty.obj", ""), "holds no faces"},
                        {f.dir.write("bad.x", "xof 0302txt 0032\nMesh {"), "could not be read"}};
  for (const Case& c : cases) {
    LogCapture log;
    const std::size_t before = f.loader->prototypeCount();
    RefPtr<Model> model = f.loader->loadObject(c.path);
    if (!c.logged) {
      EXPECT_TRUE(model) << c.path;
      EXPECT_EQ(f.loader->prototypeCount(), before + 1) << c.path;
      continue;
    }
    EXPECT_FALSE(model) << c.path;
    EXPECT_EQ(f.loader->prototypeCount(), before) << c.path;  // failures are never kept
    EXPECT_TRUE(log.contains(c.logged)) << c.path;
    EXPECT_EQ(log.messages().size(), 1u) << c.path;
  }
}

TEST(ObjectLoader, AFailedPathIsTriedAgain) {
  LoaderFixture f;
  const std::string path = f.dir.path() + "/later.obj";
  EXPECT_FALSE(f.loader->loadObject(path));
  f.dir.write("later.obj", kTriangleObj);
  EXPECT_TRUE(f.loader->loadObject(path));
}

// Two scenes placing the same broken file: one log line. Written anew, the file is read again.
TEST(ObjectLoader, AnUnchangedBrokenFileIsReportedOnce) {
  LoaderFixture f;
  for (const char* name : {"broken.x", "broken.obj"}) {
    const std::string path = f.dir.write(name, "xof 0302txt 0032\nMesh {");
    LogCapture log;
    EXPECT_FALSE(f.loader->loadObject(path)) << name;
    EXPECT_FALSE(f.loader->loadObject(path)) << name;
    EXPECT_EQ(log.messages().size(), 1u) << name;
  }
  const std::string path = f.dir.write("broken.obj", kTriangleObj);
  EXPECT_TRUE(f.loader->loadObject(path));
}

TEST(ObjectLoader, DotXNeedsARenderer) {
  TempDir dir;
  RecordingTextures textures;
  RefPtr<ObjectLoader> loader = new ObjectLoader(textures.manager, nullptr);
  const std::string path = dir.write("t.x", XFileWriter::write("t", SampleModels::tiger(), ""));
  LogCapture log;
  EXPECT_FALSE(loader->loadObject(path));
  EXPECT_TRUE(log.contains("No renderer to load " + path));
}

TEST(ObjectLoader, FlagsShapeTheNextNewFile) {
  LoaderFixture f;
  f.loader->setFlipTexCoordV(true);
  RefPtr<Model> flipped = f.loader->loadObject(f.dir.write("a.obj", kTriangleObj));
  f.loader->setFlipTexCoordV(false);
  RefPtr<Model> plain = f.loader->loadObject(f.dir.write("b.obj", kTriangleObj));
  ASSERT_TRUE(flipped && plain);
  EXPECT_FLOAT_EQ(flipped->instances()[0]->mesh()->texCoords(0)[0].v, 0.75f);
  EXPECT_FLOAT_EQ(plain->instances()[0]->mesh()->texCoords(0)[0].v, 0.25f);
  // A prototype keeps the flags it was read with.
  EXPECT_FLOAT_EQ(f.loader->loadObject(f.dir.path() + "/a.obj")->instances()[0]->mesh()->texCoords(0)[0].v, 0.75f);
}

TEST(ModelBounds, TheSphereEnclosesEveryInstanceWhereItStands) {
  LoaderFixture f;
  // Two groups: a triangle at the origin and one 10 units along x.
  RefPtr<Model> model = f.loader->loadObject(f.dir.write(
      "two.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 10 0 0\nv 11 0 0\nv 10 1 0\nusemtl a\nf 1 2 3\nusemtl b\nf 4 5 6\n"));
  ASSERT_TRUE(model);
  model->node()->local().setTranslation(Vector3(0, 0, 5));
  model->node()->updateWorld();
  updateModelBounds(*model);
  const BoundingSphere& bounds = model->bounds();
  for (const auto& instance : model->instances()) {
    const BoundingSphere& part = instance->worldBounds();
    EXPECT_FLOAT_EQ(part.center.z, 5.0f);
    EXPECT_LE((part.center - bounds.center).length() + part.radius, bounds.radius + 1e-5f);
  }
  // Each triangle's sphere sits on its centroid (x 1/3 and 31/3) with radius √5/3 + 0.001.
  EXPECT_NEAR(bounds.center.x, 16.0f / 3.0f, 1e-5f);
  EXPECT_NEAR(bounds.radius, 5.0f + 0.745356f + 0.001f, 1e-5f);
  Model empty;
  updateModelBounds(empty);
  EXPECT_EQ(empty.bounds().radius, 0.0f);
}

}  // namespace
