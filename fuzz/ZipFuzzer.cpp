// Zip archives from anywhere: every member the central directory names is read through member
// streams in text and binary mode, with the one-open-member rule checked on the way.
#include <unzip.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/ZipArchive.h"
#include "foundation/ZipInputStream.h"
#include "fuzz/MemoryFile.h"

namespace {

// minizip finds each member by walking the directory with small file reads, so a few members
// per input keep the target fast.
constexpr int kMaxMembers = 6;
const char* const kArchive = "fuzz.pk3";

// Member names as the central directory states them, read with minizip itself.
std::vector<std::string> memberNames() {
  std::vector<std::string> names;
  unzFile zip = unzOpen(kArchive);
  if (!zip) return names;
  for (int status = unzGoToFirstFile(zip); status == UNZ_OK && int(names.size()) < kMaxMembers;
       status = unzGoToNextFile(zip)) {
    // minizip ends the name with a zero only when it is shorter than the buffer.
    char name[257] = {};
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    names.emplace_back(name);
  }
  unzClose(zip);
  return names;
}

void readAsText(ZipArchive& archive, const std::string& name) {
  ZipInputStream stream(archive, name);
  if (!stream) return;
  // Only one member may be open at a time.
  ZipInputStream second(archive, name);
  if (second.isOpen()) std::abort();
  std::string line;
  int lines = 0;
  while (std::getline(stream, line) && lines++ < 4096) {
    if (stream.unget()) stream.get();
  }
  stream.clear();
  stream.seekg(0);
  (void)stream.tellg();
}

void readAsBinary(ZipArchive& archive, const std::string& name) {
  ZipInputStream stream(archive, name, std::ios::in | std::ios::binary);
  if (!stream) return;
  const int size = stream.memberSize();
  char chunk[37];
  std::size_t total = 0;
  while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
    total += static_cast<std::size_t>(stream.gcount());
    if (total > (std::size_t(1) << 24)) break;
  }
  (void)size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file(kArchive);
  file.assign(data, size);
  const std::vector<std::string> names = memberNames();
  ZipArchive archive(kArchive);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i % 2 == 0) {
      readAsText(archive, names[i]);
    } else {
      readAsBinary(archive, names[i]);
    }
    if (archive.isMemberOpen()) std::abort();
  }
  archive.close();
  return 0;
}
