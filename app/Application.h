#pragma once
#include <memory>
#include <string>

#include "app/RenderSurface.h"

class Context;

// The engine's application base: owns the settings file name, creates the engine-wide services in
// a fixed order and runs one frame as an update followed by a render.
class Application {
 public:
  // A null name leaves the settings file name empty.
  explicit Application(const char* settingsFileName);
  virtual ~Application();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Settings, timer, log, window, renderer, texture manager, object loader, in that order.
  virtual void init();
  // Time, frame statistics, mouse, keyboard, then the current context.
  virtual void update();
  // Begin frame, the current context, statistics, context name, overlay, end frame (present).
  virtual void render();
  virtual void shutdown() {}
  // Makes the surface the frames go to (a window or off-screen); the application owns it.
  virtual std::unique_ptr<RenderSurface> createWindow() = 0;

  void setCurrentContext(Context* context) { current = context; }
  Context* currentContext() const { return current; }

  // The surface made by createWindow; null before init.
  RenderSurface* window() const { return windowHandle.get(); }

  const std::string& settingsFile() const { return settingsFileName; }
  // Only before init: another settings file (the command line's --settings).
  void setSettingsFile(const std::string& fileName) { settingsFileName = fileName; }

 protected:
  // Drawn last in a frame, over everything, before the present; nothing in the base.
  virtual void drawOverlay() {}

 private:
  std::string settingsFileName;
  Context* current = nullptr;  // not owned
  // Declared here so that it is destroyed after every member of a derived class: the window and
  // its device outlive the contexts' device resources.
  std::unique_ptr<RenderSurface> windowHandle;
};
