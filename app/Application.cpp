#include "app/Application.h"

#include "engine/Color.h"
#include "engine/Context.h"
#include "engine/Renderer.h"
#include "foundation/Clock.h"
#include "foundation/FrameStats.h"
#include "foundation/GameClock.h"
#include "foundation/Keyboard.h"
#include "foundation/Logger.h"
#include "foundation/Mouse.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ObjectLoader.h"
#include "render/D3D8Renderer.h"

Application::Application(const char* settingsFileName)
    : settingsFileName(settingsFileName ? settingsFileName : "") {}

Application::~Application() = default;

void Application::init() {
  if (!settingsFileName.empty()) VariableTable::instance(settingsFileName.c_str());
  Timer::instance();
  Logger::instance();
  windowHandle = createWindow();

  RefPtr<GraphicsDevice> device = windowHandle ? windowHandle->device() : nullptr;
  if (!device) {
    Logger::instance().line(2) << "No graphics device for the window" << std::endl;
    return;
  }
  rendererHolder() = new D3D8Renderer(device, Color(0.2f, 0.2f, 0.2f, 1.0f));
  TextureManager::instance() = new TextureManager(device, 1);
  ObjectLoader::instance() = new ObjectLoader(TextureManager::instance(), rendererHolder());
}

void Application::update() {
  Timer& timer = Timer::instance();
  timer.tick();
  GameClock::instance().tick();
  // Fixed-step runs count frames against engine time, so that their statistics (and pictures)
  // do not depend on how fast the machine is.
  const double nowMs = timer.isFixedStep() ? timer.time() : Clock::program().elapsed(false);
  FrameStats::instance().frame(nowMs);
  Mouse::instance().poll();
  Keyboard::instance().poll();
  if (current) current->update();
}

void Application::render() {
  Renderer* renderer = rendererHolder().get();
  if (!renderer) return;
  renderer->beginFrame();
  if (current) current->render();
  renderer->drawStats(FrameStats::instance());
  if (current) renderer->printText(5, 5, current->name());
  drawOverlay();
  renderer->endFrame();
}
