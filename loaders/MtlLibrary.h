#pragma once
#include <map>
#include <string>
#include <string_view>

#include "engine/Material.h"
#include "foundation/RefPtr.h"

class TextureManager;

// The materials of Wavefront MTL files by exact name: "newmtl" starts a plain material, "Kd" sets
// its colour, "map_Kd" its texture (slot 0), which is looked for in the MTL file's own directory
// whatever directory the file names (exporters write ".\wood.jpg" and absolute Windows paths).
// Statements before the first "newmtl" and all other keywords are skipped.
class MtlLibrary {
 public:
  // The texture manager is borrowed; without one, materials get no textures.
  explicit MtlLibrary(TextureManager* textures = nullptr) : textures(textures) {}

  // Adds the file's materials (a later "newmtl" of a known name replaces it). False, with nothing
  // added and nothing logged, when the file cannot be read.
  bool load(const std::string& path);
  // The same for MTL text in memory; path gives the texture directory and names the file in
  // log lines.
  void loadText(std::string_view text, const std::string& path);

  // Null for an unknown name.
  Material* find(const std::string& name) const;
  std::size_t size() const { return materials.size(); }

 private:
  RefPtr<Texture> loadTexture(std::string_view statement, const std::string& directory) const;

  TextureManager* textures;  // borrowed
  std::map<std::string, RefPtr<Material>> materials;
};
