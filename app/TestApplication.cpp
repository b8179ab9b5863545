#include "app/TestApplication.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/OutputFile.h"
#include "engine/Renderer.h"
#include "foundation/Clock.h"
#include "foundation/GameClock.h"
#include "foundation/FileResolver.h"
#include "foundation/KeyCodes.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"

namespace {

constexpr int kWindowX = 40;
constexpr int kWindowY = 60;

// A setting the program could not use: said on standard error and in the log, with what it uses
// instead, so that a mistyped settings file does not fail silently.
void reportSetting(const std::string& message) {
  Logger::instance().line(2) << message << std::endl;
  std::fprintf(stderr, "testbed: %s\n", message.c_str());
}

// The window side the setting gives: its number truncated toward zero, as atof reads it. A value
// that is missing, empty, not a number or below one pixel gives fallback, one above cap gives cap,
// each with a report.
int windowSide(const char* name, int fallback, int cap) {
  const Variable variable = VariableTable::instance().get(name);
  const std::string quoted = std::string("\"") + name + "\"";
  if (variable.name() != name) {
    reportSetting("Setting " + quoted + " is not set: using " + std::to_string(fallback));
    return fallback;
  }
  const std::string& text = variable.value();
  const char* start = text.c_str();
  char* end = nullptr;
  std::strtod(start, &end);
  const double value = variable.asFloat();
  std::string problem;
  if (text.find_first_not_of(" \t") == std::string::npos) {
    problem = "has no value";
  } else if (end == start || !std::isfinite(value)) {
    problem = "is \"" + text + "\", not a number";
  } else if (value < 1.0) {
    problem = "is \"" + text + "\", less than one pixel";
  } else if (value > cap) {
    reportSetting("Setting " + quoted + " is \"" + text + "\", more than " + std::to_string(cap) +
                  ": using " + std::to_string(cap));
    return cap;
  } else {
    return static_cast<int>(value);
  }
  reportSetting("Setting " + quoted + " " + problem + ": using " + std::to_string(fallback));
  return fallback;
}

}  // namespace

TestApplication::TestApplication()
    : Application("Test.set"),
      nextKey(kKeyEscape),
      shiftKey(kKeyLeftShift),
      previousChord(&nextKey, &shiftKey),
      helpKey(kKeyF1),
      screenshotKey(kKeyF12) {}

TestApplication::~TestApplication() = default;

void TestApplication::init() {
  Application::init();
  // Without a renderer no context could build its scene.
  if (!rendererHolder()) return;
  // The water scenes point into the window with the mouse.
  WaterContext* const waterContexts[] = {&choppyWaves, &newave, &water2D, &gerstnerWaves};
  for (WaterContext* water : waterContexts) water->setPickerWindow(window());
  for (Context* context : registrationOrder()) {
    const double start = Clock::nowMs();
    context->init();
    const double elapsed = Clock::nowMs() - start;
    contexts.push_back(context);
    initTimes.push_back(elapsed);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", elapsed);
    Logger::instance().line(1) << context->name() << " initialised in " << text << " ms" << std::endl;
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

double TestApplication::initTimeMs(const Context* context) const {
  for (std::size_t i = 0; i < contexts.size() && i < initTimes.size(); ++i) {
    if (contexts[i] == context) return initTimes[i];
  }
  return 0.0;
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
  helpKey.update();
  screenshotKey.update();
  if (helpKey.pressed()) keyHelpShown = !keyHelpShown;
  if (screenshotKey.pressed() && window()) screenshotWanted = window()->requestCapture();
}

void TestApplication::render() {
  Application::render();
  if (!screenshotWanted || !window()) return;
  screenshotWanted = false;
  const std::string name = currentContext() ? currentContext()->name() : std::string("testbed");
  const std::string path = screenshotPath(name, std::time(nullptr));
  std::string reason;
  if (saveFrame(*window(), true, path, reason)) {
    Logger::instance().line(1) << "Screenshot saved to \"" << path << "\"" << std::endl;
    std::printf("Screenshot saved to %s\n", path.c_str());
    std::fflush(stdout);
  } else {
    Logger::instance().line(2) << "Couldn't write \"" << path << "\": " << reason << std::endl;
    std::fprintf(stderr, "testbed: cannot write \"%s\": %s\n", path.c_str(), reason.c_str());
  }
}

std::vector<KeyHelp> TestApplication::globalKeyHelp() {
  return {{"Escape", "next context"},
          {"Shift + Escape", "previous context"},
          {"F1", "show or hide these keys"},
          {"F12", "save a screenshot in the working folder"}};
}

std::string TestApplication::keyHelpText(const Context& context) {
  std::string text = "Keys of " + context.name() + ":\n";
  const std::vector<KeyHelp> own = context.keyHelp();
  if (own.empty()) text += "  (none of its own)\n";
  for (const KeyHelp& key : own) text += "  " + key.keys + ": " + key.action + "\n";
  text += "Everywhere:\n";
  const std::vector<KeyHelp> global = globalKeyHelp();
  for (std::size_t i = 0; i < global.size(); ++i) {
    text += "  " + global[i].keys + ": " + global[i].action + (i + 1 < global.size() ? "\n" : "");
  }
  return text;
}

void TestApplication::drawOverlay() {
  Renderer* renderer = rendererHolder().get();
  if (!keyHelpShown || !renderer || !currentContext()) return;
  // Below the statistics lines.
  renderer->printText(5, 90, keyHelpText(*currentContext()));
}

std::string TestApplication::screenshotPath(const std::string& contextName, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = programApplicationPath() + contextName + "-" + stamp;
  std::string path = base + ".png";
  std::error_code error;
  for (int n = 2; std::filesystem::exists(path, error); ++n) path = base + "-" + std::to_string(n) + ".png";
  return path;
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
  if (!settingsFile().empty()) {
    std::ifstream file;
    if (!openInputFile(file, settingsFile())) {
      reportSetting("Couldn't read the settings file \"" + settingsFile() + "\" in " +
                    programApplicationPath() +
                    ": every setting takes its default (the build folder holds a generated one)");
    }
  }
  if (variables.get("data").name() != "data") {
    reportSetting("Setting \"data\" is not set: the scenes will not find their files");
  }
  SurfaceRequest request;
  request.title = variables.get("windowName").value();
  request.width = windowSide("resolutionX", kDefaultWidth, kMaxWidth);
  request.height = windowSide("resolutionY", kDefaultHeight, kMaxHeight);
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
