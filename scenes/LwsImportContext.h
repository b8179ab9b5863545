#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/Camera.h"
#include "engine/Context.h"
#include "engine/Light.h"
#include "engine/Model.h"
#include "engine/OrbitCameraController.h"
#include "engine/Scene.h"
#include "foundation/FileDialog.h"
#include "foundation/KeyAction.h"
#include "foundation/RepeatAction.h"
#include "loaders/LwsAnimation.h"

// A player for LightWave scenes: the generated boat jumping its wave at start-up, any other ".lws"
// file from the open-file dialog (O) or dropped on the window. The scene's envelopes play against
// the GameClock: space pauses and resumes, S and W slow down and speed up.
class LwsImportContext : public Context {
 public:
  LwsImportContext();

  void init() override;
  void update() override;
  void render() override;
  void release() override;
  std::vector<KeyHelp> keyHelp() const override;

  // Plays the scene in the file. False when it gives no model; the scene playing goes on then.
  bool load(const std::string& fileName);

  const Model* model() const { return loadedModel.get(); }
  const Scene* scene() const { return currentScene.get(); }
  const LwsAnimation& animation() const { return lwsAnimation; }
  float speed() const { return playbackSpeed; }
  bool isRunning() const { return running; }
  Camera& camera() { return sceneCamera; }
  const Light& light() const { return *sceneLight; }
  // The dialog O opens (tests give it a stand-in program).
  FileDialog& fileDialog() { return dialog; }

  // The playback speed stays within these, however long S or W is held.
  static constexpr float kMinSpeed = 1.0f / 64.0f;
  static constexpr float kMaxSpeed = 64.0f;

 private:
  // Loads what the dialog chose or what was dropped on the window since the last frame.
  void takeChosenFiles();
  void applySpeedKeys();
  // Frames the whole motion: the camera looks at the centre of everything the animation reaches.
  void placeCamera();

  Camera sceneCamera;
  OrbitCameraController orbit;
  std::unique_ptr<Scene> currentScene;
  RefPtr<Light> sceneLight;
  LwsAnimation lwsAnimation;
  RefPtr<Model> loadedModel;
  KeyAction openKey;
  KeyAction pauseKey;
  KeyAction slowerKey;
  KeyAction fasterKey;
  RepeatAction slowerRepeat;
  RepeatAction fasterRepeat;
  float playbackSpeed = 1.0f;
  bool running = true;
  FileDialog dialog;
};
