#include "foundation/FailedFiles.h"

#include <sys/stat.h>

#include "foundation/FileResolver.h"

FailedFiles::Stamp FailedFiles::stampOf(const std::string& path) {
  struct stat status {};
  if (::stat(resolveFilePath(path).c_str(), &status) != 0) return {};
  // The status-change time moves with every write, rename and permission change, but only by the
  // file system's clock tick: size, mode and inode catch what changes within one tick (a file
  // rewritten to the same size within one tick looks unchanged).
  return {true, static_cast<std::uint64_t>(status.st_size), static_cast<std::uint32_t>(status.st_mode),
          std::int64_t{status.st_ctim.tv_sec} * 1000000000 + status.st_ctim.tv_nsec,
          static_cast<std::uint64_t>(status.st_ino)};
}

bool FailedFiles::unchanged(const std::string& path, const std::string& item) const {
  const auto found = stamps.find({path, item});
  return found != stamps.end() && found->second == stampOf(path);
}

bool FailedFiles::record(const std::string& path, const std::string& item) {
  const Stamp now = stampOf(path);
  const auto [entry, added] = stamps.try_emplace({path, item}, now);
  const bool news = added || !(entry->second == now);
  entry->second = now;
  return news;
}
