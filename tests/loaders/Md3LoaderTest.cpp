#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/Md3Fixtures.h"
#include "device/RecordingDevice.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "foundation/LogCapture.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/Md3Loader.h"

using namespace md3fixtures;

namespace {

class Md3LoaderTest : public ::testing::Test {
 protected:
  // Writes the archive and loads the tiny character from it.
  Md3Loader load(const Archive& archive) {
    const std::string path = dir.path() + "/pak0.pk3";
    EXPECT_TRUE(archive.write(path));
    return Md3Loader(path, kDirectory, textures.get());
  }
  // The first texel as B, G, R, A.
  std::vector<std::uint8_t> texel(const MeshInstance& instance) const {
    Texture* texture = instance.material() ? instance.material()->texture(0) : nullptr;
    if (!texture) return {};
    const auto& bytes = device->contents(texture->deviceTexture());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + std::min<std::size_t>(4, bytes.size()));
  }

  TempDir dir;
  RefPtr<RecordingDevice> device{new RecordingDevice(true)};
  RefPtr<TextureManager> textures{new TextureManager(device, 1)};
};

const std::vector<std::uint8_t> kMagenta{255, 0, 255, 255};

}  // namespace

TEST_F(Md3LoaderTest, BuildsTheNodeTreeMeshesAndSkinsOfAllThreeParts) {
  Archive archive;
  Md3Loader loader = load(archive);
  ASSERT_TRUE(loader.loaded());
  Model& model = *loader.model();
  // root → lower → upper → head
  SceneNode* root = model.node();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->children().size(), 1u);
  EXPECT_EQ(root->children()[0].get(), loader.lower().node.get());
  EXPECT_EQ(loader.lower().node->children()[0].get(), loader.upper().node.get());
  EXPECT_EQ(loader.upper().node->children()[0].get(), loader.head().node.get());
  // The root turns MD3's z-up, x-forward data into the y-up world facing the camera at −z.
  const Vector3 up = root->world().transformDirection({0, 0, 1});
  const Vector3 forward = root->world().transformDirection({1, 0, 0});
  EXPECT_NEAR(up.y, 1.0f, 1e-6f);
  EXPECT_NEAR(forward.z, -1.0f, 1e-6f);
  EXPECT_NEAR(root->world().transformDirection({0, 1, 0}).x, -1.0f, 1e-6f);

  ASSERT_EQ(model.instances().size(), 3u);
  ASSERT_EQ(loader.lower().instances.size(), 1u);
  EXPECT_EQ(model.instances()[0].get(), loader.lower().instances[0].get());
  EXPECT_EQ(model.instances()[2].get(), loader.head().instances[0].get());
  const MeshInstance& legs = *loader.lower().instances[0];
  EXPECT_EQ(legs.node(), loader.lower().node.get());
  const Mesh& mesh = *legs.mesh();
  EXPECT_EQ(mesh.frameCount(), 12u);
  EXPECT_EQ(mesh.vertexCount(), 3u);
  EXPECT_TRUE(mesh.isDynamic());
  // Stored triangle (0, 1, 2) is drawn as 0, 2, 1.
  EXPECT_EQ(mesh.indices(), (std::vector<std::uint16_t>{0, 2, 1}));
  EXPECT_EQ(mesh.frame(0)->positions[0], Vector3(1.0f, -2.0f, 0.5f));
  EXPECT_EQ(mesh.frame(0)->normals[0], Vector3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(mesh.frame(9)->positions[1], Vector3(9.0f, 1.0f, 0.0f));
  // (s, t) becomes (s, 1 − t).
  EXPECT_EQ(mesh.texCoordMode(0), Mesh::TexExplicit);
  EXPECT_EQ(mesh.texCoords(0)[0], (TexCoord{0.25f, 1.0f}));
  EXPECT_EQ(mesh.texCoords(0)[1], (TexCoord{1.0f, 0.75f}));
  EXPECT_EQ(mesh.frame(0)->bounds.radius, Mesh::boundsOf(mesh.frame(0)->positions).radius);

  EXPECT_EQ(legs.material()->type(), Material::kPlain);
  EXPECT_EQ(legs.material()->texture(0)->name(), "models/players/tiny/lower.tga");
  EXPECT_EQ(texel(legs), (std::vector<std::uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(texel(*loader.head().instances[0]), (std::vector<std::uint8_t>{255, 0, 0, 255}));

  EXPECT_EQ(loader.lower().attachments.at("tag_torso").get(), loader.upper().node.get());
  EXPECT_EQ(loader.upper().attachments.at("tag_head").get(), loader.head().node.get());
  EXPECT_TRUE(loader.head().attachments.empty());
  EXPECT_EQ(loader.lower().frameCount, 12u);
  EXPECT_EQ(loader.upper().tagCount, 3u);
  EXPECT_EQ(loader.upper().tags.size(), 30u);
  EXPECT_EQ(loader.lower().defaultAnimation, "LEGS_IDLE");
  EXPECT_EQ(loader.upper().defaultAnimation, "TORSO_STAND");
  EXPECT_EQ(loader.lower().animations.at("LEGS_IDLE"), (Md3Animation{8, 4, 4, 10}));
  EXPECT_EQ(loader.lower().animations.at("BOTH_DEATH1"), (Md3Animation{0, 4, 0, 20}));
  EXPECT_EQ(loader.upper().animations.at("TORSO_STAND"), (Md3Animation{7, 3, 3, 10}));
}

TEST_F(Md3LoaderTest, AMissingOrBrokenPartLeavesNoModelAndOneLogLine) {
  struct Case {
    const char* what;
    void (*change)(Archive&);
    const char* logged;
  };
  const Case cases[] = {
      {"no legs", [](Archive& a) { a.remove("lower.md3"); }, "\"models/players/tiny/lower.md3\" not found."},
      {"no head", [](Archive& a) { a.remove("head.md3"); }, "\"models/players/tiny/head.md3\" not found."},
      {"torso not an MD3", [](Archive& a) { a.add("upper.md3", skin(1, 2, 3)); },
       "MD3 file \"models/players/tiny/upper.md3\" refused"},
      {"torso cut short",
       [](Archive& a) {
         auto bytes = Md3Writer::encode(upper());
         bytes.resize(bytes.size() - 8);
         a.add("upper.md3", bytes);
       },
       "MD3 file \"models/players/tiny/upper.md3\" refused"},
  };
  for (const Case& c : cases) {
    Archive archive;
    c.change(archive);
    LogCapture log;
    Md3Loader loader = load(archive);
    EXPECT_FALSE(loader.loaded()) << c.what;
    EXPECT_EQ(loader.model(), nullptr) << c.what;
    EXPECT_TRUE(loader.lower().instances.empty()) << c.what;
    const auto lines = log.messages();
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_NE(lines[0].find(c.logged), std::string::npos) << c.what << ": " << lines[0];
  }
}

// The parts read last are kept: the same character again is built from them, in meshes of its
// own, as long as the archive's directory lists the same members (CRC-32 and size).
TEST_F(Md3LoaderTest, TheSameCharacterAgainIsBuiltFromThePartsReadLast) {
  Archive archive;
  const std::string path = dir.path() + "/pak0.pk3";
  ASSERT_TRUE(archive.write(path));
  Md3Loader first(path, kDirectory, textures.get());
  ASSERT_TRUE(first.loaded());

  // Damage the first part's deflated bytes but not the directory: read again, the part would be
  // refused; the second load does not read it.
  std::vector<char> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The first copy of the name is in the member's local header (30 bytes, then the name and the
  // extra field, whose length is at offset 28), right before its data.
  const std::string name = kDirectory + "/lower.md3";
  const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  const std::size_t header = static_cast<std::size_t>(at - bytes.begin()) - 30;
  const std::size_t extra = static_cast<std::uint8_t>(bytes[header + 28]) | static_cast<std::uint8_t>(bytes[header + 29]) << 8;
  const std::size_t data = header + 30 + name.size() + extra;
  for (std::size_t i = data; i < data + 16; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  const std::string damaged = dir.path() + "/damaged.pk3";
  for (const std::string& target : {path, damaged}) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  LogCapture log;
  Md3Loader second(path, kDirectory, textures.get());
  ASSERT_TRUE(second.loaded());
  EXPECT_TRUE(log.messages().empty());
  ASSERT_EQ(second.lower().instances.size(), first.lower().instances.size());
  const Mesh* a = first.lower().instances[0]->mesh();
  const Mesh* b = second.lower().instances[0]->mesh();
  EXPECT_NE(a, b);
  EXPECT_EQ(a->frameCount(), b->frameCount());
  EXPECT_EQ(a->frame(3)->positions, b->frame(3)->positions);
  EXPECT_EQ(a->indices(), b->indices());

  // Another archive path is read: there the damage shows.
  Md3Loader other(damaged, kDirectory, textures.get());
  EXPECT_FALSE(other.loaded());
  EXPECT_TRUE(log.contains("lower.md3"));

  // A changed member (another CRC-32) is read again.
  Archive changed;
  auto upperBytes = Md3Writer::encode(upper());
  upperBytes.resize(upperBytes.size() - 8);
  changed.add("upper.md3", upperBytes);
  ASSERT_TRUE(changed.write(path));
  EXPECT_FALSE(Md3Loader(path, kDirectory, textures.get()).loaded());
}

TEST_F(Md3LoaderTest, AMissingArchiveOrDirectoryLeavesNoModel) {
  LogCapture log;
  Md3Loader missing(dir.path() + "/none.pk3", kDirectory, textures.get());
  EXPECT_FALSE(missing.loaded());
  EXPECT_TRUE(log.contains("none.pk3\" not found."));
  Archive archive;
  ASSERT_TRUE(archive.write(dir.path() + "/pak0.pk3"));
  Md3Loader elsewhere(dir.path() + "/pak0.pk3", "models/players/nobody", textures.get());
  EXPECT_FALSE(elsewhere.loaded());
  EXPECT_TRUE(log.contains("\"models/players/nobody/lower.md3\" not found."));
}

// Both character viewers open the game archive: one that cannot be opened is reported once, and
// read again once it has changed on disk.
TEST_F(Md3LoaderTest, AnArchiveThatCannotBeOpenedIsReportedOnceUntilItChanges) {
  const std::string path = dir.path() + "/pak0.pk3";
  for (const char* contents : {static_cast<const char*>(nullptr), "PK\3\4 and then nothing of an archive"}) {
    if (contents) std::ofstream(path, std::ios::binary) << contents;
    LogCapture log;
    EXPECT_FALSE(Md3Loader(path, kDirectory, textures.get()).loaded());
    EXPECT_FALSE(Md3Loader(path, kDirectory, textures.get()).loaded());
    const auto lines = log.messages();
    ASSERT_EQ(lines.size(), 1u) << (contents ? "garbage" : "missing");
    EXPECT_NE(lines[0].find("pak0.pk3\" not found."), std::string::npos) << lines[0];
  }
  EXPECT_TRUE(load(Archive()).loaded());
}

// A character whose part fails to read (its data damaged behind an intact directory) is reported
// by the first viewer only; a missing "animation.cfg" likewise.
TEST_F(Md3LoaderTest, ACharacterThatFailsIsReportedOnceUntilTheArchiveChanges) {
  const std::string path = dir.path() + "/pak0.pk3";
  struct Case {
    const char* what;
    void (*change)(Archive&);
    bool loads;
  };
  const Case cases[] = {
      {"legs not an MD3", [](Archive& a) { a.add("lower.md3", skin(1, 2, 3)); }, false},
      {"no animation file", [](Archive& a) { a.remove("animation.cfg"); }, true},
  };
  for (const Case& c : cases) {
    Archive archive;
    c.change(archive);
    ASSERT_TRUE(archive.write(path));
    LogCapture log;
    EXPECT_EQ(Md3Loader(path, kDirectory, textures.get()).loaded(), c.loads) << c.what;
    EXPECT_EQ(Md3Loader(path, kDirectory, textures.get()).loaded(), c.loads) << c.what;
    EXPECT_EQ(log.messages().size(), 1u) << c.what;
  }
  Archive whole;
  ASSERT_TRUE(whole.write(path + ".new"));
  std::filesystem::rename(path + ".new", path);
  LogCapture log;
  EXPECT_TRUE(Md3Loader(path, kDirectory, textures.get()).loaded());
  EXPECT_TRUE(log.messages().empty());
}

TEST_F(Md3LoaderTest, TheGameArchiveIsNamedByTheQ3aSetting) {
  VariableTable::instance().set(Variable("q3a", "/games/q3/"));
  EXPECT_EQ(Md3Loader::gameArchivePath(), "/games/q3/baseq3/pak0.pk3");
  VariableTable::instance().clear();
  EXPECT_EQ(Md3Loader::gameArchivePath(), "INVALIDbaseq3/pak0.pk3");
}

TEST_F(Md3LoaderTest, AMissingAnimationFileLeavesOnlyTheZeroEntries) {
  Archive archive;
  archive.remove("animation.cfg");
  LogCapture log;
  Md3Loader loader = load(archive);
  ASSERT_TRUE(loader.loaded());
  EXPECT_TRUE(log.contains("\"models/players/tiny/animation.cfg\" not found."));
  ASSERT_EQ(loader.lower().animations.size(), 1u);
  EXPECT_EQ(loader.lower().animations.at("LEGS_WALKCR"), Md3Animation{});
  ASSERT_EQ(loader.upper().animations.size(), 1u);
  EXPECT_EQ(loader.upper().animations.at("TORSO_GESTURE"), Md3Animation{});
}

TEST_F(Md3LoaderTest, SkinNamesAreTakenFromTheShaderPathsFileName) {
  EXPECT_EQ(md3SkinMember("models/players/a", "models/players/b/skin.tga"), "models/players/a/skin.tga");
  EXPECT_EQ(md3SkinMember("models/players/a", "models\\players\\b\\skin.tga"), "models/players/a/skin.tga");
  EXPECT_EQ(md3SkinMember("models/players/a", "skin.tga"), "models/players/a/skin.tga");
  EXPECT_EQ(md3SkinMember("models/players/a", "/skin.tga"), "models/players/a/skin.tga");
  EXPECT_EQ(md3SkinMember("models/players/a", ""), "");
  EXPECT_EQ(md3SkinMember("models/players/a", "models/players/b/"), "");
}

TEST_F(Md3LoaderTest, MissingAndUnnamedSkinsAreLoggedAndStillLoad) {
  Archive archive;
  archive.remove("upper.tga");
  Md3Data headData = head();
  headData.surfaces[0].shader = "";
  archive.add("head.md3", Md3Writer::encode(headData));
  Md3Data legsData = lower();
  legsData.surfaces[0].shader = "lower.tga";  // no directory: found in the model's own
  archive.add("lower.md3", Md3Writer::encode(legsData));
  LogCapture log;
  Md3Loader loader = load(archive);
  ASSERT_TRUE(loader.loaded());
  EXPECT_EQ(texel(*loader.lower().instances[0]), (std::vector<std::uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(texel(*loader.upper().instances[0]), kMagenta);
  EXPECT_TRUE(log.contains("\"models/players/tiny/upper.tga\" not found."));
  EXPECT_EQ(loader.head().instances[0]->material()->texture(0), nullptr);
  EXPECT_TRUE(log.contains("MD3 surface \"head\" of \"models/players/tiny\" names no skin"));
}

TEST_F(Md3LoaderTest, WithoutATextureManagerTheMaterialsStayUntextured) {
  Archive archive;
  ASSERT_TRUE(archive.write(dir.path() + "/pak0.pk3"));
  Md3Loader loader(dir.path() + "/pak0.pk3", kDirectory, nullptr);
  ASSERT_TRUE(loader.loaded());
  for (const auto& instance : loader.model()->instances()) EXPECT_EQ(instance->material()->texture(0), nullptr);
}

// The generated game archive: every character of the viewer loads with all its skins.
TEST(Md3LoaderGameData, EveryGeneratedCharacterLoadsWithItsSkins) {
  const std::string archive = std::string(TESTBED_BINARY_DIR) + "/q3a/baseq3/pak0.pk3";
  ASSERT_TRUE(std::filesystem::exists(archive)) << "the sample data set is built with the project";
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  RefPtr<TextureManager> textures(new TextureManager(device, 1));
  for (const char* name : {"klesk", "sarge", "xaero"}) {
    LogCapture log;
    Md3Loader loader(archive, std::string("models/players/") + name, textures.get());
    ASSERT_TRUE(loader.loaded()) << name;
    EXPECT_TRUE(log.messages().empty()) << name << ": " << log.text();
    EXPECT_EQ(loader.lower().frameCount, 176u) << name;
    EXPECT_EQ(loader.upper().frameCount, 154u) << name;
    EXPECT_EQ(loader.head().frameCount, 1u) << name;
    // Legs frames follow the 72 death frames in lower.md3: the file's 230 becomes 148.
    EXPECT_EQ(loader.lower().animations.at("LEGS_IDLE"), (Md3Animation{148, 10, 10, 8})) << name;
    EXPECT_EQ(loader.lower().animations.at("LEGS_TURN").firstFrame, 168u) << name;
    EXPECT_EQ(loader.upper().animations.at("TORSO_STAND"), (Md3Animation{134, 10, 10, 8})) << name;
    for (const auto& instance : loader.model()->instances()) {
      Texture* skinTexture = instance->material()->texture(0);
      ASSERT_NE(skinTexture, nullptr) << name;
      EXPECT_NE(device->contents(skinTexture->deviceTexture()).size(), 4u) << name << " shows the placeholder";
    }
  }
}
