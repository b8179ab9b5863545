#include "foundation/Path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "foundation/Logger.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

Path::Path(const char* text) {
  if (text) {
    fullPath = text;
    fullPath = normalise(fullPath);
    split();
  }
}

Path::Path(const std::string& text) : fullPath(normalise(text)) { split(); }

Path& Path::append(const std::string& part) {
  if (part.empty() || !isSeparator(part.front())) fullPath += '/';
  fullPath += part;
  fullPath = normalise(fullPath);
  split();
  return *this;
}

Path Path::operator+(const std::string& part) const {
  Path joined = *this;
  joined.append(part);
  return joined;
}

void Path::setDirectory(const std::string& directory) {
  directoryPart = normalise(directory);
  rebuild();
}

void Path::setExtension(const std::string& extension) {
  extensionPart = (!extension.empty() && extension.front() == '.') ? extension : "." + extension;
  fileNamePart = namePart + extensionPart;
  rebuild();
}

std::string Path::normalise(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  bool lastWasSeparator = false;
  for (char c : text) {
    if (isSeparator(c)) {
      if (!lastWasSeparator) result += '/';
      lastWasSeparator = true;
    } else {
      result += c;
      lastWasSeparator = false;
    }
  }
  return result;
}

void Path::split() {
  if (fullPath.empty()) return;
  std::string drive, directory;
  splitPath(fullPath, drive, directory, namePart, extensionPart);
  directoryPart = drive + directory;
  fileNamePart = namePart + extensionPart;
}

void Path::rebuild() { fullPath = normalise(makePath("", directoryPart, namePart, extensionPart)); }

void splitPath(const std::string& path, std::string& drive, std::string& directory,
               std::string& name, std::string& extension) {
  std::size_t begin = 0;
  if (path.size() >= 2 && path[1] == ':') {
    drive = path.substr(0, 2);
    begin = 2;
  } else {
    drive.clear();
  }
  std::size_t fileBegin = begin;
  for (std::size_t i = begin; i < path.size(); ++i) {
    if (isSeparator(path[i])) fileBegin = i + 1;
  }
  directory = path.substr(begin, fileBegin - begin);
  const std::string file = path.substr(fileBegin);
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos) {
    name = file;
    extension.clear();
  } else {
    name = file.substr(0, dot);
    extension = file.substr(dot);
  }
}

std::string makePath(const std::string& drive, const std::string& directory,
                     const std::string& name, const std::string& extension) {
  std::string path;
  if (!drive.empty()) {
    path += drive.front();
    path += ':';
  }
  if (!directory.empty()) {
    path += directory;
    if (!isSeparator(directory.back())) path += '\\';
  }
  path += name;
  if (!extension.empty()) {
    if (extension.front() != '.') path += '.';
    path += extension;
  }
  return path;
}

std::string workingDirectoryPath() {
  // Linux paths may be far longer than the 260 characters of the original platform.
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  std::string path = Path(buffer.data()).full();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string applicationPath() {
  std::string path = workingDirectoryPath();
  if (!path.empty()) Logger::instance().line(1) << "Application path: " << path << std::endl;
  return path;
}

const std::string& programApplicationPath() {
  static std::string path;
  if (path.empty()) path = workingDirectoryPath();
  return path;
}
