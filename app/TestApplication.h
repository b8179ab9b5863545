#pragma once
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "foundation/ChordAction.h"
#include "foundation/KeyAction.h"
#include "scenes/BumpContext.h"
#include "scenes/BumpMd3Context.h"
#include "scenes/LwsImportContext.h"
#include "scenes/Md3Context.h"
#include "scenes/ParticleContext.h"
#include "scenes/ShadowVolumeContext.h"
#include "scenes/TerrainContext.h"
#include "scenes/TestContext.h"
#include "water/ChoppyWavesContext.h"
#include "water/GerstnerWavesContext.h"
#include "water/NewaveContext.h"
#include "water/Water2DContext.h"

// The test bed: twelve demo scenes, all initialised at start-up, one current at a time. Escape
// moves to the next one, left Shift with Escape to the previous one; F1 shows or hides the keys of
// the current context and the global ones; F12 saves the next frame as
// "<Context>-<date>-<time>.png" in the working directory.
class TestApplication : public Application {
 public:
  using SurfaceFactory = std::function<std::unique_ptr<RenderSurface>(const SurfaceRequest&)>;

  TestApplication();
  ~TestApplication() override;

  void init() override;
  void update() override;
  // The base frame, then the F12 screenshot when one was asked for.
  void render() override;
  void shutdown() override;
  // Reads "windowName", "resolutionX" and "resolutionY" and makes the surface at (40, 60). A size
  // that is missing or unusable becomes the default, one too large the cap; each such case, an
  // unreadable settings file and a missing "data" setting are reported on standard error and in
  // the log.
  std::unique_ptr<RenderSurface> createWindow() override;

  static constexpr int kDefaultWidth = 800;
  static constexpr int kDefaultHeight = 600;
  // The largest common display (8K UHD); larger back buffers only cost memory.
  static constexpr int kMaxWidth = 7680;
  static constexpr int kMaxHeight = 4320;

  // How createWindow makes its surface (a window, off-screen GL, a recording device); set before
  // init. Without one it opens an SDL window.
  void setSurfaceFactory(SurfaceFactory factory) { surfaceFactory = std::move(factory); }

  // Every context in registration (switching) order, available from construction on.
  std::vector<Context*> registrationOrder();
  // The switching order as init filled it; empty before init.
  const std::vector<Context*>& contextList() const { return contexts; }
  // Milliseconds the context's init took (logged as it finishes); 0 before init.
  double initTimeMs(const Context* context) const;
  int currentContextIndex() const { return currentIndex; }
  // Makes the context of that name current; false (and nothing changes) when there is none.
  bool selectContext(const std::string& name);
  // The context that text names: its exact name, its name in any letter case, or its index in the
  // switching order (0 to 11); null when there is none. Available from construction on.
  Context* findContext(const std::string& text);

  RenderSurface* mainWindowSurface() const { return mainWindow; }

  // The keys every context shares, as the F1 overlay lists them.
  static std::vector<KeyHelp> globalKeyHelp();
  // The F1 overlay's text for a context: its keys, then the global ones.
  static std::string keyHelpText(const Context& context);
  bool isKeyHelpShown() const { return keyHelpShown; }
  // Where F12 saves a frame of the context at that local time: the working directory,
  // "<Context>-YYYYMMDD-HHMMSS.png", with "-2", "-3", ... added when that file exists.
  static std::string screenshotPath(const std::string& contextName, std::time_t when);

 protected:
  void drawOverlay() override;

 private:
  void makeCurrent(int index);

  RenderSurface* mainWindow = nullptr;  // owned by the Application base
  ChoppyWavesContext choppyWaves;
  NewaveContext newave;
  Water2DContext water2D;
  GerstnerWavesContext gerstnerWaves;
  TerrainContext terrain;
  LwsImportContext lwsImport;
  ShadowVolumeContext shadowVolume;
  TestContext test;
  ParticleContext particle;
  Md3Context md3;
  BumpMd3Context bumpMd3;
  BumpContext bump;
  std::vector<Context*> contexts;
  std::vector<double> initTimes;  // per entry of contexts
  KeyAction nextKey;
  KeyAction shiftKey;
  ChordAction previousChord;
  KeyAction helpKey;
  KeyAction screenshotKey;
  bool keyHelpShown = false;
  bool screenshotWanted = false;
  int currentIndex = 0;
  bool escapeUsedByChord = false;
  SurfaceFactory surfaceFactory;
};
