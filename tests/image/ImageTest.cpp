#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/ZipArchive.h"
#include "image/Image.h"
#include "tests/foundation/TestSupport.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/TestFiles.h"

using imagetest::endsWith;
using imagetest::logLines;
using imagetest::pixelAt;
using imagetest::pixelBytes;
using testfiles::Bytes;
using testfiles::concat;
using testfiles::tgaHeader;

namespace {

// 2 x 2, 24 bits, stored bottom row first as B, G, R.
const Bytes& kTgaPixels = testfiles::kTga2x2Pixels;
Bytes uncompressedTga() { return testfiles::tga2x2(); }

// 3 x 2 run-length TGA: a run of three (1, 2, 3) then three raw pixels.
const Bytes kRleExpanded = {1, 2, 3, 1, 2, 3, 1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15};
Bytes rleTga() {
  return concat(tgaHeader(10, 3, 2, 24), {0x82, 1, 2, 3, 0x02, 7, 8, 9, 10, 11, 12, 13, 14, 15});
}

// 3 x 2 with 4-byte row padding in the file.
const Bytes kBmpRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19};

// A 16 x 16 RGB picture whose first eight rows are red and the rest blue.
RefPtr<Image> redOverBlue() {
  Bytes pixels(16 * 16 * 3, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) pixels[(y * 16 + x) * 3 + (y < 8 ? 0 : 2)] = 255;
  }
  return new Image(16, 16, ImageFormat::kRgb, pixels.data());
}

void expectNear(const std::uint8_t* pixel, int r, int g, int b, int tolerance, const std::string& where) {
  EXPECT_NEAR(pixel[0], r, tolerance) << where;
  EXPECT_NEAR(pixel[1], g, tolerance) << where;
  EXPECT_NEAR(pixel[2], b, tolerance) << where;
}

void expectEmpty(const Image& image) {
  EXPECT_TRUE(image.isEmpty());
  EXPECT_EQ(image.libraryName(), 0u);
  EXPECT_EQ(image.width(), 0u);
  EXPECT_EQ(image.height(), 0u);
  EXPECT_EQ(image.bitsPerPixel(), 0u);
  EXPECT_EQ(image.format(), 0u);
  EXPECT_EQ(image.data(), nullptr);
}

TEST(ImageTest, BlankImageTakesBitsFromItsFormat) {
  struct Case {
    std::uint32_t format;
    std::uint32_t bits;
  };
  const Case cases[] = {{ImageFormat::kLuminance, 8}, {ImageFormat::kRgb, 24}, {ImageFormat::kBgr, 24},
                        {ImageFormat::kRgba, 32},     {ImageFormat::kBgra, 32}, {0x1234, 32}};
  for (const Case& c : cases) {
    Image image(5, 3, c.format, nullptr);
    EXPECT_FALSE(image.isEmpty()) << c.format;
    EXPECT_EQ(image.width(), 5u);
    EXPECT_EQ(image.height(), 3u);
    EXPECT_EQ(image.format(), c.format);
    EXPECT_EQ(image.bitsPerPixel(), c.bits) << c.format;
    EXPECT_EQ(image.rowBytes(), 5 * c.bits / 8);
    EXPECT_NE(image.data(), nullptr);
  }
}

TEST(ImageTest, ImageFromRowsHoldsThemTightlyPacked) {
  const Bytes rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  Image image(3, 2, ImageFormat::kRgba, rows.data());
  EXPECT_EQ(pixelBytes(image), rows);
}

TEST(ImageTest, OversizedBlankImageIsRefusedWithALogLine) {
  Image image(Image::kMaxDimension + 1, 4, ImageFormat::kRgb, nullptr);
  expectEmpty(image);
  EXPECT_TRUE(endsWith(logLines().back(), "Image creation failed"));
}

TEST(ImageTest, LoadsTgaBmpFilesInTheirOwnRowOrder) {
  struct Case {
    std::string file;
    Bytes contents;
    std::uint32_t width, height;
    std::uint32_t format, bits;
    Bytes pixels;
  };
  Bytes tga32 = tgaHeader(2, 1, 2, 32, 8);
  tga32 = concat(tga32, {1, 2, 3, 200, 4, 5, 6, 100});
  const std::vector<Case> cases = {
      {"plain.tga", uncompressedTga(), 2, 2, ImageFormat::kBgr, 24, kTgaPixels},
      {"runs.TGA", rleTga(), 3, 2, ImageFormat::kBgr, 24, kRleExpanded},
      {"alpha.tga", tga32, 1, 2, ImageFormat::kBgra, 32, {1, 2, 3, 200, 4, 5, 6, 100}},
      {"classic.bmp", testfiles::bmp24(3, 2, kBmpRows), 3, 2, ImageFormat::kBgr, 24, kBmpRows},
  };
  for (const Case& c : cases) {
    const std::string path = testfiles::scratchPath(c.file);
    testfiles::writeFile(path, c.contents);
    Image image(path);
    EXPECT_EQ(image.width(), c.width) << c.file;
    EXPECT_EQ(image.height(), c.height) << c.file;
    EXPECT_EQ(image.format(), c.format) << c.file;
    EXPECT_EQ(image.bitsPerPixel(), c.bits) << c.file;
    EXPECT_EQ(pixelBytes(image), c.pixels) << c.file;
  }
}

TEST(ImageTest, ColourMappedTgaArrivesAsTrueColour) {
  // Type 1: a colour map of two 24-bit entries (B, G, R), then one index byte per pixel.
  Bytes tga = tgaHeader(1, 3, 1, 8);
  tga[1] = 1;   // has a colour map
  tga[5] = 2;   // two entries
  tga[7] = 24;  // bits per entry
  tga = concat(tga, {10, 20, 30, 40, 50, 60, 1, 0, 1});
  const std::string path = testfiles::scratchPath("mapped.tga");
  testfiles::writeFile(path, tga);
  Image image(path);
  ASSERT_EQ(image.width(), 3u);
  EXPECT_GE(image.bitsPerPixel(), 24u);
  const std::uint8_t* first = pixelAt(image, 0, 0);
  const std::uint8_t* second = pixelAt(image, 1, 0);
  const bool bgr = image.format() == ImageFormat::kBgr || image.format() == ImageFormat::kBgra;
  EXPECT_EQ(first[bgr ? 0 : 2], 40);
  EXPECT_EQ(first[1], 50);
  EXPECT_EQ(second[bgr ? 0 : 2], 10);
  EXPECT_EQ(second[1], 20);
}

TEST(ImageTest, JpegKeepsItsTopRowFirst) {
  const std::string path = testfiles::scratchPath("halves.jpg");
  ASSERT_TRUE(redOverBlue()->save(ImageFileType::kJpg, path));
  Image image(path);
  ASSERT_EQ(image.width(), 16u);
  ASSERT_EQ(image.height(), 16u);
  EXPECT_EQ(image.format(), ImageFormat::kRgb);
  EXPECT_EQ(image.bitsPerPixel(), 24u);
  // The created picture's rows count from the bottom; the JPEG file and its decoded rows from the top.
  expectNear(pixelAt(image, 4, 2), 0, 0, 255, 12, "top rows");
  expectNear(pixelAt(image, 4, 13), 255, 0, 0, 12, "bottom rows");
}

// The log lines written since `before` lines were there.
std::vector<std::string> linesSince(std::size_t before) {
  const std::vector<std::string> lines = logLines();
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(std::min(before, lines.size())), lines.end());
}

TEST(ImageTest, MissingFileLogsOnlyTheNotFoundLine) {
  const std::string path = testfiles::scratchPath("missing.tga");
  const std::size_t before = logLines().size();
  Image image(path);
  expectEmpty(image);
  const std::vector<std::string> lines = linesSince(before);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("ERROR", 0), 0u);
  EXPECT_TRUE(endsWith(lines[0], "\"" + path + "\" not found.")) << lines[0];
}

// A file that is there but cannot be used: the fixed "not found." line, then one line that names
// the file again with the reason.
TEST(ImageTest, FileThatCannotBeUsedLogsNotFoundAndTheReason) {
  Bytes hugeBmp = testfiles::bmp24(1, 1, {1, 2, 3});
  testfiles::putLittle32(hugeBmp, 18, 40000);
  testfiles::putLittle32(hugeBmp, 22, 40000);
  const Bytes tga = uncompressedTga();
  const Bytes bmp = testfiles::bmp24(3, 2, kBmpRows);
  const Bytes rle = rleTga();
  Bytes png;
  Bytes jpeg;
  {
    const std::string pngPath = testfiles::scratchPath("whole.png");
    ASSERT_TRUE(redOverBlue()->savePng(pngPath));
    png = testfiles::readFile(pngPath);
    const std::string jpegPath = testfiles::scratchPath("whole.jpg");
    ASSERT_TRUE(redOverBlue()->save(ImageFileType::kJpg, jpegPath));
    jpeg = testfiles::readFile(jpegPath);
  }
  const auto cut = [](const Bytes& bytes, std::size_t keep) { return Bytes(bytes.begin(), bytes.begin() + keep); };
  struct Case {
    std::string file;
    Bytes contents;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"garbage.tga", testfiles::toBytes("not an image at all, just text"), "cannot decode"},
      {"garbage.jpg", Bytes(64, 0x5A), "cannot decode"},
      {"zero.bmp", {}, "truncated"},
      {"header.tga", cut(tga, 10), "truncated"},
      {"half.tga", cut(tga, tga.size() - 3), "truncated"},
      {"runs.tga", cut(rle, rle.size() - 4), "truncated"},
      {"half.bmp", cut(bmp, bmp.size() - 6), "truncated"},
      {"half.png", cut(png, png.size() / 2), "truncated"},
      {"half.jpg", cut(jpeg, jpeg.size() / 2), "truncated"},
      {"wide.tga", concat(tgaHeader(2, 60000, 60000, 32), {1, 2, 3, 4}), "too large"},
      {"tall.tga", concat(tgaHeader(2, 1, Image::kMaxDimension + 1, 24), {1, 2, 3}), "too large"},
      {"huge.bmp", hugeBmp, "too large"},
  };
  for (const Case& c : cases) {
    const std::string path = testfiles::scratchPath(c.file);
    testfiles::writeFile(path, c.contents);
    const std::size_t before = logLines().size();
    Image image(path);
    expectEmpty(image);
    const std::vector<std::string> lines = linesSince(before);
    ASSERT_EQ(lines.size(), 2u) << c.file;
    EXPECT_TRUE(endsWith(lines[0], "\"" + path + "\" not found.")) << lines[0];
    EXPECT_EQ(lines[1].rfind("ERROR", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("\"" + path + "\": " + c.reason), std::string::npos) << c.file << ": " << lines[1];
  }
}

// Only regular files are read: opening a pipe would wait for a writer that never comes, and a
// device may block or never end.
TEST(ImageTest, PipesDevicesAndDirectoriesAreRefusedWithoutWaiting) {
  const std::string folder = testfiles::scratchPath("folder.tga");
  std::filesystem::create_directories(folder);
  const std::string pipe = testfiles::scratchPath("pipe.tga");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string link = testfiles::scratchPath("link_to_pipe.jpg");
  std::filesystem::create_symlink(pipe, link);
  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {{folder, "unreadable (a directory)"},
                        {pipe, "unreadable (a pipe)"},
                        {link, "unreadable (a pipe)"},
                        {"/dev/null", "unreadable (a device)"}};
  for (const Case& c : cases) {
    const std::size_t before = logLines().size();
    RefPtr<Image> image;
    EXPECT_TRUE(testsupport::returnsWithoutWaitingOnPipe(pipe, [&] { image = new Image(c.path); })) << c.path;
    expectEmpty(*image);
    const std::vector<std::string> lines = linesSince(before);
    ASSERT_EQ(lines.size(), 2u) << c.path;
    EXPECT_TRUE(endsWith(lines[0], "\"" + c.path + "\" not found.")) << lines[0];
    EXPECT_EQ(lines[1].rfind("ERROR", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("\"" + c.path + "\": " + c.reason), std::string::npos) << lines[1];
  }
}

TEST(ImageTest, LoadsArchiveMembersByContent) {
  const std::string jpegPath = testfiles::scratchPath("member_source.jpg");
  ASSERT_TRUE(redOverBlue()->save(ImageFileType::kJpg, jpegPath));
  const std::string archivePath = testfiles::scratchPath("images.pk3");
  ASSERT_TRUE(testfiles::writeZip(archivePath, {{"skins/plain.tga", uncompressedTga()},
                                                {"skins/Runs.tga", rleTga()},
                                                {"skins/classic.bmp", testfiles::bmp24(3, 2, kBmpRows)},
                                                {"skins/photo.jpg", testfiles::readFile(jpegPath)}}));
  ZipArchive archive(archivePath);
  ASSERT_TRUE(archive.isOpen());

  Image plain(archive, "SKINS/PLAIN.TGA");
  EXPECT_EQ(plain.format(), ImageFormat::kBgr);
  EXPECT_EQ(pixelBytes(plain), kTgaPixels);
  Image runs(archive, "skins/runs.tga");
  EXPECT_EQ(runs.width(), 3u);
  EXPECT_EQ(pixelBytes(runs), kRleExpanded);
  Image bmp(archive, "skins/classic.bmp");
  EXPECT_EQ(pixelBytes(bmp), kBmpRows);
  Image photo(archive, "skins/photo.jpg");
  Image fromFile(jpegPath);
  EXPECT_EQ(photo.format(), ImageFormat::kRgb);
  EXPECT_EQ(pixelBytes(photo), pixelBytes(fromFile));
  EXPECT_FALSE(archive.isMemberOpen());
}

TEST(ImageTest, MissingMemberIsEmptyWithoutALogLine) {
  const std::string archivePath = testfiles::scratchPath("one_member.pk3");
  ASSERT_TRUE(testfiles::writeZip(archivePath, {{"a.tga", uncompressedTga()}}));
  ZipArchive archive(archivePath);
  const std::size_t linesBefore = logLines().size();
  Image missing(archive, "b.tga");
  expectEmpty(missing);
  ZipArchive closed(testfiles::scratchPath("no_such_archive.pk3"));
  Image fromClosed(closed, "a.tga");
  expectEmpty(fromClosed);
  EXPECT_EQ(logLines().size(), linesBefore);
}

TEST(ImageTest, UndecodableMemberLogsTheMemberName) {
  const std::string archivePath = testfiles::scratchPath("bad_member.pk3");
  ASSERT_TRUE(testfiles::writeZip(archivePath, {{"skins/broken.tga", testfiles::toBytes("rubbish")},
                                                {"skins/ok.tga", uncompressedTga()}}));
  ZipArchive archive(archivePath);
  const std::size_t before = logLines().size();
  Image broken(archive, "skins/broken.tga");
  expectEmpty(broken);
  const std::vector<std::string> lines = linesSince(before);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(endsWith(lines[0], "\"skins/broken.tga\" not found.")) << lines[0];
  EXPECT_NE(lines[1].find("\"skins/broken.tga\": truncated"), std::string::npos) << lines[1];
  Image next(archive, "skins/ok.tga");  // the member was closed again
  EXPECT_EQ(pixelBytes(next), kTgaPixels);
}

TEST(ImageTest, CopyIsDeepAndKeepsTheFormat) {
  const Bytes rows = {1, 2, 3, 4, 5, 6};
  Image original(2, 1, ImageFormat::kBgr, rows.data());
  Image copy(original);
  EXPECT_NE(copy.libraryName(), original.libraryName());
  EXPECT_EQ(copy.format(), ImageFormat::kBgr);
  EXPECT_EQ(copy.bitsPerPixel(), 24u);
  EXPECT_EQ(copy.referenceCount(), 0u);
  copy.data()[0] = 99;
  copy.convert(ImageFormat::kRgba);
  EXPECT_EQ(pixelBytes(original), rows);
  EXPECT_EQ(original.format(), ImageFormat::kBgr);

  Image empty;
  Image emptyCopy(empty);
  expectEmpty(emptyCopy);
}

TEST(ImageTest, SavedTgaReadsBackEqual) {
  struct Case {
    std::uint32_t format;
    Bytes rows;
  };
  const Case cases[] = {
      {ImageFormat::kBgr, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
      {ImageFormat::kBgra, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
  };
  for (const Case& c : cases) {
    Image image(3, 2, c.format, c.rows.data());
    const std::string path = testfiles::scratchPath("saved.tga");
    ASSERT_TRUE(image.saveTga(path));
    Image loaded(path);
    EXPECT_EQ(loaded.width(), 3u);
    EXPECT_EQ(loaded.height(), 2u);
    EXPECT_EQ(loaded.format(), c.format);
    EXPECT_EQ(pixelBytes(loaded), c.rows);
  }
}

TEST(ImageTest, SavedTgaHeaderPlacesThePictureAtTheOrigin) {
  // Bytes 8 to 11: x and y origin, both 0, the same on every save.
  Image image(2, 2, ImageFormat::kBgr, kTgaPixels.data());
  for (int run = 0; run < 3; ++run) {
    const std::string path = testfiles::scratchPath("origin.tga");
    ASSERT_TRUE(image.saveTga(path));
    const Bytes file = testfiles::readFile(path);
    ASSERT_GE(file.size(), 18u);
    EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 12), Bytes(4, 0)) << "run " << run;
  }
}

TEST(ImageTest, SaveReplacesAnExistingFile) {
  const std::string path = testfiles::scratchPath("replaced.tga");
  testfiles::writeFile(path, Bytes(5000, 0xAB));
  Image image(2, 2, ImageFormat::kBgr, kTgaPixels.data());
  ASSERT_TRUE(image.saveTga(path));
  Image loaded(path);
  EXPECT_EQ(pixelBytes(loaded), kTgaPixels);
  EXPECT_LT(testfiles::readFile(path).size(), 5000u);
}

TEST(ImageTest, SavedPngShowsTheBottomRowLast) {
  // Rows of a created picture count from the bottom, as a frame read back from the device does.
  const Bytes rows = {255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
  Image image(2, 2, ImageFormat::kRgba, rows.data());
  const std::string path = testfiles::scratchPath("shot.png");
  ASSERT_TRUE(image.savePng(path));
  const Bytes file = testfiles::readFile(path);
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(file[1], 'P');
  Image loaded(path);
  ASSERT_EQ(loaded.format(), ImageFormat::kRgba);
  expectNear(pixelAt(loaded, 0, 0), 0, 255, 0, 0, "PNG top row");
  expectNear(pixelAt(loaded, 1, 1), 255, 0, 0, 0, "PNG bottom row");
}

TEST(ImageTest, EmptyImageOperationsAreHarmless) {
  Image image;
  std::uint8_t sentinel[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  image.copyTo(sentinel, 4);
  image.copyFrom(sentinel, 4);
  image.flip();
  image.convert(ImageFormat::kBgra);
  image.convert(ImageFormat::kHls);
  EXPECT_FALSE(image.saveTga(testfiles::scratchPath("never.tga")));
  EXPECT_EQ(sentinel[0], 7);
  expectEmpty(image);
}

TEST(ImageTest, FlipReversesTheRows) {
  const Bytes rows = {1, 2, 3, 4, 5, 6};
  Image image(2, 3, ImageFormat::kLuminance, rows.data());
  image.flip();
  EXPECT_EQ(pixelBytes(image), (Bytes{5, 6, 3, 4, 1, 2}));
}

TEST(ImageTest, CopyToAndCopyFromHonourThePitch) {
  const Bytes rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 2 x 2 RGB
  struct Case {
    int pitch;
    Bytes expected;  // destination of 16 bytes, first filled with 0xEE
  };
  const std::uint8_t E = 0xEE;
  const Case cases[] = {
      {6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, E, E, E, E}},
      {8, {1, 2, 3, 4, 5, 6, E, E, 7, 8, 9, 10, 11, 12, E, E}},
      {5, {E, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E}},
      {-8, {E, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E}},
  };
  for (const Case& c : cases) {
    Image image(2, 2, ImageFormat::kRgb, rows.data());
    Bytes dest(16, E);
    image.copyTo(dest.data(), c.pitch);
    EXPECT_EQ(dest, c.expected) << "copyTo pitch " << c.pitch;

    Image target(2, 2, ImageFormat::kRgb, Bytes(12, 0).data());
    Bytes source = c.expected;
    target.copyFrom(source.data(), c.pitch);
    const bool copies = c.pitch >= 6;
    EXPECT_EQ(pixelBytes(target), copies ? rows : Bytes(12, 0)) << "copyFrom pitch " << c.pitch;
  }
}

TEST(ImageTest, BoundedCopyStaysInsideTheDestination) {
  const Bytes rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};  // 3 x 2 RGB
  Image image(3, 2, ImageFormat::kRgb, rows.data());
  const std::uint8_t E = 0xEE;
  Bytes dest(8, E);
  image.copyTo(dest.data(), 4, 1, 4);  // one row of four bytes
  EXPECT_EQ(dest, (Bytes{1, 2, 3, 4, E, E, E, E}));
  Bytes wide(24, E);
  image.copyTo(wide.data(), 12, 5, 100);  // larger bounds: the image's own size
  EXPECT_EQ(Bytes(wide.begin(), wide.begin() + 9), Bytes(rows.begin(), rows.begin() + 9));
  EXPECT_EQ(Bytes(wide.begin() + 12, wide.begin() + 21), Bytes(rows.begin() + 9, rows.end()));
  EXPECT_EQ(wide[9], E);
  EXPECT_EQ(wide[23], E);
}

TEST(ImageTest, ConvertToTheSameFormatChangesNothing) {
  const Bytes rows = {1, 2, 3, 4, 5, 6};
  Image image(2, 1, ImageFormat::kRgb, rows.data());
  const std::uint8_t* before = image.data();
  image.convert(ImageFormat::kRgb);
  EXPECT_EQ(image.data(), before);
  EXPECT_EQ(pixelBytes(image), rows);
}

TEST(ImageTest, ConvertBetweenLibraryFormatsRereadsTheFields) {
  const Bytes rows = {1, 2, 3, 4, 5, 6};
  Image image(2, 1, ImageFormat::kRgb, rows.data());
  image.convert(ImageFormat::kBgra);
  EXPECT_EQ(image.format(), ImageFormat::kBgra);
  EXPECT_EQ(image.bitsPerPixel(), 32u);
  EXPECT_EQ(pixelBytes(image), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
  image.convert(ImageFormat::kLuminance);
  EXPECT_EQ(image.bitsPerPixel(), 8u);
  EXPECT_EQ(image.rowBytes(), 2u);
}

struct HlsCase {
  std::uint8_t r, g, b;
  std::uint8_t h, s, l;
};

// Foley and van Dam's rule by hand: grey has no hue or saturation; pure red has hue 1.0 (255);
// lightness is (max + min) / 2, truncated after scaling by 1/255 and 255 again.
const HlsCase kHlsCases[] = {
    {33, 33, 33, 0, 0, 32},          {128, 128, 128, 0, 0, 128}, {255, 255, 255, 0, 0, 255},
    {0, 0, 0, 0, 0, 0},              {255, 0, 0, 255, 255, 127}, {0, 255, 0, 85, 255, 127},
    {0, 0, 255, 170, 255, 127},      {200, 100, 50, 14, 153, 125}, {10, 20, 30, 148, 127, 20},
    {64, 32, 16, 14, 153, 40},
};

TEST(ImageHlsTest, RgbToHlsFollowsFoleyVanDam) {
  for (const HlsCase& c : kHlsCases) {
    const Bytes rgba = {c.r, c.g, c.b, 77};
    Image image(1, 1, ImageFormat::kRgba, rgba.data());
    image.convert(ImageFormat::kHls);
    EXPECT_EQ(image.format(), ImageFormat::kHls);
    EXPECT_EQ(image.bitsPerPixel(), 32u);
    EXPECT_EQ(pixelBytes(image), (Bytes{c.h, c.s, c.l, 77})) << int(c.r) << "," << int(c.g) << "," << int(c.b);
  }
}

TEST(ImageHlsTest, BgrImagesReadRedFromTheThirdByte) {
  for (const HlsCase& c : kHlsCases) {
    const Bytes bgr = {c.b, c.g, c.r};
    Image image(1, 1, ImageFormat::kBgr, bgr.data());
    image.convert(ImageFormat::kHls);
    EXPECT_EQ(pixelBytes(image), (Bytes{c.h, c.s, c.l})) << int(c.r) << "," << int(c.g) << "," << int(c.b);
  }
}

TEST(ImageHlsTest, RoundTripStaysWithinOneStepPerChannel) {
  Bytes rgb;
  for (const HlsCase& c : kHlsCases) rgb.insert(rgb.end(), {c.r, c.g, c.b});
  const std::uint32_t count = static_cast<std::uint32_t>(std::size(kHlsCases));
  Image image(count, 1, ImageFormat::kRgb, rgb.data());
  image.convert(ImageFormat::kHls);
  image.convert(ImageFormat::kRgb);
  EXPECT_EQ(image.format(), ImageFormat::kRgb);
  EXPECT_EQ(image.bitsPerPixel(), 24u);
  const Bytes back = pixelBytes(image);
  ASSERT_EQ(back.size(), rgb.size());
  for (std::size_t i = 0; i < rgb.size(); ++i) EXPECT_NEAR(back[i], rgb[i], 1) << "byte " << i;
  // Pure red comes back as red: hue 1.0 is the same angle as hue 0.
  EXPECT_EQ(back[12], 254);
  EXPECT_EQ(back[13], 0);
  EXPECT_EQ(back[14], 0);
}

TEST(ImageHlsTest, LeavingHlsForBgrWritesBlueFirst) {
  const Bytes rgb = {255, 0, 0, 200, 100, 50};
  Image image(2, 1, ImageFormat::kRgb, rgb.data());
  image.convert(ImageFormat::kHls);
  image.convert(ImageFormat::kBgr);
  EXPECT_EQ(image.format(), ImageFormat::kBgr);
  EXPECT_EQ(image.bitsPerPixel(), 24u);
  EXPECT_EQ(pixelBytes(image), (Bytes{0, 0, 254, 49, 99, 200}));
}

TEST(ImageHlsTest, LeavingHlsForAnotherSizeConvertsThePixels) {
  const Bytes rgb = {255, 0, 0};
  Image image(1, 1, ImageFormat::kRgb, rgb.data());
  image.convert(ImageFormat::kHls);
  image.convert(ImageFormat::kBgra);
  EXPECT_EQ(image.format(), ImageFormat::kBgra);
  EXPECT_EQ(image.bitsPerPixel(), 32u);
  EXPECT_EQ(pixelBytes(image), (Bytes{0, 0, 254, 255}));
}

TEST(ImageHlsTest, LuminanceBecomesRgbBeforeHls) {
  const Bytes grey = {100, 33};
  Image image(2, 1, ImageFormat::kLuminance, grey.data());
  image.convert(ImageFormat::kHls);
  EXPECT_EQ(image.bitsPerPixel(), 24u);
  EXPECT_EQ(pixelBytes(image), (Bytes{0, 0, 100, 0, 0, 32}));
}

}  // namespace
