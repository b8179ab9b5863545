#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "effects/Md3Model.h"
#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/Light.h"
#include "engine/OrbitCameraController.h"
#include "engine/Scene.h"
#include "foundation/KeyAction.h"
#include "foundation/RefPtr.h"

// Viewer of the animated three-part characters in the game archive. Return steps to the next of
// the 22 model directories; L and T pick a legs and a torso animation, which the space bar starts;
// the current choice is printed over the picture. A character that does not load leaves only the
// error text, and Return still moves on to the next one.
class Md3Context : public Context {
 public:
  static constexpr int kModelCount = 22;
  static constexpr int kLegsAnimationCount = 18;
  static constexpr int kTorsoAnimationCount = 13;
  static constexpr std::uint32_t kFirstModel = 8;
  static const char* const kModelDirectories[kModelCount];
  static const char* const kLegsAnimations[kLegsAnimationCount];
  static const char* const kTorsoAnimations[kTorsoAnimationCount];
  static const char* const kErrorText;

  Md3Context();

  // Builds the scene and loads the character of the current model index (run again by Return).
  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void render() override;
  void release() override;

  // Null when the current character did not load.
  Md3Model* animation() const { return character.get(); }
  Scene* scene() const { return characterScene.get(); }
  Light* light() const { return sceneLight.get(); }
  Camera& camera() { return sceneCamera; }
  std::uint32_t modelIndex() const { return model; }
  std::uint32_t legsIndex() const { return legs; }
  std::uint32_t torsoIndex() const { return torso; }
  // The text under the statistics: the selection, or the error text without a character.
  std::string overlayText() const;

 protected:
  // For a viewer that draws the same characters differently.
  explicit Md3Context(const char* name);

 private:
  Camera sceneCamera;
  OrbitCameraController orbit;
  std::unique_ptr<Md3Model> character;
  std::unique_ptr<Scene> characterScene;
  RefPtr<Light> sceneLight;
  KeyAction keyT;
  std::uint32_t torso = 0;
  KeyAction keyL;
  std::uint32_t legs = 0;
  KeyAction keySpace;
  KeyAction keyReturn;
  std::uint32_t model = kFirstModel;
};
