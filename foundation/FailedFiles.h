#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

// Files that failed to load, or items inside them (an archive's members), each with what the file
// looked like then (there or not, size, permissions, time of the last change, file number). A
// reader that finds one here, its file unchanged, gives up without a second log line: two scenes
// placing the same broken model report it once. When the file was written, replaced, created or
// removed since, it is tried again, so fixing a file on disk still works.
class FailedFiles {
 public:
  // True when path (or the item inside it) failed before and the file has not changed since.
  bool unchanged(const std::string& path, const std::string& item = {}) const;
  // Records that path (or the item) failed; true when that is news to report: it had not failed
  // before, or its file has changed since.
  bool record(const std::string& path, const std::string& item = {});
  void remove(const std::string& path, const std::string& item = {}) { stamps.erase({path, item}); }

 private:
  struct Stamp {
    bool present = false;
    std::uint64_t size = 0;
    std::uint32_t mode = 0;
    std::int64_t changedNs = 0;
    std::uint64_t fileNumber = 0;
    bool operator==(const Stamp&) const = default;
  };
  static Stamp stampOf(const std::string& path);

  std::map<std::pair<std::string, std::string>, Stamp> stamps;
};
