#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/ZipArchive.h"
#include "foundation/ZipInputStream.h"
#include "tests/image/TestFiles.h"

using testfiles::Bytes;
using testfiles::toBytes;

namespace {

Bytes patternBytes(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 256) % 251);
  return bytes;
}

bool sameBytes(const std::vector<char>& got, const Bytes& expected, std::size_t offset = 0) {
  if (offset + got.size() > expected.size()) return false;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (static_cast<std::uint8_t>(got[i]) != expected[offset + i]) return false;
  }
  return true;
}

std::string readAll(std::istream& stream) {
  std::string text;
  char c;
  while (stream.get(c)) text.push_back(c);
  return text;
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    archivePath = testfiles::scratchPath("members.zip");
    ASSERT_TRUE(testfiles::writeZip(archivePath, {
        {"models/head.md3", toBytes("HEAD")},
        {"Textures/Skin.TGA", toBytes("SKIN")},
        {"crlf.txt", toBytes("a\r\nb\r\n")},
        {"lines.cfg", toBytes("first line\r\nsecond\r\n\r\nlast")},
        {"binary.bin", patternBytes(10000)},
        {"empty.txt", {}},
    }));
  }

  static std::string archivePath;
};

std::string ZipArchiveTest::archivePath;

TEST_F(ZipArchiveTest, MemberNamesMatchWithoutRegardToCase) {
  ZipArchive archive(archivePath);
  ASSERT_TRUE(archive.isOpen());
  struct Case {
    const char* asked;
    const char* contents;
  };
  const Case cases[] = {
      {"models/head.md3", "HEAD"},
      {"MODELS/HEAD.MD3", "HEAD"},
      {"Models/Head.Md3", "HEAD"},
      {"textures/skin.tga", "SKIN"},
      {"TEXTURES/SKIN.TGA", "SKIN"},
  };
  for (const Case& c : cases) {
    ZipInputStream stream(archive, c.asked, std::ios::binary);
    ASSERT_TRUE(stream.good()) << c.asked;
    EXPECT_EQ(readAll(stream), c.contents) << c.asked;
  }
}

// CRC-32 of "HEAD" (zlib's crc32, the zip format's checksum), worked out with Python's
// zlib.crc32(b"HEAD").
TEST_F(ZipArchiveTest, MemberChecksumsComeFromTheDirectoryWithoutOpeningAMember) {
  ZipArchive archive(archivePath);
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  ASSERT_TRUE(archive.memberChecksum("MODELS/head.md3", crc, size));
  EXPECT_EQ(crc, 0x91661B28u);
  EXPECT_EQ(size, 4u);
  ASSERT_TRUE(archive.memberChecksum("binary.bin", crc, size));
  EXPECT_EQ(size, 10000u);
  EXPECT_TRUE(archive.memberChecksum("empty.txt", crc, size));
  EXPECT_EQ(crc, 0u);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(archive.memberChecksum("missing.txt", crc, size));
  // Not while a member is open: the lookup would move minizip off it.
  ASSERT_TRUE(archive.openMember("lines.cfg"));
  EXPECT_FALSE(archive.memberChecksum("crlf.txt", crc, size));
  archive.closeMember();
  EXPECT_TRUE(archive.memberChecksum("crlf.txt", crc, size));
}

TEST_F(ZipArchiveTest, MissingMemberLeavesTheStreamFailed) {
  ZipArchive archive(archivePath);
  for (const char* name : {"models/head.md", "head.md3", "", "models/head.md3x"}) {
    ZipInputStream stream(archive, name, std::ios::binary);
    EXPECT_TRUE(stream.fail()) << name;
    EXPECT_FALSE(stream.isOpen()) << name;
    EXPECT_EQ(stream.memberSize(), -1) << name;
    char c;
    EXPECT_FALSE(stream.get(c)) << name;
  }
  EXPECT_FALSE(archive.isMemberOpen());
}

TEST_F(ZipArchiveTest, ArchiveThatIsMissingOrNotAZipIsNotOpen) {
  const std::string notZip = testfiles::scratchPath("not_a_zip.pk3");
  testfiles::writeFile(notZip, toBytes("this is plain text, not an archive"));
  for (const std::string& path : {testfiles::scratchPath("absent.pk3"), notZip}) {
    ZipArchive archive(path);
    EXPECT_FALSE(archive.isOpen()) << path;
    EXPECT_FALSE(archive.openMember("models/head.md3")) << path;
    EXPECT_EQ(archive.read(nullptr, 0), -1);
    EXPECT_EQ(archive.memberSize(), -1);
    EXPECT_FALSE(archive.close());
    ZipInputStream stream(archive, "models/head.md3");
    EXPECT_TRUE(stream.fail()) << path;
  }
}

TEST_F(ZipArchiveTest, ArchiveOperationsFollowTheOpenMember) {
  ZipArchive archive(archivePath);
  EXPECT_FALSE(archive.closeMember());
  EXPECT_EQ(archive.memberSize(), -1);
  char buffer[16];
  EXPECT_EQ(archive.read(buffer, sizeof buffer), -1);

  ASSERT_TRUE(archive.openMember("binary.bin"));
  EXPECT_FALSE(archive.openMember("crlf.txt"));  // one member at a time
  EXPECT_EQ(archive.memberSize(), 10000);
  EXPECT_EQ(archive.read(buffer, 4), 4);
  const Bytes expected = patternBytes(4);
  EXPECT_EQ(Bytes(buffer, buffer + 4), expected);
  EXPECT_TRUE(archive.closeMember());
  EXPECT_FALSE(archive.closeMember());

  ASSERT_TRUE(archive.openMember("crlf.txt"));
  EXPECT_EQ(archive.memberSize(), 6);
  EXPECT_TRUE(archive.close());  // closes the member too
  EXPECT_FALSE(archive.isOpen());
  EXPECT_FALSE(archive.isMemberOpen());
  EXPECT_FALSE(archive.close());
}

TEST_F(ZipArchiveTest, TextModeFoldsCarriageReturnLineFeedBinaryKeepsIt) {
  ZipArchive archive(archivePath);
  {
    ZipInputStream text(archive, "crlf.txt");
    EXPECT_EQ(readAll(text), "a\nb\n");
  }
  {
    ZipInputStream binary(archive, "crlf.txt", std::ios::in | std::ios::binary);
    EXPECT_EQ(readAll(binary), "a\r\nb\r\n");
    EXPECT_EQ(binary.memberSize(), 6);
  }
}

TEST_F(ZipArchiveTest, GetlineReadsTextMembersLineByLine) {
  ZipArchive archive(archivePath);
  ZipInputStream stream(archive, "LINES.CFG");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"first line", "second", "", "last"}));
  EXPECT_TRUE(stream.eof());
}

TEST_F(ZipArchiveTest, EmptyMemberReadsAsEndOfFile) {
  ZipArchive archive(archivePath);
  ZipInputStream stream(archive, "empty.txt");
  ASSERT_TRUE(stream.good());
  EXPECT_EQ(stream.memberSize(), 0);
  EXPECT_EQ(stream.peek(), std::char_traits<char>::eof());
  EXPECT_TRUE(stream.eof());
}

TEST_F(ZipArchiveTest, LargeBinaryReadsArriveWhole) {
  ZipArchive archive(archivePath);
  ZipInputStream stream(archive, "binary.bin", std::ios::binary);
  const Bytes expected = patternBytes(10000);
  std::vector<char> buffer(1000);
  for (int block = 0; block < 10; ++block) {
    ASSERT_TRUE(stream.read(buffer.data(), 1000)) << block;
    EXPECT_EQ(stream.gcount(), 1000);
    EXPECT_TRUE(sameBytes(buffer, expected, block * 1000)) << block;
  }
  EXPECT_FALSE(stream.read(buffer.data(), 1));
  EXPECT_EQ(stream.gcount(), 0);
  EXPECT_TRUE(stream.eof());
}

TEST_F(ZipArchiveTest, ReadPastTheEndDeliversWhatThereIs) {
  ZipArchive archive(archivePath);
  ZipInputStream stream(archive, "binary.bin", std::ios::binary);
  std::vector<char> buffer(12000);
  stream.read(buffer.data(), 12000);
  EXPECT_EQ(stream.gcount(), 10000);
  EXPECT_TRUE(stream.eof());
  EXPECT_TRUE(stream.fail());
}

TEST_F(ZipArchiveTest, SeekingDoesNotMoveTheReadPosition) {
  ZipArchive archive(archivePath);
  ZipInputStream stream(archive, "binary.bin", std::ios::binary);
  const Bytes expected = patternBytes(10000);
  char buffer[3];
  ASSERT_TRUE(stream.read(buffer, 3));
  EXPECT_EQ(stream.tellg(), std::streampos(-1));
  stream.clear();
  stream.seekg(0);
  EXPECT_TRUE(stream.fail());
  stream.clear();
  stream.seekg(500, std::ios::cur);
  stream.clear();
  EXPECT_EQ(static_cast<std::uint8_t>(stream.get()), expected[3]);
}

TEST_F(ZipArchiveTest, UngetWorksInsideAFillAndFailsRightAfterARefill) {
  ZipArchive archive(archivePath);
  const Bytes expected = patternBytes(10000);
  {
    ZipInputStream stream(archive, "binary.bin", std::ios::binary);
    EXPECT_EQ(stream.get(), expected[0]);
    EXPECT_EQ(stream.get(), expected[1]);
    ASSERT_TRUE(stream.unget());
    EXPECT_EQ(stream.get(), expected[1]);
    ASSERT_TRUE(stream.putback(static_cast<char>(0x55)));  // a different byte is stored back
    EXPECT_EQ(stream.get(), 0x55);
  }
  {
    ZipInputStream stream(archive, "binary.bin", std::ios::binary);
    EXPECT_EQ(stream.peek(), expected[0]);  // the first fill
    EXPECT_FALSE(stream.unget());
  }
  {
    ZipInputStream stream(archive, "binary.bin", std::ios::binary);
    std::vector<char> buffer(ZipStreamBuf::kBufferSize);
    ASSERT_TRUE(stream.read(buffer.data(), ZipStreamBuf::kBufferSize));
    EXPECT_EQ(stream.peek(), expected[ZipStreamBuf::kBufferSize]);  // refills
    EXPECT_FALSE(stream.unget());
  }
}

TEST_F(ZipArchiveTest, ArchiveLetsOneStreamHoldAMemberAtATime) {
  ZipArchive archive(archivePath);
  ZipInputStream first(archive, "models/head.md3");
  ASSERT_TRUE(first.good());
  ZipInputStream second(archive, "crlf.txt");
  EXPECT_TRUE(second.fail());
  EXPECT_EQ(readAll(first), "HEAD");  // the first stream is undisturbed

  first.close();
  second.open(archive, "crlf.txt");
  ASSERT_TRUE(second.good());
  EXPECT_EQ(readAll(second), "a\nb\n");
}

TEST_F(ZipArchiveTest, DestroyingAStreamReleasesItsMember) {
  ZipArchive archive(archivePath);
  {
    ZipInputStream first(archive, "models/head.md3");
    ASSERT_TRUE(first.isOpen());
    EXPECT_TRUE(archive.isMemberOpen());
  }
  EXPECT_FALSE(archive.isMemberOpen());
  ZipInputStream next(archive, "crlf.txt");
  EXPECT_TRUE(next.good());
}

TEST_F(ZipArchiveTest, ReopeningAStreamSwitchesMembersAndClearsItsState) {
  ZipArchive archive(archivePath);
  ZipInputStream stream;
  EXPECT_FALSE(stream.isOpen());
  stream.open(archive, "nothing here");
  EXPECT_TRUE(stream.fail());
  stream.open(archive, "models/head.md3");
  ASSERT_TRUE(stream.good());
  EXPECT_EQ(stream.get(), 'H');
  stream.open(archive, "textures/skin.tga");  // closes the head first
  ASSERT_TRUE(stream.good());
  EXPECT_EQ(readAll(stream), "SKIN");
}

// A CR LF pair split across two reads is still folded, whatever the buffer size.
TEST(ZipStreamBufTextTest, CarriageReturnLineFeedAcrossARefillIsFolded) {
  const int size = ZipStreamBuf::kBufferSize;
  struct Case {
    std::string name;
    std::string stored;
    std::string expected;
  };
  const std::string fill(size - 1, 'x');
  const std::vector<Case> cases = {
      {"split.txt", fill + "\r\ny", fill + "\ny"},
      {"double.txt", fill + "\r\r\ny", fill + "\r\ny"},
      {"lone.txt", "a\rb", "a\rb"},
      {"trailing.txt", "a\r", "a\r"},
      {"onlycr.txt", "\r", "\r"},
      {"pairs.txt", std::string(3 * size, '\r') + "\n", std::string(3 * size - 1, '\r') + "\n"},
  };
  std::vector<testfiles::Member> members;
  for (const Case& c : cases) members.push_back({c.name, toBytes(c.stored)});
  const std::string path = testfiles::scratchPath("text_boundaries.zip");
  ASSERT_TRUE(testfiles::writeZip(path, members));

  ZipArchive archive(path);
  for (const Case& c : cases) {
    ZipInputStream stream(archive, c.name);
    ASSERT_TRUE(stream.good()) << c.name;
    const std::string got = readAll(stream);
    EXPECT_EQ(got.size(), c.expected.size()) << c.name;
    EXPECT_TRUE(got == c.expected) << c.name;
  }
}

TEST(ZipStreamBufTextTest, StoredMembersReadLikeDeflatedOnes) {
  const std::string path = testfiles::scratchPath("stored.zip");
  ASSERT_TRUE(testfiles::writeZip(path, {{"Data.Bin", patternBytes(5000)}}, false));
  ZipArchive archive(path);
  ZipInputStream stream(archive, "data.bin", std::ios::binary);
  std::vector<char> buffer(5000);
  ASSERT_TRUE(stream.read(buffer.data(), 5000));
  const Bytes expected = patternBytes(5000);
  EXPECT_TRUE(sameBytes(buffer, expected));
}

}  // namespace

namespace {

TEST(ZipArchivePathTest, ArchivePathIsFoundWithoutRegardToCase) {
  const std::string path = testfiles::scratchPath("Game.PK3");
  ASSERT_TRUE(testfiles::writeZip(path, {{"x.txt", testfiles::toBytes("x")}}));
  ZipArchive archive(testfiles::scratchPath("game.pk3"));
  EXPECT_TRUE(archive.isOpen());
}

}  // namespace

namespace {

std::string foldCarriageReturns(const std::string& text) {
  std::string folded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    folded.push_back(text[i]);
  }
  return folded;
}

// Members of random CR, LF and letters, sized around the buffer's multiples, read in text mode
// with get, getline and read; all must agree with folding the whole member at once.
TEST(ZipStreamBufTextTest, TextModeMatchesFoldingTheWholeMember) {
  std::mt19937 random(1234);
  const char alphabet[] = {'\r', '\n', 'a', 'b', '\r', '\r'};
  std::vector<testfiles::Member> members;
  std::vector<std::string> originals;
  for (int i = 0; i < 24; ++i) {
    const std::size_t size = ZipStreamBuf::kBufferSize * (1 + i % 3) - 3 + random() % 7;
    std::string text;
    for (std::size_t k = 0; k < size; ++k) text.push_back(alphabet[random() % sizeof alphabet]);
    originals.push_back(text);
    members.push_back({"m" + std::to_string(i) + ".txt", toBytes(text)});
  }
  const std::string path = testfiles::scratchPath("random_text.zip");
  ASSERT_TRUE(testfiles::writeZip(path, members));
  ZipArchive archive(path);
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::string expected = foldCarriageReturns(originals[i]);
    {
      ZipInputStream stream(archive, members[i].name);
      EXPECT_TRUE(readAll(stream) == expected) << members[i].name;
    }
    {
      ZipInputStream stream(archive, members[i].name);
      std::string joined, line;
      while (std::getline(stream, line)) joined += line + "\n";
      const bool endsInNewline = !expected.empty() && expected.back() == '\n';
      if (!endsInNewline && !joined.empty()) joined.pop_back();
      EXPECT_TRUE(joined == expected) << members[i].name;
    }
    {
      ZipInputStream stream(archive, members[i].name);
      std::string got(expected.size() + 10, '\0');
      stream.read(got.data(), static_cast<std::streamsize>(got.size()));
      got.resize(static_cast<std::size_t>(stream.gcount()));
      EXPECT_TRUE(got == expected) << members[i].name;
    }
  }
}

}  // namespace
