#pragma once
#include <string>

// A file path kept in normalised form (every run of '/' or '\' becomes one '/') with its pieces
// split out: directory (drive and directory, ending with '/' when there is one), name, extension
// (with its dot) and file name (name and extension).
class Path {
 public:
  Path() = default;
  Path(const char* text);  // nullptr gives an empty path
  Path(const std::string& text);

  const std::string& full() const { return fullPath; }
  const std::string& directory() const { return directoryPart; }
  const std::string& name() const { return namePart; }
  const std::string& extension() const { return extensionPart; }
  const std::string& fileName() const { return fileNamePart; }

  // Adds part with exactly one separator at the joint; a part that begins with a separator keeps it.
  Path& append(const std::string& part);
  Path operator+(const std::string& part) const;

  // Replaces the directory (stored normalised) and rebuilds the full path.
  void setDirectory(const std::string& directory);
  // Replaces the extension; a text without a leading '.' gets one.
  void setExtension(const std::string& extension);

  // Every run of '/' or '\' written as one '/'; nothing else changes.
  static std::string normalise(const std::string& text);

 private:
  void split();
  void rebuild();

  std::string fullPath;
  std::string directoryPart;
  std::string namePart;
  std::string extensionPart;
  std::string fileNamePart;
};

// The pieces of a path as the Windows C library's _splitpath gives them: drive ("C:" when the
// second character is ':'), directory up to and including the last '/' or '\', file name, and
// extension from the last '.' of the rest.
void splitPath(const std::string& path, std::string& drive, std::string& directory,
               std::string& name, std::string& extension);

// The join of those pieces as _makepath: drive letter and ':', the directory with a '\' added when
// it does not end with a separator, the name, and the extension with a '.' added when it lacks one.
std::string makePath(const std::string& drive, const std::string& directory,
                     const std::string& name, const std::string& extension);

// The current working directory, normalised, with one trailing '/'; empty when it cannot be read.
std::string workingDirectoryPath();

// The same, and logs "Application path: ..." (nothing when it is empty).
std::string applicationPath();

// The application path taken once, at its first use: at the latest when the log opens, which writes
// it right after its banner. Every data file path starts with it. Taken again while it is empty.
const std::string& programApplicationPath();
