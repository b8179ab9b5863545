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

// One triangle, optionally inside a frame moved by (dx, 0, 0) and scaled along x by sx, with one
// material.
std::string triangleFile(const std::string& material, float dx = 0.0f, float sx = 1.0f) {
  const std::string mesh =
      "Mesh tri {\n 3;\n 0.0;0.0;0.0;,\n 0.0;1.0;0.0;,\n 1.0;0.0;0.0;;\n 1;\n 3;0,1,2;;\n"
      " MeshTextureCoords {\n  3;\n  0.0;0.25;,\n  0.0;1.0;,\n  1.0;0.25;;\n }\n"
      " MeshMaterialList {\n  1;\n  1;\n  0;;\n" + material + " }\n}\n";
  if (dx == 0.0f && sx == 1.0f) return "xof 0302txt 0032\n" + mesh;
  return "xof 0302txt 0032\nFrame moved {\n FrameTransformMatrix {\n  " + std::to_string(sx) +
         ",0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
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
  ASSERT_EQ(::mkfifo((dir.path() + "/pipe.tga").c_str(), 0600), 0);
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
      // Nor does one that names a pipe, which is never opened.
      {materialBlock("0.0;0.0;1.0;0.5", "pipe.tga"), false, false, Color(0, 0, 1, 0.5f)},
  };
  for (const Case& c : cases) {
    ModelLoadOptions options;
    options.keepMaterialColours = c.keepColours;
    RefPtr<Model> model;
    EXPECT_TRUE(testsupport::returnsWithoutWaitingOnPipe(dir.path() + "/pipe.tga", [&] {
      model = fromText(triangleFile(c.material), textures.manager.get(), options, dir.path() + "/m.x");
    })) << c.material;
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

// The binary format's tokens: a name, a list of 32-bit integers or floats, braces.
std::string binaryName(const std::string& name) {
  std::string out("\x01\x00", 2);
  const auto length = static_cast<std::uint32_t>(name.size());
  return out + std::string(reinterpret_cast<const char*>(&length), 4) + name;
}
template <typename T>
std::string binaryList(std::uint16_t token, const std::vector<T>& values) {
  const auto count = static_cast<std::uint32_t>(values.size());
  return std::string(reinterpret_cast<const char*>(&token), 2) + std::string(reinterpret_cast<const char*>(&count), 4) +
         std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// MSZIP as the format compresses text: a size and flags, then blocks of "CK" and raw deflate
// data, here one stored (uncompressed) deflate block, which every inflater must take.
std::string compressedText(const std::string& body) {
  const auto length = static_cast<std::uint16_t>(body.size());
  const auto inverse = static_cast<std::uint16_t>(~length);
  std::string deflated("\x01", 1);  // final block, stored
  deflated.append(reinterpret_cast<const char*>(&length), 2).append(reinterpret_cast<const char*>(&inverse), 2);
  deflated += body;
  const std::uint32_t total = static_cast<std::uint32_t>(16 + body.size());
  const std::uint16_t flags = 0, blockSize = static_cast<std::uint16_t>(deflated.size()), magic = 0x4B43;
  std::string out = "xof 0302tzip0032";
  out.append(reinterpret_cast<const char*>(&total), 4).append(reinterpret_cast<const char*>(&flags), 2);
  out.append(reinterpret_cast<const char*>(&blockSize), 2).append(reinterpret_cast<const char*>(&magic), 2);
  return out + deflated;
}

TEST(XFileLoader, AMirroringFrameKeepsTheFrontFacesOutward) {
  RefPtr<Model> model = fromText(triangleFile(materialBlock("1;1;1;1"), 0.0f, -1.0f));
  ASSERT_TRUE(model);
  const std::vector<Vector3> corners = trianglePositions(*model->instances()[0]->mesh());
  ASSERT_EQ(corners.size(), 3u);
  // (0,0,0), (0,1,0), (1,0,0) mirrored in x is (0,0,0), (0,1,0), (−1,0,0), which is clockwise
  // seen from +z; the reader lists it (0,0,0), (−1,0,0), (0,1,0), clockwise from −z as before.
  EXPECT_EQ(corners[1], Vector3(-1, 0, 0));
  EXPECT_EQ(corners[2], Vector3(0, 1, 0));
  const Vector3 front = (corners[1] - corners[0]).cross(corners[2] - corners[0]);
  EXPECT_LT(front.z, 0.0f);
}

TEST(XFileLoader, BinaryAndCompressedFilesReadLikeText) {
  const std::string text = triangleFile(materialBlock("1;1;1;1"));
  const std::string binary = "xof 0302bin 0032" + binaryName("Mesh") + binaryName("tri") + std::string("\x0a\x00", 2) +
                             binaryList<std::uint32_t>(6, {3}) + binaryList<float>(7, {0, 0, 0, 0, 1, 0, 1, 0, 0}) +
                             binaryList<std::uint32_t>(6, {1, 3, 0, 1, 2}) + std::string("\x0b\x00", 2);
  const std::string compressed = compressedText(text.substr(16));
  for (const std::string* file : {&text, &binary, &compressed}) {
    RefPtr<Model> model = fromText(*file);
    ASSERT_TRUE(model) << file->substr(0, 16);
    const std::vector<Vector3> corners = trianglePositions(*model->instances()[0]->mesh());
    ASSERT_EQ(corners.size(), 3u);
    EXPECT_EQ(corners[0], Vector3(0, 0, 0)) << file->substr(0, 16);
    EXPECT_EQ(corners[1], Vector3(0, 1, 0)) << file->substr(0, 16);
    EXPECT_EQ(corners[2], Vector3(1, 0, 0)) << file->substr(0, 16);
    // Without normals in the file they are made, facing the clockwise front (−z).
    EXPECT_NEAR(model->instances()[0]->mesh()->current().normals[0].z, -1.0f, 1e-5f) << file->substr(0, 16);
  }
}

// Files on which the reader library itself fails: a material list naming a material it does not
// hold (a null dereference inside assimp) and element counts of gigabytes in a few bytes.
TEST(XFileLoader, FilesTheReaderFailsOnAreRefusedAndTheProgramGoesOn) {
  const std::string triangle = "xof 0302txt 0032\nMesh m {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 1;\n 3;0,1,2;;\n";
  struct Case {
    std::string text;
    const char* logged;
  };
  const Case cases[] = {
      {triangle + " MeshMaterialList {\n  1;\n  1;\n  0;;\n }\n}\n", "the reader failed on it (signal"},
      {"xof 0302txt 0032\nMesh m {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 2;\n 3;0,1,2;,\n 0;;\n}\n",
       "could not be read: a face without corners"},
      {"xof 0302txt 0032\nMesh m {\n 300000000;\n 1;2;3;;\n}\n", "could not be read"},
      {"xof 0302txt 0032\nMesh m {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 1;\n 200000000;0,1,2;;\n}\n", "could not be read"},
  };
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_FALSE(fromText(c.text)) << c.text;
    EXPECT_TRUE(log.contains(c.logged)) << c.text;
    EXPECT_EQ(log.messages().size(), 1u);
  }
  // Still here: the next file reads.
  EXPECT_TRUE(fromText(triangleFile(materialBlock("1;1;1;1"))));
}

TEST(XFileLoader, BrokenFilesGiveNoModelAndOneLine) {
  const std::string tiger = XFileWriter::write("tiger", SampleModels::tiger(), "tiger.tga");
  std::vector<std::string> inputs = {"", "xof ", "xof 0302txt 0032\n", "xof 0302bin 0032",
                                     "xof 0302tzip0032\x01\x02\x03\x04", "v 1 2 3\nf 1 2 3\n", "solid stl\n",
                                     "xof 0302txt 0032\nMesh m {\n 5;\n 1;2;3;;\n}\n",
                                     // A face without corners made assimp's triangulation abort.
                                     "xof 0302txt 0032\nMesh m {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 2;\n 3;0,1,2;,\n 0;;\n}\n",
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
