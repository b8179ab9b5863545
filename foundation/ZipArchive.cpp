#include "foundation/ZipArchive.h"

#include <climits>

#include <unzip.h>

#include "foundation/FileResolver.h"

namespace {
// minizip compares names without regard to case with value 2 on this platform; 0 is exact.
constexpr int kCaseInsensitive = 2;
}  // namespace

ZipArchive::ZipArchive(const std::string& path) : handle(unzOpen(resolveFilePath(path).c_str())) {}

ZipArchive::~ZipArchive() { close(); }

bool ZipArchive::openMember(const std::string& name) {
  if (!handle || memberOpen) return false;
  if (unzLocateFile(handle, name.c_str(), kCaseInsensitive) != UNZ_OK) return false;
  if (unzOpenCurrentFile(handle) != UNZ_OK) return false;
  memberOpen = true;
  return true;
}

bool ZipArchive::closeMember() {
  if (!memberOpen) return false;
  memberOpen = false;
  return unzCloseCurrentFile(handle) == UNZ_OK;
}

int ZipArchive::read(void* buffer, unsigned length) {
  if (!memberOpen) return -1;
  return unzReadCurrentFile(handle, buffer, length);
}

int ZipArchive::memberSize() const {
  if (!memberOpen) return -1;
  unz_file_info info;
  if (unzGetCurrentFileInfo(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return -1;
  if (info.uncompressed_size > static_cast<uLong>(INT_MAX)) return -1;
  return static_cast<int>(info.uncompressed_size);
}

bool ZipArchive::memberChecksum(const std::string& name, std::uint32_t& crc32, std::uint64_t& size) {
  if (!handle || memberOpen) return false;
  if (unzLocateFile(handle, name.c_str(), kCaseInsensitive) != UNZ_OK) return false;
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  crc32 = static_cast<std::uint32_t>(info.crc);
  size = info.uncompressed_size;
  return true;
}

bool ZipArchive::close() {
  if (memberOpen) closeMember();
  if (!handle) return false;
  const int result = unzClose(handle);
  handle = nullptr;
  return result == UNZ_OK;
}
