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
