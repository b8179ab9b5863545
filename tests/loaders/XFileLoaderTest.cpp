#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "LoaderTestSupport.h"
#include "engine/MeshInstance.h"
#include "foundation/LogCapture.h"
#include "image/Texture.h"
#include "loaders/XFileLoader.h"
#include "tools/datagen/SampleModels.h"
#include "tools/datagen/XFileWriter.h"

namespace {

using loadertest::RecordingTextures;
using loadertest::TempDir;
using loadertest::trianglePositions;

RefPtr<Model> fromText(const std::string& text, TextureManager* textures = nullptr, ModelLoadOptions options = {},
                       const std::string& path = "/nowhere/m.x") {
  return loadXFileFromMemory(text.data(), text.size(), path, textures, options);
}

// One triangle, optionally inside a frame moved by (dx, 0, 0), with one material.
std::string triangleFile(const std::string& material, float dx = 0.0f) {
  const std::string mesh =
      "Mesh tri {\n 3;\n 0.0;0.0;0.0;,\n 0.0;1.0;0.0;,\n 1.0;0.0;0.0;;\n 1;\n 3;0,1,2;;\n"
      " MeshTextureCoords {\n  3;\n  0.0;0.25;,\n  0.0;1.0;,\n  1.0;0.25;;\n }\n"
      " MeshMaterialList {\n  1;\n  1;\n  0;;\n" + material + " }\n}\n";
  if (dx == 0.0f) return "xof 0302txt 0032\n" + mesh;
  return "xof 0302txt 0032\nFrame moved {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
         "0.0,0.0,1.0,0.0," + std::to_string(dx) + ",0.0,0.0,1.0;;\n }\n" + mesh + "}\n";
}

std::string materialBlock(const std::string& diffuse, const std::string& texture = "") {
  std::string block = "  Material {\n   " + diffuse + ";;\n   10.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n";
  if (!texture.empty()) block += "   TextureFilename {\n    \"" + texture + "\";\n   }\n";
  return block + "  }\n";
}

TEST(XFileLoader, TheGeneratedTigerArrivesAsStored) {
  TempDir dir;
  RecordingTextures textures;
  const GenMesh tiger = SampleModels::tiger();
  const std::string path = dir.write("xfiles/tiger.x", XFileWriter::write("tiger", tiger, "tiger.tga"));
  loadertest::writeTga(dir.path() + "/xfiles/tiger.tga");
  RefPtr<Model> model = loadXFile(path, textures.manager.get(), {});
  ASSERT_TRUE(model);
  ASSERT_EQ(model->instances().size(), 1u);
  const Mesh& mesh = *model->instances()[0]->mesh();
  ASSERT_EQ(mesh.triangleCount(), tiger.triangleCount());
  // Same triangles, same corner order (clockwise, left-handed as stored); v counted from the bottom.
  const auto& p = mesh.current().positions;
  const auto& uv = mesh.texCoords(0);
  ASSERT_EQ(uv.size(), mesh.vertexCount());
  for (std::uint32_t t = 0; t < mesh.triangleCount(); ++t) {
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t source = tiger.triangles[t][k];
      const std::uint32_t loaded = mesh.corner(t, k);
      ASSERT_NEAR(p[loaded].x, tiger.positions[source].x, 1e-5f) << t;
      ASSERT_NEAR(p[loaded].y, tiger.positions[source].y, 1e-5f) << t;
      ASSERT_NEAR(p[loaded].z, tiger.positions[source].z, 1e-5f) << t;
      ASSERT_NEAR(uv[loaded].u, tiger.uvs[source][0], 1e-5f) << t;
      ASSERT_NEAR(uv[loaded].v, 1.0f - tiger.uvs[source][1], 1e-5f) << t;
    }
  }
  EXPECT_NEAR(mesh.current().normals[mesh.corner(0, 0)].x, tiger.normals[tiger.triangles[0][0]].x, 1e-5f);
  // Every part is closed, so the shadow volume finds a neighbour across every edge.
  Mesh& shared = *model->instances()[0]->mesh();
  ASSERT_TRUE(shared.buildAdjacency());
  for (std::uint16_t neighbour : shared.adjacency()) ASSERT_NE(neighbour, Mesh::kNoNeighbour);
  Material* material = model->instances()[0]->material();
  ASSERT_NE(material, nullptr);
  ASSERT_NE(material->texture(0), nullptr);
  EXPECT_EQ(material->texture(0)->name(), dir.path() + "/xfiles/tiger.tga");
  EXPECT_EQ(material->getColor().value, Color(1, 1, 1, 1).value);
}

TEST(XFileLoader, MaterialsTakeTheDiffuseColourOrWhiteWhenTextured) {
  TempDir dir;
  RecordingTextures textures;
  loadertest::writeTga(dir.path() + "/red.tga");
  struct Case {
    std::string material;
    bool keepColours;
    bool textured;
    Color color;
  };
  const Case cases[] = {
      {materialBlock("1.0;0.0;0.0;1.0"), false, false, Color(1, 0, 0, 1)},
      {materialBlock("1.0;0.0;0.0;1.0", "red.tga"), false, true, Color(1, 1, 1, 1)},
      {materialBlock("1.0;0.0;0.0;1.0", "red.tga"), true, true, Color(1, 0, 0, 1)},
      {materialBlock("1.0;0.0;0.0;1.0", "C:\\\\art\\\\red.tga"), false, true, Color(1, 1, 1, 1)},
      // A texture that is not there leaves the material untextured, in its own colour.
      {materialBlock("0.0;0.0;1.0;0.5", "lost.tga"), false, false, Color(0, 0, 1, 0.5f)},
  };
  for (const Case& c : cases) {
    ModelLoadOptions options;
    options.keepMaterialColours = c.keepColours;
    RefPtr<Model> model = fromText(triangleFile(c.material), textures.manager.get(), options, dir.path() + "/m.x");
    ASSERT_TRUE(model) << c.material;
    Material* material = model->instances()[0]->material();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->texture(0) != nullptr, c.textured) << c.material;
    if (c.textured) {
      EXPECT_EQ(material->texture(0)->name(), dir.path() + "/red.tga");
    }
    EXPECT_EQ(material->getColor().value, c.color.value) << c.material;
  }
}

TEST(XFileLoader, FramesPlaceTheirMeshesAndOptionsApply) {
  ModelLoadOptions options;
  options.flipTexCoordV = true;
  options.recomputeNormals = true;
  RefPtr<Model> model = fromText(triangleFile(materialBlock("1;1;1;1"), 5.0f), nullptr, options);
  ASSERT_TRUE(model);
  const Mesh& mesh = *model->instances()[0]->mesh();
  const std::vector<Vector3> corners = trianglePositions(mesh);
  ASSERT_EQ(corners.size(), 3u);
  EXPECT_FLOAT_EQ(corners[0].x, 5.0f);
  EXPECT_FLOAT_EQ(corners[1].y, 1.0f);
  EXPECT_FLOAT_EQ(corners[2].x, 6.0f);
  // Read as 1 − v, then flipped back by the option: the stored 0.25.
  EXPECT_FLOAT_EQ(mesh.texCoords(0)[mesh.corner(0, 0)].v, 0.25f);
  // Clockwise (0,0,0), (0,1,0), (1,0,0) faces −z.
  EXPECT_FLOAT_EQ(mesh.current().normals[mesh.corner(0, 0)].z, -1.0f);
  EXPECT_EQ(model->instances()[0]->node(), model->node());
}

TEST(XFileLoader, BrokenFilesGiveNoModelAndOneLine) {
  const std::string tiger = XFileWriter::write("tiger", SampleModels::tiger(), "tiger.tga");
  std::vector<std::string> inputs = {"", "xof ", "xof 0302txt 0032\n", "xof 0302bin 0032",
                                     "xof 0302tzip0032\x01\x02\x03\x04", "v 1 2 3\nf 1 2 3\n", "solid stl\n",
                                     "xof 0302txt 0032\nMesh m {\n 99999999;\n 1;2;3;;\n}\n",
                                     "xof 0302txt 0032\nMesh m {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 1;\n 3;0,1,7;;\n}\n"};
  std::mt19937 random(11);
  for (int i = 0; i < 6; ++i) {
    std::string garbage = "xof 0302txt 0032\n";
    for (int k = 0; k < 2048; ++k) garbage += static_cast<char>(random());
    inputs.push_back(garbage);
  }
  for (std::size_t cut = 20; cut < tiger.size(); cut += tiger.size() / 17) inputs.push_back(tiger.substr(0, cut));
  for (const std::string& text : inputs) {
    LogCapture log;
    RefPtr<Model> model = fromText(text);
    if (model) {
      for (const auto& instance : model->instances()) {
        const Mesh& mesh = *instance->mesh();
        for (std::uint16_t index : mesh.indices()) ASSERT_LT(index, mesh.vertexCount());
      }
    } else {
      EXPECT_EQ(log.messages().size(), 1u) << text.substr(0, 40);
      EXPECT_TRUE(log.contains("/nowhere/m.x")) << text.substr(0, 40);
    }
  }
}

}  // namespace
