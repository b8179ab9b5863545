#include "foundation/Path.h"

#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <vector>

#include "TestSupport.h"

namespace {

struct SplitCase {
  const char* text;
  const char* full;
  const char* directory;
  const char* name;
  const char* extension;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class PathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplit, GivesTheFiveFields) {
  const SplitCase& c = GetParam();
  const Path path(c.text);
  EXPECT_EQ(path.full(), c.full);
  EXPECT_EQ(path.directory(), c.directory);
  EXPECT_EQ(path.name(), c.name);
  EXPECT_EQ(path.extension(), c.extension);
  EXPECT_EQ(path.fileName(), std::string(c.name) + c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PathSplit,
    ::testing::Values(SplitCase{"C:\\a\\b.txt", "C:/a/b.txt", "C:/a/", "b", ".txt"},
                      SplitCase{"C:b.txt", "C:b.txt", "C:", "b", ".txt"},
                      SplitCase{"D:\\", "D:/", "D:/", "", ""},
                      SplitCase{"Test.set", "Test.set", "", "Test", ".set"},
                      SplitCase{"noext", "noext", "", "noext", ""},
                      SplitCase{"dir.d/noext", "dir.d/noext", "dir.d/", "noext", ""},
                      SplitCase{"a/b/archive.tar.gz", "a/b/archive.tar.gz", "a/b/", "archive.tar", ".gz"},
                      SplitCase{"a/b/", "a/b/", "a/b/", "", ""},
                      SplitCase{"/abs/file.", "/abs/file.", "/abs/", "file", "."},
                      SplitCase{".hidden", ".hidden", "", "", ".hidden"},
                      SplitCase{"a\\\\b//c", "a/b/c", "a/b/", "c", ""},
                      SplitCase{"\\\\server\\share\\x.tga", "/server/share/x.tga", "/server/share/", "x", ".tga"},
                      SplitCase{"a/./b/../c.obj", "a/./b/../c.obj", "a/./b/../", "c", ".obj"},
                      SplitCase{"", "", "", "", ""}));

TEST(Path, NullTextGivesAnEmptyPath) {
  const Path path(static_cast<const char*>(nullptr));
  EXPECT_EQ(path.full(), "");
  EXPECT_EQ(path.directory(), "");
  EXPECT_EQ(path.fileName(), "");
}

TEST(Path, AppendPutsExactlyOneSeparatorAtTheJoint) {
  const Path data("/home/user/testbed/");
  EXPECT_EQ((data + "/Textures/fire.tga").full(), "/home/user/testbed/Textures/fire.tga");
  EXPECT_EQ((data + "Textures/fire.tga").full(), "/home/user/testbed/Textures/fire.tga");
  EXPECT_EQ((Path("data") + "xfiles\\tiger.x").full(), "data/xfiles/tiger.x");
  EXPECT_EQ((Path("data") + "\\\\x").full(), "data/x");
  Path path("root");
  path.append("data").append("/Textures/fire.tga");
  EXPECT_EQ(path.full(), "root/data/Textures/fire.tga");
  EXPECT_EQ(path.directory(), "root/data/Textures/");
  EXPECT_EQ(path.fileName(), "fire.tga");
}

TEST(Path, AppendedDriveLetterStaysUnderThePath) {
  EXPECT_EQ((Path("/work/") + "C:\\data").full(), "/work/C:/data");
}

TEST(Path, SetExtensionAddsTheDot) {
  Path path("models/robot.obj");
  path.setExtension("mtl");
  EXPECT_EQ(path.extension(), ".mtl");
  EXPECT_EQ(path.fileName(), "robot.mtl");
  EXPECT_EQ(path.full(), "models/robot.mtl");
  path.setExtension(".tga");
  EXPECT_EQ(path.full(), "models/robot.tga");
}

TEST(Path, SetDirectoryRebuildsTheFullPath) {
  Path path("textures/debugHeight.tga");
  path.setDirectory("out\\\\maps");
  EXPECT_EQ(path.directory(), "out/maps");
  EXPECT_EQ(path.full(), "out/maps/debugHeight.tga");
  path.setDirectory("C:\\q\\");
  EXPECT_EQ(path.full(), "C:/q/debugHeight.tga");
  path.setDirectory("");
  EXPECT_EQ(path.full(), "debugHeight.tga");
}

struct MakeCase {
  const char* drive;
  const char* directory;
  const char* name;
  const char* extension;
  const char* expected;
};

void PrintTo(const MakeCase& c, std::ostream* os) { *os << c.drive << "|" << c.directory << "|" << c.name << "|" << c.extension; }

class MakePath : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakePath, JoinsLikeTheWindowsLibrary) {
  const MakeCase& c = GetParam();
  EXPECT_EQ(makePath(c.drive, c.directory, c.name, c.extension), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, MakePath,
    ::testing::Values(MakeCase{"", "a/b", "c", "txt", "a/b\\c.txt"},
                      MakeCase{"", "a/b/", "c", ".txt", "a/b/c.txt"},
                      MakeCase{"C", "\\x\\", "n", ".e", "C:\\x\\n.e"},
                      MakeCase{"C:", "x", "n", "", "C:x\\n"},
                      MakeCase{"", "", "n", "", "n"}, MakeCase{"", "", "", "", ""}));

TEST(Path, SplitPathGivesTheDriveSeparately) {
  std::string drive, directory, name, extension;
  splitPath("C:\\a\\b.txt", drive, directory, name, extension);
  EXPECT_EQ(drive, "C:");
  EXPECT_EQ(directory, "\\a\\");
  EXPECT_EQ(name, "b");
  EXPECT_EQ(extension, ".txt");
  splitPath("x.y/z", drive, directory, name, extension);
  EXPECT_EQ(drive, "");
  EXPECT_EQ(directory, "x.y/");
  EXPECT_EQ(name, "z");
  EXPECT_EQ(extension, "");
}

TEST(Path, ApplicationPathIsTheWorkingDirectoryWithOneSlash) {
  testsupport::TempDir dir;
  // A folder whose name holds backslashes reads like a Windows path.
  const std::string folder = dir.path() + "/win\\dir\\\\name";
  std::filesystem::create_directory(folder);
  testsupport::ScopedWorkingDirectory cwd(folder);
  const std::string real = std::filesystem::current_path().string();
  const std::string expected = real.substr(0, real.size() - 13) + "win/dir/name/";
  EXPECT_EQ(applicationPath(), expected);
}

TEST(Path, ApplicationPathOfTheRootHasASingleSlash) {
  testsupport::ScopedWorkingDirectory cwd("/");
  EXPECT_EQ(applicationPath(), "/");
}

TEST(Path, ProgramApplicationPathWasTakenAtStart) {
  const std::string start = programApplicationPath();
  ASSERT_FALSE(start.empty());
  EXPECT_EQ(start.back(), '/');
  testsupport::TempDir dir;
  testsupport::ScopedWorkingDirectory cwd(dir.path());
  // A later change of directory is not seen.
  EXPECT_EQ(programApplicationPath(), start);
}

}  // namespace

namespace {

// Texts built from the characters that matter to paths, the same ones on every run.
std::vector<std::string> pathLikeTexts() {
  const char alphabet[] = {'a', 'B', '.', '/', '\\', ':', 'C', ' '};
  std::vector<std::string> texts;
  unsigned state = 12345;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    const int length = i % 12;
    for (int k = 0; k < length; ++k) {
      state = state * 1103515245u + 12345u;
      text += alphabet[(state >> 16) % sizeof(alphabet)];
    }
    texts.push_back(text);
  }
  return texts;
}

TEST(Path, PiecesAlwaysPartitionTheNormalisedText) {
  for (const std::string& text : pathLikeTexts()) {
    const Path path(text);
    const std::string& full = path.full();
    EXPECT_EQ(full.find('\\'), std::string::npos) << text;
    EXPECT_EQ(full.find("//"), std::string::npos) << text;
    if (full.empty()) continue;
    EXPECT_EQ(path.directory() + path.fileName(), full) << text;
    EXPECT_EQ(path.fileName(), path.name() + path.extension()) << text;
    EXPECT_EQ(path.name().find('/'), std::string::npos) << text;
    EXPECT_EQ(path.extension().find('/'), std::string::npos) << text;
    if (!path.extension().empty()) {
      EXPECT_EQ(path.extension().front(), '.') << text;
      EXPECT_EQ(path.extension().find('.', 1), std::string::npos) << text;
    }
  }
}

TEST(Path, MakePathUndoesSplitPath) {
  for (const std::string& text : pathLikeTexts()) {
    std::string drive, directory, name, extension;
    splitPath(text, drive, directory, name, extension);
    EXPECT_EQ(makePath(drive, directory, name, extension), text) << text;
  }
}

}  // namespace
