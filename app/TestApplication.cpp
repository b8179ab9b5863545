#include "app/TestApplication.h"

#include <algorithm>
#include <cctype>

#include "app/MainWindow.h"
#include "engine/Renderer.h"
#include "foundation/GameClock.h"
#include "foundation/KeyCodes.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"

namespace {

constexpr int kWindowX = 40;
constexpr int kWindowY = 60;
constexpr double kMaxWindowSide = 16384.0;

// The setting truncated toward zero; values no window can have (negative, huge, not a number)
// become 0, which the surfaces treat as the smallest window.
int windowSide(double value) {
  if (!(value > 0.0)) return 0;
  return static_cast<int>(value < kMaxWindowSide ? value : kMaxWindowSide);
}

}  // namespace

TestApplication::TestApplication()
    : Application("Test.set"),
      nextKey(kKeyEscape),
      shiftKey(kKeyLeftShift),
      previousChord(&nextKey, &shiftKey) {}

TestApplication::~TestApplication() = default;

void TestApplication::init() {
  Application::init();
  // Without a renderer no context could build its scene.
  if (!rendererHolder()) return;
  // The water scenes point into the window with the mouse.
  WaterContext* const waterContexts[] = {&choppyWaves, &newave, &water2D, &gerstnerWaves};
  for (WaterContext* water : waterContexts) water->setPickerWindow(window());
  for (Context* context : registrationOrder()) {
    context->init();
    contexts.push_back(context);
  }
  makeCurrent(0);
  // Loading time is not the first frame's delta.
  Timer::instance().tick();
  GameClock::instance().tick();
}

std::vector<Context*> TestApplication::registrationOrder() {
  return {&bump,     &md3,          &bumpMd3,   &test,    &particle, &shadowVolume,
          &lwsImport, &terrain,     &choppyWaves, &water2D, &newave,  &gerstnerWaves};
}

void TestApplication::update() {
  Application::update();
  nextKey.update();
  previousChord.update();
  const int count = static_cast<int>(contexts.size());
  if (count == 0) return;
  // An Escape press that served the chord stays used until Escape comes up, so releasing Shift
  // first does not turn the rest of that press into a forward switch.
  if (previousChord.isActive()) {
    escapeUsedByChord = true;
  } else if (!nextKey.isActive()) {
    escapeUsedByChord = false;
  }
  if (nextKey.pressed() && !escapeUsedByChord) {
    makeCurrent(currentIndex + 1 >= count ? 0 : currentIndex + 1);
  }
  if (previousChord.pressed()) makeCurrent(currentIndex - 1 < 0 ? count - 1 : currentIndex - 1);
}

void TestApplication::shutdown() {
  Context* const order[] = {&bumpMd3,   &bump,         &md3,       &test,
                            &particle,  &shadowVolume, &lwsImport, &terrain,
                            &water2D,   &newave,       &gerstnerWaves, &choppyWaves};
  for (Context* context : order) {
    // Only contexts that were initialised have anything to release.
    if (std::find(contexts.begin(), contexts.end(), context) != contexts.end()) context->release();
  }
}

std::unique_ptr<RenderSurface> TestApplication::createWindow() {
  VariableTable& variables = VariableTable::instance();
  SurfaceRequest request;
  request.title = variables.get("windowName").value();
  request.width = windowSide(variables.get("resolutionX").asFloat());
  request.height = windowSide(variables.get("resolutionY").asFloat());
  request.x = kWindowX;
  request.y = kWindowY;
  std::unique_ptr<RenderSurface> surface =
      surfaceFactory ? surfaceFactory(request) : MainWindow::create(request);
  mainWindow = surface.get();
  return surface;
}

bool TestApplication::selectContext(const std::string& name) {
  for (std::size_t i = 0; i < contexts.size(); ++i) {
    if (contexts[i]->name() == name) {
      makeCurrent(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

Context* TestApplication::findContext(const std::string& text) {
  const std::vector<Context*> order = registrationOrder();
  for (Context* context : order) {
    if (context->name() == text) return context;
  }
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (Context* context : order) {
    if (lower(context->name()) == lower(text)) return context;
  }
  if (!text.empty() && text.size() <= 2 && text.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t index = static_cast<std::size_t>(std::stoi(text));
    if (index < order.size()) return order[index];
  }
  return nullptr;
}

void TestApplication::makeCurrent(int index) {
  currentIndex = index;
  setCurrentContext(contexts[static_cast<std::size_t>(index)]);
}
