#pragma once
#include <fstream>
#include <string>

// The data sets were written for a file system that ignores case ("/Textures/fire.tga" and
// "/textures/debugHeight.tga" name the same folder), so every file the engine opens goes through
// here.

// The path itself when it exists; otherwise the existing path whose components match it without
// regard to case (an exact component is tried before case-folded ones, and among several
// case-folded matches the first in byte order wins); otherwise the path unchanged. '/' and '\' both
// separate components. Never creates anything.
std::string resolveFilePath(const std::string& path);

// Opens file on the resolved path with mode (std::ios::in is always added); true when it is open.
bool openInputFile(std::ifstream& file, const std::string& path,
                   std::ios::openmode mode = std::ios::in);

// What a path names, found as the resolver finds it (symbolic links followed). Readers take only
// regular files: a name written inside a data file may point at a pipe, whose opening blocks until
// someone writes to it, or at a device, which may block or never end.
enum class FileKind { kMissing, kRegular, kDirectory, kPipe, kDevice, kOther };

FileKind fileKind(const std::string& path);

inline bool isRegularFile(const std::string& path) { return fileKind(path) == FileKind::kRegular; }

// A few words for log lines: "no such file", "a regular file", "a directory", "a pipe", "a device",
// "not a regular file" (sockets and the like).
const char* fileKindText(FileKind kind);
