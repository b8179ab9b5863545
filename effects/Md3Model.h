#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/Model.h"
#include "foundation/RefPtr.h"
#include "loaders/Md3Loader.h"

// The playing state of one body part: which animation runs, the key frame and the fraction
// towards the next one. Every entry of the table is played clamped to the frames the part has, so
// no entry, however damaged, selects a frame outside the meshes or the tags.
class Md3Part {
 public:
  explicit Md3Part(Md3PartData data);

  // Starts the animation at its first frame with blend 0. An unknown name is entered into the
  // table as a zero entry (which shows frame 0).
  void setAnimation(const std::string& name);
  // Advances by elapsedMs, blends the meshes and moves the attached nodes (their local transforms
  // only; the caller updates world transforms from the root).
  void advance(double elapsedMs);

  // The entry as played: first frame inside the part, frame count within what follows it,
  // looping frames within the frame count.
  Md3Animation playable(const Md3Animation& entry) const;

  const std::string& currentAnimation() const { return current; }
  const std::string& defaultAnimation() const { return data.defaultAnimation; }
  std::uint32_t frame() const { return keyFrame; }
  // The key frame blended towards.
  std::uint32_t nextFrame() const { return blendTarget; }
  float blend() const { return blendFactor; }
  const Md3AnimationTable& animations() const { return data.animations; }
  Md3AnimationTable& animations() { return data.animations; }
  const Md3PartData& partData() const { return data; }
  SceneNode* node() const { return data.node.get(); }
  const std::vector<RefPtr<MeshInstance>>& instances() const { return data.instances; }

 private:
  // Meshes and attached nodes at key frames a and b, fraction t.
  void show(std::uint32_t a, std::uint32_t b, float t);
  void placeTags(std::uint32_t a, std::uint32_t b, float t);

  Md3PartData data;
  std::string current;
  std::uint32_t keyFrame = 0;
  std::uint32_t blendTarget = 0;
  float blendFactor = 0.0f;
};

// An animated three-part character: legs and torso play their own animations, the torso follows
// the legs' "tag_torso" and the head the torso's "tag_head".
class Md3Model {
 public:
  // Starts the legs and the torso on their default animations.
  Md3Model(RefPtr<Model> model, std::unique_ptr<Md3Part> lower, std::unique_ptr<Md3Part> upper,
           std::unique_ptr<Md3Part> head);

  // The character of modelDirectory in the game archive, or null when it does not load.
  static std::unique_ptr<Md3Model> load(const std::string& modelDirectory);
  static std::unique_ptr<Md3Model> load(const std::string& archivePath, const std::string& modelDirectory,
                                        TextureManager* textures);
  // Takes over what a loader loaded; null when it did not.
  static std::unique_ptr<Md3Model> fromLoader(Md3Loader& loader);

  // Advances the legs, then the torso, by the timer's last frame time (or elapsedMs), then the
  // world transforms and the bounds of every instance and of the model.
  void update();
  void update(double elapsedMs);

  // The node tree and the instances, for the scene's object list.
  Model* model() const { return root.get(); }
  const RefPtr<Model>& modelRef() const { return root; }
  Md3Part& lower() { return *legs; }
  Md3Part& upper() { return *torso; }
  Md3Part& head() { return *headPart; }

 private:
  RefPtr<Model> root;
  std::unique_ptr<Md3Part> legs;
  std::unique_ptr<Md3Part> torso;
  std::unique_ptr<Md3Part> headPart;
};
