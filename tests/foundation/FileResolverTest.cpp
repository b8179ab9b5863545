#include "foundation/FileResolver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"

namespace {

class FileResolver : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.write("Textures/fire.tga", "fire");
    tree.write("textures/debugHeight.tga", "height");
    tree.write("models/Head.md3", "upper-case head");
    tree.write("models/head.md3", "lower-case head");
    tree.write("Animations/SailJump/sails_jump.lws", "scene");
    root = tree.path();
  }

  std::size_t entryCount() const {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      (void)entry;
      ++count;
    }
    return count;
  }

  testsupport::TempDir tree;
  std::string root;
};

TEST_F(FileResolver, ExistingPathIsReturnedAsGiven) {
  EXPECT_EQ(resolveFilePath(root + "/Textures/fire.tga"), root + "/Textures/fire.tga");
  EXPECT_EQ(resolveFilePath(root + "//Textures/fire.tga"), root + "//Textures/fire.tga");
}

TEST_F(FileResolver, CaseFoldedSiblingFoldersAreSearched) {
  // Written as siblings of one folder in the data set, they are two folders here.
  EXPECT_EQ(resolveFilePath(root + "/Textures/debugHeight.tga"), root + "/textures/debugHeight.tga");
  EXPECT_EQ(resolveFilePath(root + "/textures/fire.tga"), root + "/Textures/fire.tga");
  EXPECT_EQ(resolveFilePath(root + "/TEXTURES/FIRE.TGA"), root + "/Textures/fire.tga");
  EXPECT_EQ(resolveFilePath(root + "/animations/sailjump/SAILS_JUMP.lws"),
            root + "/Animations/SailJump/sails_jump.lws");
}

TEST_F(FileResolver, ExactNameIsPreferredOverACaseFoldedOne) {
  EXPECT_EQ(resolveFilePath(root + "/models/head.md3"), root + "/models/head.md3");
  EXPECT_EQ(resolveFilePath(root + "/models/Head.md3"), root + "/models/Head.md3");
  EXPECT_EQ(resolveFilePath(root + "/MODELS/head.md3"), root + "/models/head.md3");
  // With no exact match, the first in byte order: 'H' sorts before 'h'.
  EXPECT_EQ(resolveFilePath(root + "/models/HEAD.md3"), root + "/models/Head.md3");
}

TEST_F(FileResolver, BackslashesSeparateComponents) {
  EXPECT_EQ(resolveFilePath(root + "\\textures\\DebugHeight.TGA"), root + "/textures/debugHeight.tga");
}

TEST_F(FileResolver, RelativePathsResolveFromTheWorkingDirectory) {
  testsupport::ScopedWorkingDirectory cwd(root);
  EXPECT_EQ(resolveFilePath("TEXTURES/Fire.tga"), "Textures/fire.tga");
  EXPECT_EQ(resolveFilePath("./models/../Textures/DEBUGHEIGHT.TGA"), "./models/../textures/debugHeight.tga");
}

TEST_F(FileResolver, MissingFileLeavesThePathUnchangedAndCreatesNothing) {
  const std::size_t before = entryCount();
  EXPECT_EQ(resolveFilePath(root + "/Textures/missing.tga"), root + "/Textures/missing.tga");
  EXPECT_EQ(resolveFilePath(root + "/nowhere/fire.tga"), root + "/nowhere/fire.tga");
  EXPECT_EQ(resolveFilePath(root + "/Textures/fire.tga/inside"), root + "/Textures/fire.tga/inside");
  EXPECT_EQ(resolveFilePath(""), "");
  EXPECT_EQ(entryCount(), before);
}

TEST_F(FileResolver, OpenInputFileReadsTheResolvedFile) {
  std::ifstream file;
  ASSERT_TRUE(openInputFile(file, root + "/TEXTURES/Fire.TGA"));
  std::string text;
  std::getline(file, text);
  EXPECT_EQ(text, "fire");
  std::ifstream binary;
  ASSERT_TRUE(openInputFile(binary, root + "/models/HEAD.MD3", std::ios::binary));
  std::getline(binary, text);
  EXPECT_EQ(text, "upper-case head");
  std::ifstream missing;
  EXPECT_FALSE(openInputFile(missing, root + "/textures/none.tga"));
}

}  // namespace

TEST_F(FileResolver, FileKindTellsRegularFilesFromPipesDevicesAndFolders) {
  ASSERT_EQ(::mkfifo((root + "/Textures/pipe.tga").c_str(), 0600), 0);
  std::filesystem::create_symlink(root + "/Textures/pipe.tga", root + "/Textures/link.tga");
  struct Case {
    std::string path;
    FileKind kind;
  };
  const Case cases[] = {
      {root + "/Textures/fire.tga", FileKind::kRegular},
      {root + "/TEXTURES/FIRE.TGA", FileKind::kRegular},  // found as the readers find it
      {root + "/Textures", FileKind::kDirectory},
      {root + "/Textures/pipe.tga", FileKind::kPipe},
      {root + "/textures/PIPE.tga", FileKind::kPipe},
      {root + "/Textures/link.tga", FileKind::kPipe},  // links are followed
      {"/dev/null", FileKind::kDevice},
      {root + "/Textures/missing.tga", FileKind::kMissing},
      {"", FileKind::kMissing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fileKind(c.path), c.kind) << c.path;
    EXPECT_EQ(isRegularFile(c.path), c.kind == FileKind::kRegular) << c.path;
  }
  EXPECT_STREQ(fileKindText(FileKind::kPipe), "a pipe");
  EXPECT_STREQ(fileKindText(FileKind::kDevice), "a device");
  EXPECT_STREQ(fileKindText(FileKind::kOther), "not a regular file");
}
