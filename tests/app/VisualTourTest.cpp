#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramRunSupport.h"
#include "image/Image.h"

namespace {

using namespace program_run;
namespace fs = std::filesystem;

constexpr int kChannelTolerance = 8;        // a pixel differs when any channel differs by more
constexpr double kMaxDifferingShare = 0.005;  // a picture fails above 0.5 % differing pixels

const std::vector<std::string> kContexts = {
    "BumpContext",      "Md3Context",          "BumpMd3Context",     "TestContext",
    "ParticleContext",  "ShadowVolumeContext", "LwsImportContext",   "TerrainContext",
    "ChoppyWavesContext", "Water2DContext",    "NewaveContext",      "GerstnerWavesContext"};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // top row first
};

bool loadPicture(const fs::path& path, Picture& picture) {
  if (!fs::exists(path)) return false;
  Image image(path.string());
  if (image.isEmpty()) return false;
  image.convert(ImageFormat::kRgba);
  picture.width = static_cast<int>(image.width());
  picture.height = static_cast<int>(image.height());
  picture.rgba.assign(image.data(), image.data() + image.rowBytes() * image.height());
  return true;
}

void savePicture(const fs::path& path, const Picture& picture) {
  Image image(static_cast<std::uint32_t>(picture.width), static_cast<std::uint32_t>(picture.height),
              ImageFormat::kRgba, picture.rgba.data());
  image.flip();  // created images are saved bottom row first
  image.savePng(path.string());
}

// Number of pixels with a channel off by more than the tolerance; fills diff with red where they
// differ and a dimmed copy of the actual picture elsewhere.
int countDifferences(const Picture& expected, const Picture& actual, Picture& diff) {
  diff = actual;
  int differing = 0;
  const std::size_t pixels = static_cast<std::size_t>(actual.width) * actual.height;
  for (std::size_t p = 0; p < pixels; ++p) {
    bool differs = false;
    for (int c = 0; c < 4; ++c) {
      const int d = std::abs(int(expected.rgba[p * 4 + c]) - int(actual.rgba[p * 4 + c]));
      if (d > kChannelTolerance) differs = true;
    }
    std::uint8_t* out = &diff.rgba[p * 4];
    if (differs) {
      ++differing;
      out[0] = 255, out[1] = 0, out[2] = 0;
    } else {
      out[0] /= 3, out[1] /= 3, out[2] /= 3;
    }
    out[3] = 255;
  }
  return differing;
}

// A working directory that sees the generated data like the build directory does, with the
// build's settings at 320 x 240.
fs::path tourDirectory(const std::string& name) {
  const fs::path dir = freshDirectory(name);
  const fs::path build(TESTBED_BINARY_DIR);
  for (const char* entry : {"data", "q3a"}) {
    if (fs::exists(build / entry)) fs::create_directory_symlink(build / entry, dir / entry);
  }
  std::string settings = readFile(build / "Test.set");
  std::string kept;
  std::istringstream lines(settings);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("resolutionX") != std::string::npos || line.find("resolutionY") != std::string::npos)
      continue;
    kept += line + "\n";
  }
  if (kept.find("windowName") == std::string::npos) kept += "set windowName testbed\n";
  kept += "set resolutionX 320\nset resolutionY 240\n";
  writeFile(dir / "Test.set", kept);
  return dir;
}

void runTour(const fs::path& dir, const std::string& extra = "") {
  const Result result = run(dir, "--headless --tour tour" + extra);
  ASSERT_EQ(result.status, 0) << result.err;
  for (const std::string& name : kContexts) {
    ASSERT_TRUE(fs::exists(dir / "tour" / (name + ".png"))) << name;
  }
}

const fs::path kReferences = fs::path(TESTBED_SOURCE_DIR) / "tests" / "app" / "reference";

// Compares a rendered picture with reference/<name>.png; on failure saves the actual and difference
// pictures into failures/.
void expectMatchesReference(const std::string& name, const fs::path& actualPath, const fs::path& failures) {
  Picture expected, actual;
  ASSERT_TRUE(loadPicture(kReferences / (name + ".png"), expected))
      << "no reference picture for " << name << " (scripts/update-references.sh makes them)";
  ASSERT_TRUE(loadPicture(actualPath, actual)) << name;
  ASSERT_EQ(actual.width, 320) << name;
  ASSERT_EQ(actual.height, 240) << name;
  ASSERT_EQ(expected.width, actual.width) << name;
  ASSERT_EQ(expected.height, actual.height) << name;
  Picture diff;
  const int differing = countDifferences(expected, actual, diff);
  const double share = double(differing) / (double(actual.width) * actual.height);
  if (share > kMaxDifferingShare) {
    fs::create_directories(failures);
    savePicture(failures / (name + ".actual.png"), actual);
    savePicture(failures / (name + ".diff.png"), diff);
  }
  EXPECT_LE(share, kMaxDifferingShare)
      << name << ": " << differing << " pixels differ; actual and difference pictures in " << failures;
}

TEST(VisualTourTest, EveryContextMatchesItsReferencePicture) {
  const fs::path dir = tourDirectory("visual");
  ASSERT_NO_FATAL_FAILURE(runTour(dir));
  {
    // The picture is the right way up: the overlay's white text sits at the top left.
    Picture bump;
    ASSERT_TRUE(loadPicture(dir / "tour" / "BumpContext.png", bump));
    int brightInOverlay = 0;
    for (int y = 5; y < 20; ++y)
      for (int x = 5; x < 120; ++x) brightInOverlay += bump.rgba[(y * bump.width + x) * 4] > 200;
    EXPECT_GT(brightInOverlay, 20);
  }
  for (const std::string& name : kContexts) {
    expectMatchesReference(name, dir / "tour" / (name + ".png"), dir / "failures");
  }
}

TEST(VisualTourTest, PicturesDoNotDependOnWhatOtherContextsDrewBefore) {
  // The tour after one drawn frame of every context: each context now starts from whatever device
  // state the others leave (the water's reflection coordinates before the particles, for one).
  const fs::path dir = tourDirectory("cycle-first");
  ASSERT_NO_FATAL_FAILURE(runTour(dir, " --cycle-first"));
  for (const std::string& name : kContexts) {
    expectMatchesReference(name, dir / "tour" / (name + ".png"), dir / "failures");
  }
}

// A picture taken after scripted input: reference/scripted/<name>.input is an input script whose
// header lines "# context: NAME" and "# frames: N" say which context runs and for how many frames;
// its picture is reference/<name>.png.
struct ScriptedPicture {
  std::string name;
  std::string context;
  int frames = 0;
  fs::path script;
};

std::vector<ScriptedPicture> scriptedPictures() {
  std::vector<ScriptedPicture> pictures;
  const fs::path folder = kReferences / "scripted";
  if (!fs::is_directory(folder)) return pictures;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".input") continue;
    ScriptedPicture picture;
    picture.name = entry.path().stem().string();
    picture.script = entry.path();
    std::istringstream lines(readFile(entry.path()));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("# context: ", 0) == 0) picture.context = line.substr(11);
      if (line.rfind("# frames: ", 0) == 0) picture.frames = std::atoi(line.c_str() + 10);
    }
    pictures.push_back(picture);
  }
  std::sort(pictures.begin(), pictures.end(),
            [](const ScriptedPicture& a, const ScriptedPicture& b) { return a.name < b.name; });
  return pictures;
}

TEST(VisualTourTest, ScriptedPicturesMatchTheirReferences) {
  const std::vector<ScriptedPicture> pictures = scriptedPictures();
  if (pictures.empty()) GTEST_SKIP() << "no scripted pictures in " << kReferences / "scripted";
  const fs::path dir = tourDirectory("scripted");
  for (const ScriptedPicture& picture : pictures) {
    SCOPED_TRACE(picture.name);
    ASSERT_FALSE(picture.context.empty()) << picture.script << " names no context";
    ASSERT_GT(picture.frames, 0) << picture.script << " gives no frame count";
    const std::string shot = picture.name + ".png";
    const Result result =
        run(dir, "--headless --fixed-step 20 --context " + picture.context + " --frames " +
                     std::to_string(picture.frames) + " --input '" + picture.script.string() +
                     "' --screenshot " + shot);
    ASSERT_EQ(result.status, 0) << result.err;
    expectMatchesReference(picture.name, dir / shot, dir / "failures");
  }
}

TEST(VisualTourTest, TwoToursGiveIdenticalPictures) {
  const fs::path first = tourDirectory("repeat-a");
  const fs::path second = tourDirectory("repeat-b");
  ASSERT_NO_FATAL_FAILURE(runTour(first));
  ASSERT_NO_FATAL_FAILURE(runTour(second));
  for (const std::string& name : kContexts) {
    Picture a, b;
    ASSERT_TRUE(loadPicture(first / "tour" / (name + ".png"), a)) << name;
    ASSERT_TRUE(loadPicture(second / "tour" / (name + ".png"), b)) << name;
    EXPECT_EQ(a.width, b.width) << name;
    EXPECT_EQ(a.height, b.height) << name;
    EXPECT_TRUE(a.rgba == b.rgba) << name << " differs between two tours of the same build";
  }
}

TEST(VisualTourTest, DifferenceCountUsesTheChannelTolerance) {
  Picture expected{2, 2, std::vector<std::uint8_t>(16, 100)};
  Picture actual = expected;
  actual.rgba[0] = 108;   // pixel 0: within tolerance
  actual.rgba[5] = 109;   // pixel 1: green off by 9
  actual.rgba[11] = 91;   // pixel 2: alpha off by 9
  Picture diff;
  EXPECT_EQ(countDifferences(expected, actual, diff), 2);
  EXPECT_EQ(diff.rgba[4], 255);  // pixel 1 marked red
  EXPECT_EQ(diff.rgba[5], 0);
  EXPECT_EQ(diff.rgba[0], 36);   // pixel 0 dimmed: 108 / 3
}

TEST(VisualTourTest, SavedPictureKeepsTopRowFirst) {
  // A picture whose top row is white and bottom row black must load back the same way up.
  Picture picture{2, 2, {255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255}};
  const fs::path dir = freshDirectory("orientation");
  savePicture(dir / "p.png", picture);
  Picture loaded;
  ASSERT_TRUE(loadPicture(dir / "p.png", loaded));
  EXPECT_EQ(loaded.rgba, picture.rgba);
}

}  // namespace
