#pragma once
#include <cstddef>
#include <string>

#include "engine/Model.h"
#include "foundation/RefPtr.h"

class TextureManager;

// How a loader turns its file into engine meshes and materials.
struct ModelLoadOptions {
  bool keepMaterialColours = false;  // a textured material keeps its colour instead of white
  bool recomputeNormals = false;     // angle-weighted normals shared by position replace the file's
  bool flipTexCoordV = false;        // texture channel 0: v becomes 1 − v
};

// DirectX ".x" meshes (text, binary and compressed) read through assimp, as the format stores them:
// left-handed, clockwise front faces. The frame hierarchy is flattened into the model's root
// space; every mesh and material subset becomes one engine Mesh on the root node (split further
// where 16-bit indices would not reach), with position, normal, one texture channel and the vertex
// colours; normals the file lacks are made as recomputeNormals makes them. Each material is plain:
// the diffuse colour (white when textured, unless keepMaterialColours) and the texture the file
// names, looked for in the ".x" file's directory; a texture that is not there leaves the material
// untextured.
//
// The format measures texture v from the picture's top; the engine's textures keep the picture's
// bottom row first, so v is turned into 1 − v on reading (before flipTexCoordV).
//
// Files that do not start with the "xof " signature, or that assimp refuses, give null and one log
// line naming the file.
RefPtr<Model> loadXFile(const std::string& path, TextureManager* textures, const ModelLoadOptions& options);
// The same for a file's bytes in memory; path gives the texture directory and names the file in
// log lines.
RefPtr<Model> loadXFileFromMemory(const void* bytes, std::size_t size, const std::string& path,
                                  TextureManager* textures, const ModelLoadOptions& options);

// Every file is first read by a child process with capped memory and time, because assimp crashes
// or exhausts memory on some damaged files. Off, the file is read in this process only: for the
// fuzz target, which reaches the library's own faults that way a hundred times faster (libFuzzer's
// fork mode survives them). On by default; the program never turns it off.
void setXFileTrialImport(bool enabled);
