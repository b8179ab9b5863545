#include "foundation/FileResolver.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

constexpr const char* kFileKindTexts[] = {"no such file", "a regular file", "a directory",
                                           "a pipe",       "a device",       "not a regular file"};
static_assert(std::size(kFileKindTexts) == static_cast<std::size_t>(FileKind::kOther) + 1);

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::vector<std::string> splitComponents(const std::string& path) {
  std::vector<std::string> components;
  std::string current;
  for (char c : path) {
    if (c == '/' || c == '\\') {
      if (!current.empty()) components.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) components.push_back(current);
  return components;
}

// Entries of directory, other than component itself, whose names equal it without regard to case.
std::vector<std::string> caseFoldedNames(const std::string& directory, const std::string& component) {
  std::vector<std::string> names;
  const std::string listed = directory.empty() ? std::string(".") : directory;
  std::error_code error;
  fs::directory_iterator it(listed, error);
  if (error) return names;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    std::string entry = it->path().filename().string();
    if (entry != component && equalsIgnoringCase(entry, component)) names.push_back(entry);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Depth-first search, so a wrong turn at an ambiguous folder name is taken back.
bool resolveFrom(const std::string& prefix, const std::vector<std::string>& components,
                 std::size_t index, std::string& result) {
  if (index == components.size()) {
    result = prefix;
    return true;
  }
  const std::string& component = components[index];
  const bool last = index + 1 == components.size();
  const std::string separator = last ? "" : "/";
  if (component == "." || component == "..") {
    return resolveFrom(prefix + component + separator, components, index + 1, result);
  }
  // The exact name first; the folder is listed only when that way leads nowhere.
  if (exists(prefix + component) &&
      resolveFrom(prefix + component + separator, components, index + 1, result))
    return true;
  for (const std::string& name : caseFoldedNames(prefix, component)) {
    if (resolveFrom(prefix + name + separator, components, index + 1, result)) return true;
  }
  return false;
}

}  // namespace

std::string resolveFilePath(const std::string& path) {
  if (path.empty() || exists(path)) return path;
  const std::vector<std::string> components = splitComponents(path);
  if (components.empty()) return path;
  const bool absolute = path.front() == '/' || path.front() == '\\';
  std::string resolved;
  if (resolveFrom(absolute ? "/" : "", components, 0, resolved)) return resolved;
  return path;
}

bool openInputFile(std::ifstream& file, const std::string& path, std::ios::openmode mode) {
  file.open(resolveFilePath(path), mode | std::ios::in);
  return file.is_open();
}

FileKind fileKind(const std::string& path) {
  std::error_code error;
  switch (fs::status(resolveFilePath(path), error).type()) {
    case fs::file_type::regular: return FileKind::kRegular;
    case fs::file_type::directory: return FileKind::kDirectory;
    case fs::file_type::fifo: return FileKind::kPipe;
    case fs::file_type::block:
    case fs::file_type::character: return FileKind::kDevice;
    // Not there, or not to be looked at (a folder on the way that may not be searched).
    case fs::file_type::none:
    case fs::file_type::not_found: return FileKind::kMissing;
    default: return FileKind::kOther;
  }
}

const char* fileKindText(FileKind kind) { return kFileKindTexts[static_cast<std::size_t>(kind)]; }
