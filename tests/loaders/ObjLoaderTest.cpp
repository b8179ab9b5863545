#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "LoaderTestSupport.h"
#include "engine/MeshInstance.h"
#include "foundation/LogCapture.h"
#include "image/Texture.h"
#include "loaders/ObjLoader.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/SampleModels.h"

namespace {

using loadertest::RecordingTextures;
using loadertest::TempDir;
using loadertest::trianglePositions;

const std::string kPath = "/nowhere/model.obj";

RefPtr<Model> modelOf(const std::string& text, bool keep = false, bool recompute = false, bool flip = false) {
  return ObjLoader(text, kPath, nullptr).createModel(keep, recompute, flip);
}

Mesh& firstMesh(const RefPtr<Model>& model) { return *model->instances().at(0)->mesh(); }

void expectVector(const Vector3& actual, const Vector3& expected, const std::string& label) {
  EXPECT_FLOAT_EQ(actual.x, expected.x) << label;
  EXPECT_FLOAT_EQ(actual.y, expected.y) << label;
  EXPECT_FLOAT_EQ(actual.z, expected.z) << label;
}

const char* const kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0.5 1.5 0\n";

TEST(ObjLoader, PolygonsAreFannedAroundTheFirstCornerWithTheWindingReversed) {
  const Vector3 p[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, 1.5f, 0}};
  struct Case {
    const char* face;
    std::vector<int> triangles;  // file numbering
  };
  const Case cases[] = {{"f 1 2 3", {1, 3, 2}},
                        {"f 1 2 3 4", {1, 3, 2, 1, 4, 3}},
                        {"f 1 2 3 5 4", {1, 3, 2, 1, 5, 3, 1, 4, 5}}};
  for (const Case& c : cases) {
    RefPtr<Model> model = modelOf(std::string(kSquare) + c.face + "\n");
    ASSERT_TRUE(model) << c.face;
    std::vector<Vector3> expected;
    for (int corner : c.triangles) expected.push_back(p[corner - 1]);
    const std::vector<Vector3> actual = trianglePositions(firstMesh(model));
    ASSERT_EQ(actual.size(), expected.size()) << c.face;
    for (std::size_t i = 0; i < actual.size(); ++i) expectVector(actual[i], expected[i], c.face);
    // Reversed, the square faces −z: the engine's clockwise front face towards a camera at −z.
    for (const Vector3& n : firstMesh(model).current().normals) expectVector(n, {0, 0, -1}, c.face);
  }
}

TEST(ObjLoader, CornerFormsNameTheirTextureCoordinatesAndNormals) {
  const std::string lists = std::string(kSquare) +
                            "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\n"
                            "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n";
  struct Case {
    std::string text;
    bool textured;
    TexCoord firstTexCoord;
    Vector3 firstNormal;
  };
  const Case cases[] = {
      // p/t: the number after the slash names the texture coordinate and the normal.
      {lists + "f 1/2 2/2 3/2\n", true, {0.3f, 0.4f}, {0, 1, 0}},
      {lists + "f 1//3 2//3 3//3\n", false, {}, {0, 0, 1}},
      {lists + "f 1/3/1 2/2/1 3/1/1\n", true, {0.5f, 0.6f}, {1, 0, 0}},
      // Relative corners count back from the last element read: −5 is vertex 1 of five.
      {lists + "f -5/-1/-3 -4/-1/-3 -3/-1/-3\n", true, {0.5f, 0.6f}, {1, 0, 0}},
      // Without a normal the corner takes the face normal of its (reversed) triangle.
      {lists + "f 1 2 3\n", false, {}, {0, 0, -1}},
      {std::string(kSquare) + "vt 0.1 0.2\nf 1/1 2/1 3/1\n", true, {0.1f, 0.2f}, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    RefPtr<Model> model = modelOf(c.text);
    ASSERT_TRUE(model) << c.text;
    Mesh& mesh = firstMesh(model);
    const std::uint32_t first = mesh.corner(0, 0);
    expectVector(mesh.current().positions[first], {0, 0, 0}, c.text);
    expectVector(mesh.current().normals[first], c.firstNormal, c.text);
    ASSERT_EQ(mesh.texCoordMode(0), c.textured ? Mesh::TexExplicit : Mesh::TexUnused) << c.text;
    if (c.textured) {
      EXPECT_FLOAT_EQ(mesh.texCoords(0)[first].u, c.firstTexCoord.u) << c.text;
      EXPECT_FLOAT_EQ(mesh.texCoords(0)[first].v, c.firstTexCoord.v) << c.text;
    }
  }
}

TEST(ObjLoader, BrokenFacesAreRefusedWithOneLineAndTheRestLoads) {
  const char* const bad[] = {"f 0 1 2",           "f 1 2 6",          "f 1/1 2/1 3/1",   "f 1//1 2//1 3//1",
                             "f -6 1 2",          "f 1 2",            "f",               "f 1/x 2 3",
                             "f 1/1/1/1 2 3",     "f 1 2 3x",         "f 99999999999999999999 1 2",
                             "f 1 2 -99999999999999999999"};
  for (const char* face : bad) {
    const std::string text = std::string(kSquare) + "f 1 2 3\n" + face + "\nf 1 3 4\n";
    LogCapture log;
    ObjLoader loader(text, kPath, nullptr);
    RefPtr<Model> model = loader.createModel(false, false, false);
    ASSERT_TRUE(model) << face;
    EXPECT_EQ(loadertest::triangleTotal(*model), 2u) << face;
    EXPECT_EQ(loader.refusedFaceCount(), 1u) << face;
    std::vector<std::string> lines;
    for (const std::string& line : log.messages()) {
      if (line.find(kPath) != std::string::npos) lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 1u) << face;
    EXPECT_NE(lines[0].find("line 7"), std::string::npos) << lines[0];
  }
}

TEST(ObjLoader, RefusedFacesAreCountedOnOneLine) {
  LogCapture log;
  ObjLoader loader(std::string(kSquare) + "f 1 2 9\nf 1 2 3\nf 0 0 0\nf 7 8 9\n", kPath, nullptr);
  EXPECT_EQ(loader.refusedFaceCount(), 3u);
  EXPECT_TRUE(log.contains("\"" + kPath + "\" line 6: vertex index 0 or past the end of its list; 3 faces refused"));
}

TEST(ObjLoader, TextAsExportersWriteItReads) {
  // CR LF, tabs, runs of blanks, a very long comment, keywords this reader skips, numbers in the
  // forms strtod takes, and a last line without its line end.
  const std::string text = "# exported\r\nmtllib\r\no thing\r\ng part\r\ns 1\r\n" + std::string(1 << 20, 'x') +
                           "\r\nv  +2\t.5   1e-3 1.0\r\nv\t0x1p1 0 0\r\nv -0 -1E+1 5.\r\nvp 1 2\r\n"
                           "l 1 2\r\np 1\r\ncurv 0 1 1 2\r\nV 9 9 9\r\nf  1\t2   3 ";
  RefPtr<Model> model = modelOf(text);
  ASSERT_TRUE(model);
  const std::vector<Vector3> corners = trianglePositions(firstMesh(model));
  ASSERT_EQ(corners.size(), 3u);
  expectVector(corners[0], {2.0f, 0.5f, 0.001f}, "v 1");
  expectVector(corners[1], {0.0f, -10.0f, 5.0f}, "v 3");
  expectVector(corners[2], {2.0f, 0.0f, 0.0f}, "v 2 (hexadecimal)");
}

TEST(ObjLoader, EqualCornersShareAVertexWithinAGroupOnly) {
  // Vertices 6 and 7 repeat 4 and 2: the second triangle shares two vertices with the first.
  const std::string text = std::string(kSquare) + "v 0 1 0\nv 1 0 0\nvn 0 0 -1\nvn 0 0 1\n" +
                           "usemtl a\nf 1//1 2//1 4//1\nf 7//1 3//1 6//1\n"
                           "usemtl b\nf 1//1 2//1 3//1\nf 1//2 2//2 3//2\n";
  RefPtr<Model> model = modelOf(text);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->instances().size(), 2u);
  EXPECT_EQ(model->instances()[0]->mesh()->vertexCount(), 4u);
  // The same positions with another normal are other vertices.
  EXPECT_EQ(model->instances()[1]->mesh()->vertexCount(), 6u);
}

TEST(ObjLoader, AGroupTooBigForSixteenBitIndicesIsSplit) {
  constexpr int kTriangles = 22000;  // 66000 distinct vertices
  std::string text;
  for (int t = 0; t < kTriangles; ++t) {
    const std::string x = std::to_string(t);
    text += "v " + x + " 0 0\nv " + x + " 1 0\nv " + x + " 0 1\n";
  }
  text += "usemtl big\n";
  for (int t = 0; t < kTriangles; ++t) {
    const int a = 3 * t + 1;
    text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + 2) + "\n";
  }
  RefPtr<Model> model = modelOf(text);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->instances().size(), 2u);
  EXPECT_EQ(model->instances()[0]->mesh()->vertexCount(), 65535u);
  EXPECT_EQ(model->instances()[0]->mesh()->triangleCount(), 21845u);
  EXPECT_EQ(model->instances()[1]->mesh()->triangleCount(), 155u);
  // The split keeps every triangle whole: the last one is the file's last.
  const std::vector<Vector3> last = trianglePositions(*model->instances()[1]->mesh());
  expectVector(last[last.size() - 3], {kTriangles - 1.0f, 0, 0}, "last triangle");
  EXPECT_TRUE(model->instances()[0]->mesh()->buildAdjacency());
}

TEST(ObjLoader, GroupsTakeTheirMaterialsExceptDefault) {
  TempDir dir;
  dir.write("m.mtl",
            "Kd 0 0 1\nmap_Kd lost.tga\n"  // before any newmtl: ignored
            "newmtl Default\nKd 0 1 0\n"
            "newmtl red\nKd 1 0 0\n");
  const std::string objPath = dir.write("m.obj", std::string("mtllib m.mtl\n") + kSquare +
                                                      "f 1 2 3\nusemtl Default\nf 1 2 3\nusemtl red\nf 1 2 3\n"
                                                      "usemtl missing\nf 1 2 3\nusemtl red\nf 1 3 4\n");
  ObjLoader loader(objPath, nullptr);
  ASSERT_EQ(loader.groups().size(), 5u);
  EXPECT_EQ(loader.groups()[0].name, "Default");  // the faces before the first usemtl
  RefPtr<Model> model = loader.createModel(false, false, false);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->instances().size(), 5u);
  EXPECT_EQ(model->instances()[0]->material(), nullptr);
  EXPECT_EQ(model->instances()[1]->material(), nullptr);
  ASSERT_NE(model->instances()[2]->material(), nullptr);
  EXPECT_EQ(model->instances()[2]->material()->getColor().value, Color(1, 0, 0, 1).value);
  EXPECT_EQ(model->instances()[2]->material()->texture(0), nullptr);
  EXPECT_EQ(model->instances()[3]->material(), nullptr);
  // Groups of one material share it; every instance hangs on the model's one root node.
  EXPECT_EQ(model->instances()[4]->material(), model->instances()[2]->material());
  for (const auto& instance : model->instances()) EXPECT_EQ(instance->node(), model->node());
}

TEST(ObjLoader, TheLibraryIsFoundBesideTheFile) {
  struct Case {
    const char* mtllib;  // the statement, or nothing
    const char* library;  // the file written beside the OBJ file
  };
  const Case cases[] = {{"", "m.mtl"},  // no mtllib: the OBJ file's name with ".mtl"
                        {"mtllib C:\\exports\\lib.mtl\n", "lib.mtl"},
                        {"mtllib ..\\lib.mtl\n", "lib.mtl"},
                        {"mtllib lost.mtl\n", "m.mtl"},  // named library missing: same-name one
                        {"mtllib a.mtl lib.mtl\n", "lib.mtl"}};
  for (const Case& c : cases) {
    TempDir dir;
    dir.write(c.library, "newmtl red\nKd 1 0 0\n");
    const std::string objPath = dir.write("m.obj", std::string(c.mtllib) + kSquare + "usemtl red\nf 1 2 3\n");
    RefPtr<Model> model = ObjLoader(objPath, nullptr).createModel(false, false, false);
    ASSERT_TRUE(model) << c.mtllib;
    ASSERT_NE(model->instances()[0]->material(), nullptr) << c.mtllib;
    EXPECT_EQ(model->instances()[0]->material()->getColor().value, Color(1, 0, 0, 1).value) << c.mtllib;
  }
}

TEST(ObjLoader, OnlyRegularFilesAreReadAsLibraries) {
  // A pipe named by the file would block the reader until someone wrote to it.
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir.path() + "/pipe.mtl").c_str(), 0600), 0);
  const std::string objPath = dir.write("m.obj", std::string("mtllib pipe.mtl\n") + kSquare + "usemtl a\nf 1 2 3\n");
  RefPtr<Model> model = ObjLoader(objPath, nullptr).createModel(false, false, false);
  ASSERT_TRUE(model);
  EXPECT_EQ(model->instances()[0]->material(), nullptr);
}

TEST(ObjLoader, ATextureNamingAPipeGetsThePlaceholderWithoutWaiting) {
  TempDir dir;
  RecordingTextures textures;
  const std::string pipe = dir.path() + "/pipe.tga";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  dir.write("m.mtl", "newmtl water\nmap_Kd pipe.tga\n");
  const std::string objPath = dir.write("m.obj", std::string("mtllib m.mtl\n") + kSquare + "usemtl water\nf 1 2 3\n");
  LogCapture log;
  RefPtr<Model> model;
  EXPECT_TRUE(testsupport::returnsWithoutWaitingOnPipe(
      pipe, [&] { model = ObjLoader(objPath, textures.manager.get()).createModel(false, false, false); }));
  ASSERT_TRUE(model);
  Material* material = model->instances()[0]->material();
  ASSERT_NE(material, nullptr);
  ASSERT_NE(material->texture(0), nullptr);
  const DeviceTexture* placeholder = material->texture(0)->deviceTexture();
  ASSERT_NE(placeholder, nullptr);
  EXPECT_EQ(textures.device->contents(placeholder), (std::vector<std::uint8_t>{255, 0, 255, 255}));
  EXPECT_TRUE(log.contains("\"" + pipe + "\" not found.")) << log.text();
  EXPECT_TRUE(log.contains("\"" + pipe + "\": unreadable (a pipe)")) << log.text();
}

TEST(ObjLoader, MapTexturesComeFromTheLibrarysDirectory) {
  const char* const statements[] = {"map_Kd wood.tga", "map_Kd .\\wood.tga", "map_Kd C:\\art\\maps\\wood.tga",
                                    "map_Kd /home/artist/wood.tga", "map_Kd -s 1 1 1 -bm 0.5 -clamp on wood.tga",
                                    "map_Kd\t textures/wood.tga  "};
  for (const char* statement : statements) {
    TempDir dir;
    RecordingTextures textures;
    loadertest::writeTga(dir.path() + "/models/wood.tga");
    dir.write("models/m.mtl", std::string("newmtl wood\nKd 0.5 0.25 0\n") + statement + "\r\n");
    const std::string objPath =
        dir.write("models/m.obj", std::string("mtllib m.mtl\n") + kSquare + "vt 0 0\nusemtl wood\nf 1/1 2/1 3/1\n");
    RefPtr<Model> model = ObjLoader(objPath, textures.manager.get()).createModel(false, false, false);
    ASSERT_TRUE(model) << statement;
    Material* material = model->instances()[0]->material();
    ASSERT_NE(material, nullptr) << statement;
    ASSERT_NE(material->texture(0), nullptr) << statement;
    EXPECT_EQ(material->texture(0)->name(), dir.path() + "/models/wood.tga") << statement;
    // Textured materials show the texture unchanged.
    EXPECT_EQ(material->getColor().value, Color(1, 1, 1, 1).value) << statement;
    EXPECT_EQ(model->instances()[0]->renderFlags().blend, 0) << statement;
  }
}

TEST(ObjLoader, TexturedMaterialsKeepTheirColourOnRequestAndBlendWithAlpha) {
  TempDir dir;
  RecordingTextures textures;
  loadertest::writeTga(dir.path() + "/glass.tga", true);
  dir.write("m.mtl", "newmtl glass\nKd 0 0.5 1\nmap_Kd glass.tga\n");
  const std::string objPath = dir.write("m.obj", std::string("mtllib m.mtl\n") + kSquare + "usemtl glass\nf 1 2 3\n");
  RefPtr<Model> model = ObjLoader(objPath, textures.manager.get()).createModel(true, false, false);
  ASSERT_TRUE(model);
  EXPECT_EQ(model->instances()[0]->material()->getColor().value, Color(0, 0.5f, 1, 1).value);
  EXPECT_EQ(model->instances()[0]->renderFlags().blend, 4);
}

TEST(ObjLoader, FlagsFlipTextureCoordinatesAndRecomputeNormals) {
  // The file's normal points the wrong way; recomputed ones face the reversed triangle's front.
  const std::string text = std::string(kSquare) + "vt 0.25 0.75\nvn 1 0 0\nf 1/1/1 2/1/1 3/1/1\n";
  RefPtr<Model> plain = modelOf(text);
  RefPtr<Model> changed = modelOf(text, false, true, true);
  ASSERT_TRUE(plain && changed);
  EXPECT_FLOAT_EQ(firstMesh(plain).texCoords(0)[0].v, 0.75f);
  EXPECT_FLOAT_EQ(firstMesh(changed).texCoords(0)[0].v, 0.25f);
  expectVector(firstMesh(plain).current().normals[0], {1, 0, 0}, "file normal");
  expectVector(firstMesh(changed).current().normals[0], {0, 0, -1}, "recomputed normal");
}

TEST(ObjLoader, AnUnreadableFileOrOneWithoutFacesGivesNoModel) {
  {
    LogCapture log;
    EXPECT_FALSE(ObjLoader("/nowhere/at/all.obj", nullptr).createModel(false, false, false));
    EXPECT_TRUE(log.contains("File /nowhere/at/all.obj could not be accessed"));
    EXPECT_EQ(log.messages().size(), 1u);
  }
  LogCapture log;
  EXPECT_FALSE(modelOf(std::string(kSquare) + "usemtl a\n"));
  EXPECT_TRUE(log.contains("\"" + kPath + "\" holds no faces"));
}

// What the generator writes reads back group by group, front faces outward.
TEST(ObjLoader, GeneratedCrateAndRobotReadAsWritten) {
  for (const auto& groups : {SampleModels::crateGroups(), SampleModels::robotGroups()}) {
    RefPtr<Model> model = modelOf(ObjWriter::obj(groups, "none.mtl", "generated"));
    ASSERT_TRUE(model);
    ASSERT_EQ(model->instances().size(), groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
      const Mesh& mesh = *model->instances()[g]->mesh();
      EXPECT_EQ(mesh.triangleCount(), ObjWriter::triangleCount(groups[g])) << groups[g].name;
      const auto& p = mesh.current().positions;
      const auto& n = mesh.current().normals;
      for (std::uint32_t t = 0; t < mesh.triangleCount(); ++t) {
        const std::uint32_t a = mesh.corner(t, 0), b = mesh.corner(t, 1), c = mesh.corner(t, 2);
        const Vector3 front = (p[b] - p[a]).cross(p[c] - p[a]);
        // The file's normals (or, for position-only corners, the face normal) agree with the front.
        EXPECT_GT(front.dot(n[a] + n[b] + n[c]), 0.0f) << groups[g].name << " triangle " << t;
      }
    }
  }
}

TEST(ObjLoader, HostileTextLoadsWhatItCan) {
  const std::string robot = ObjWriter::obj(SampleModels::robotGroups(), "test.mtl", "robot");
  const std::size_t fullTriangles = loadertest::triangleTotal(*modelOf(robot));
  std::vector<std::string> inputs = {"", std::string(1, '\0'), std::string("f 1 2 3\0v 1 2 3", 15), "\n\n\r\r\n",
                                     "v 1 2 3\nf 1 1 1 1 1 1\n", "usemtl\nf\nvt\nvn\nv\nmtllib\n",
                                     "v nan inf -inf\nv 1e999 1 1\nv 1 1 1\nf 1 2 3\n"};
  std::mt19937 random(7);
  for (int i = 0; i < 8; ++i) {
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    inputs.push_back(garbage);
    inputs.push_back("v 0 0 0\nv 1 0 0\nv 0 1 0\nf " + garbage.substr(0, 64) + "\n");
  }
  for (std::size_t cut = 1; cut < robot.size(); cut += robot.size() / 23) inputs.push_back(robot.substr(0, cut));
  for (const std::string& text : inputs) {
    RefPtr<Model> model = modelOf(text);
    if (!model) continue;
    EXPECT_LE(loadertest::triangleTotal(*model), fullTriangles);
    for (const auto& instance : model->instances()) {
      const Mesh& mesh = *instance->mesh();
      EXPECT_EQ(mesh.indexCount(), mesh.triangleCount() * 3);
      for (std::uint16_t index : mesh.indices()) ASSERT_LT(index, mesh.vertexCount());
    }
  }
}

TEST(ObjLoader, AnEmptyLibraryLeavesGroupsWithoutMaterial) {
  TempDir dir;
  dir.write("empty.mtl", "");
  const std::string objPath = dir.write("m.obj", std::string("mtllib empty.mtl\n") + kSquare + "usemtl a\nf 1 2 3\n");
  ObjLoader loader(objPath, nullptr);
  EXPECT_EQ(loader.library().size(), 0u);
  RefPtr<Model> model = loader.createModel(false, false, false);
  ASSERT_TRUE(model);
  EXPECT_EQ(model->instances()[0]->material(), nullptr);
}

}  // namespace
