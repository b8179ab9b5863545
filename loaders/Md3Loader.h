#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/SceneNode.h"
#include "foundation/RefPtr.h"
#include "loaders/Md3AnimationConfig.h"
#include "loaders/Md3File.h"

class Texture;
class TextureManager;
class ZipArchive;

// One body part of a loaded character: its node, one instance per surface (in surface order) and
// what the animation needs: the tags, the nodes hung on them and the animation table.
struct Md3PartData {
  RefPtr<SceneNode> node;
  std::vector<RefPtr<MeshInstance>> instances;
  // Key frames of the part's meshes and tags (every surface has the file's frame count).
  std::uint32_t frameCount = 0;
  // tagCount per key frame, frame-major: tag k of frame f is tags[f · tagCount + k].
  std::uint32_t tagCount = 0;
  std::vector<Md3Tag> tags;
  // Tag name → the node placed on that tag every frame.
  std::map<std::string, RefPtr<SceneNode>> attachments;
  Md3AnimationTable animations;
  std::string defaultAnimation;
};

// Loads a three-part character (lower.md3, upper.md3, head.md3 and animation.cfg of one model
// directory) out of a zip archive into engine objects: a Model whose root turns the z-up MD3 data
// into the engine's y-up world, with the node tree root → lower → upper → head; one keyframed
// Mesh and one MeshInstance per surface, its skin texture read from the archive; the torso hung on
// the legs' "tag_torso" and the head on the torso's "tag_head".
//
// Any part missing or refused leaves no model, with one log line naming the file. A missing
// "animation.cfg" is logged and leaves the tables with only the two zero entries the frame offset
// rule adds; a missing skin is logged and shows the texture cache's magenta placeholder.
class Md3Loader {
 public:
  // The game archive below the "q3a" setting, which ends with a path separator.
  static std::string gameArchivePath();

  // modelDirectory is the directory inside the archive, such as "models/players/sarge". Without a
  // texture manager (no device) the materials stay untextured.
  Md3Loader(const std::string& archivePath, const std::string& modelDirectory, TextureManager* textures);
  // The game archive and the program's texture manager.
  explicit Md3Loader(const std::string& modelDirectory);

  // Success: every part loaded and the model was assembled.
  bool loaded() const { return result != nullptr; }
  const std::string& directory() const { return modelDirectory; }

  // Null unless loaded.
  const RefPtr<Model>& model() const { return result; }
  // The parts (empty unless loaded); the animation takes them over.
  Md3PartData& lower() { return parts[0]; }
  Md3PartData& upper() { return parts[1]; }
  Md3PartData& head() { return parts[2]; }

 private:
  void load(const std::string& archivePath, TextureManager* textures);
  Md3PartData buildPart(ZipArchive& archive, const Md3File& file, const char* name, TextureManager* textures,
                        Model& out);
  RefPtr<Texture> skin(ZipArchive& archive, const Md3Surface& surface, TextureManager* textures);

  std::string modelDirectory;
  RefPtr<Model> result;
  Md3PartData parts[3];
};

// One keyframed mesh from a checked surface: positions × 1/64, normals from their angles,
// (s, 1 − t) texture coordinates and the triangles wound the other way round, since MD3 files
// wind their front faces counter-clockwise. Marked dynamic: the animation blends its frames.
RefPtr<Mesh> md3Mesh(const Md3Surface& surface);

// Member name of a surface's skin: the file name of the shader path (after its last '/' or '\'),
// in the model directory. Empty when the shader names no file.
std::string md3SkinMember(const std::string& modelDirectory, const std::string& shader);
