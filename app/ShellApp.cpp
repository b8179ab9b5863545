#include "app/ShellApp.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/BenchReport.h"
#include "app/MainWindow.h"
#include "app/OffscreenSurface.h"
#include "app/OutputFile.h"
#include "app/StopSignal.h"
#include "app/TestApplication.h"
#include "engine/Context.h"
#include "engine/Renderer.h"
#include "foundation/Clock.h"
#include "foundation/FileResolver.h"
#include "foundation/InputSource.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/Random.h"
#include "foundation/ScriptedInputSource.h"
#include "foundation/Timer.h"

namespace {

namespace fs = std::filesystem;

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

int argumentError(const std::string& message) {
  std::fprintf(stderr, "testbed: %s\n%s", message.c_str(), launchUsage().c_str());
  return 2;
}

// A result that could not be written: on standard error and, once the engine runs, in the log.
void reportUnwritten(const std::string& path, const std::string& reason, bool logOpen) {
  std::fprintf(stderr, "testbed: cannot write \"%s\": %s\n", path.c_str(), reason.c_str());
  if (logOpen) {
    Logger::instance().line(2) << "Couldn't write \"" << path << "\": " << reason << std::endl;
  }
}

// "BumpContext (0), Md3Context (1), ..." for messages about a wrong name.
std::string contextNames(TestApplication& application) {
  std::string names;
  int index = 0;
  for (Context* context : application.registrationOrder()) {
    if (!names.empty()) names += ", ";
    names += context->name() + " (" + std::to_string(index++) + ")";
  }
  return names;
}

// Replaces text (a name in any letter case, or an index) by the context's own name; empty stays
// empty. False, with the reason, when no context goes by it.
bool resolveContext(TestApplication& application, std::string& text, std::string& error) {
  if (text.empty()) return true;
  Context* context = application.findContext(text);
  if (!context) {
    error = "no context named \"" + text + "\"; the contexts are " + contextNames(application);
    return false;
  }
  text = context->name();
  return true;
}

// What is wrong with a file given on the command line, read through the engine's case-folding
// resolver as the engine will read it; empty when it can be read.
std::string unreadableInputFile(const std::string& name) {
  switch (fileKind(name)) {
    case FileKind::kRegular: break;
    case FileKind::kMissing: return "no such file";
    case FileKind::kDirectory: return "it is a folder";
    default: return "it is not a plain file";
  }
  std::ifstream file;
  if (!openInputFile(file, name)) return "it cannot be read";
  return std::string();
}

}  // namespace

double processAgeMs() {
  // Field 22 of /proc/self/stat is the start time in clock ticks since boot; the name field before
  // it may hold blanks, so counting starts after its closing parenthesis.
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  timespec now{};
  if (close == std::string::npos || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0.0;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  unsigned long long startTicks = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 22) {
      startTicks = std::strtoull(field.c_str(), nullptr, 10);
      break;
    }
  }
  const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
  if (startTicks == 0 || ticksPerSecond <= 0.0) return 0.0;
  const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) * 1e-6;
  return nowMs - static_cast<double>(startTicks) * 1000.0 / ticksPerSecond;
}

ShellApp::ShellApp() = default;
ShellApp::~ShellApp() = default;

int ShellApp::run(TestApplication& application, const LaunchOptions& given) {
  LaunchOptions options = given;
  // Everything that can be refused is refused before the log opens, so that a refused run leaves
  // the previous run's log as it was.
  std::string error;
  if (!resolveContext(application, options.contextName, error)) return argumentError(error);
  if (!resolveContext(application, options.benchContext, error)) return argumentError(error);
  if (options.settingsGiven) {
    if (Path(options.settingsFile).extension() != ".set") {
      return argumentError("--settings \"" + options.settingsFile + "\": a settings file's name must end in \".set\"");
    }
    const std::string problem = unreadableInputFile(options.settingsFile);
    if (!problem.empty()) return argumentError("--settings \"" + options.settingsFile + "\": " + problem);
  }
  if (!options.inputScript.empty() && !loadScript(options.inputScript)) return 2;
  if (!checkOutputs(application, options)) return 1;

  // The engine starts: the log opens with its banner and the application path.
  Logger::instance();
  installStopSignals();

  application.setSettingsFile(options.settingsFile);
  if (options.device == LaunchOptions::DeviceKind::Recording) {
    application.setSurfaceFactory([](const SurfaceRequest& request) -> std::unique_ptr<RenderSurface> {
      return OffscreenSurface::create(OffscreenSurface::Kind::Recording, request);
    });
  } else if (options.headless || !hasDisplay()) {
    application.setSurfaceFactory([](const SurfaceRequest& request) -> std::unique_ptr<RenderSurface> {
      return OffscreenSurface::create(OffscreenSurface::Kind::Gl, request);
    });
  } else {
    application.setSurfaceFactory([](const SurfaceRequest& request) -> std::unique_ptr<RenderSurface> {
      if (std::unique_ptr<RenderSurface> window = MainWindow::create(request)) return window;
      Logger::instance().line(2) << "No window: rendering off-screen" << std::endl;
      return OffscreenSurface::create(OffscreenSurface::Kind::Gl, request);
    });
  }

  const bool unattended = options.bench || !options.tourDirectory.empty();
  if (options.fixedStepMs > 0.0) {
    Timer::instance().setFixedStep(options.fixedStepMs);
  } else if (unattended) {
    Timer::instance().setFixedStep(kDefaultStepMs);
  }

  if (!initInstance(application)) {
    exitInstance(application);
    return 1;
  }
  if (script) InputSource::install(script.get());
  if (!options.contextName.empty()) application.selectContext(options.contextName);
  int status = 0;
  if (!options.tourDirectory.empty()) {
    status = runTour(application, options);
  } else if (options.bench) {
    status = runBench(application, options);
  } else {
    status = runInteractive(application, options);
  }
  const int signal = stopSignal();
  const int exitStatus = exitInstance(application);
  if (status != 0) return status;
  return signal != 0 ? 128 + signal : exitStatus;
}

bool ShellApp::loadScript(const std::string& path) {
  const std::string problem = unreadableInputFile(path);
  if (!problem.empty()) {
    argumentError("--input \"" + path + "\": " + problem);
    return false;
  }
  std::ifstream file;
  openInputFile(file, path);
  std::ostringstream text;
  text << file.rdbuf();
  script = std::make_unique<ScriptedInputSource>();
  std::vector<ScriptedInputSource::Problem> problems;
  if (script->parseText(text.str(), problems)) return true;
  for (const ScriptedInputSource::Problem& refused : problems) {
    const std::string reason = refused.reason.empty() ? "not understood" : refused.reason;
    std::fprintf(stderr, "testbed: --input \"%s\" line %d: %s: \"%s\"\n", path.c_str(), refused.line,
                 reason.c_str(), refused.text.c_str());
  }
  argumentError("cannot use the input script \"" + path + "\"");
  return false;
}

bool ShellApp::checkOutputs(TestApplication& application, const LaunchOptions& options) {
  std::vector<std::string> paths;
  if (!options.screenshotFile.empty()) paths.push_back(options.screenshotFile);
  if (!options.benchJsonFile.empty()) paths.push_back(options.benchJsonFile);
  if (!options.tourDirectory.empty()) {
    std::error_code error;
    fs::create_directories(options.tourDirectory, error);
    if (error) {
      reportUnwritten(options.tourDirectory, "the folder cannot be made: " + error.message(), false);
      return false;
    }
    for (Context* context : application.registrationOrder()) {
      paths.push_back((fs::path(options.tourDirectory) / (context->name() + ".png")).string());
    }
  }
  for (const std::string& path : paths) {
    std::string reason;
    if (!checkOutputPath(path, reason)) {
      reportUnwritten(path, reason, false);
      return false;
    }
  }
  return true;
}

int ShellApp::runFrames(Application& application, int frameLimit) {
  if (!initInstance(application)) {
    exitInstance(application);
    return 1;
  }
  while (onIdle(application)) {
    if (frameLimit > 0 && frames >= frameLimit) break;
  }
  return exitInstance(application);
}

bool ShellApp::initInstance(Application& application) {
  application.init();
  if (!rendererHolder() || !application.window()) {
    std::fprintf(stderr, "testbed: no graphics device could be created (see GameEngine.log)\n");
    return false;
  }
  InputSource::install(application.window()->inputSource());
  return true;
}

bool ShellApp::onIdle(Application& application) {
  if (!awaitFrame(*application.window())) return false;
  application.update();
  application.render();
  ++frames;
  if (startupMs < 0.0) {
    startupMs = processAgeMs();
    Logger::instance().line(1) << "First frame presented " << static_cast<int>(startupMs)
                               << " ms after the program started" << std::endl;
  }
  return true;
}

bool ShellApp::keepRunning(RenderSurface& surface) {
  const bool open = stopSignal() == 0 && surface.processEvents();
  const int signal = stopSignal();
  if (signal != 0 && !stopReported) {
    stopReported = true;
    Logger::instance().line(1) << "Stopped by " << stopSignalName(signal) << std::endl;
    std::fprintf(stderr, "testbed: stopped by %s\n", stopSignalName(signal));
  }
  return open && signal == 0;
}

bool ShellApp::awaitFrame(RenderSurface& surface) {
  for (;;) {
    if (!keepRunning(surface)) return false;
    if (!surface.isPaused()) break;
    if (!paused) {
      // Nothing to show a frame in: no frames, and no engine time passes, until it is restored.
      paused = true;
      Timer::instance().pause();
      Logger::instance().line(1) << "Paused: the window has no area" << std::endl;
    }
    surface.waitForEvents(kPausedWaitMs);
  }
  if (paused) {
    paused = false;
    Timer::instance().resume();
    Logger::instance().line(1) << "Resumed" << std::endl;
  }
  return true;
}

int ShellApp::exitInstance(Application& application) {
  if (!shutDown) {
    shutDown = true;
    application.shutdown();
  }
  InputSource::install(nullptr);
  return 0;
}

int ShellApp::runInteractive(TestApplication& application, const LaunchOptions& options) {
  RenderSurface& surface = *application.window();
  const bool screenshot = !options.screenshotFile.empty();
  for (;;) {
    if (screenshot) surface.requestCapture();
    if (!onIdle(application)) break;
    if (options.frames > 0 && frames >= options.frames) break;
  }
  // However the loop ended (frames done, window closed, signal), the picture is the last frame
  // that was presented.
  if (screenshot && !saveCapture(application, options.screenshotFile)) return 1;
  return 0;
}

int ShellApp::runTour(TestApplication& application, const LaunchOptions& options) {
  RenderSurface& surface = *application.window();
  const std::vector<Context*> order = application.contextList();
  if (options.cycleFirst) {
    // One drawn frame of each context, without updates: nothing moves and no time passes, but every
    // context's draws have reached the device before the first picture, as after cycling with
    // Escape. A context whose picture then changes depends on state another context left behind.
    for (Context* context : order) {
      application.selectContext(context->name());
      if (!awaitFrame(surface)) return 0;
      application.render();
    }
  }
  for (Context* context : order) {
    application.selectContext(context->name());
    // Each context's pictures then depend on its own frames only, not on the draws of the
    // contexts shown before it.
    resetRandom();
    for (int frame = 0; frame < kTourFrames; ++frame) {
      if (frame == kTourFrames - 1) surface.requestCapture();
      // Stopped early: the pictures saved so far are whole, the others absent.
      if (!onIdle(application)) return 0;
    }
    const std::string path = (fs::path(options.tourDirectory) / (context->name() + ".png")).string();
    if (!saveCapture(application, path)) return 1;
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

int ShellApp::runBench(TestApplication& application, const LaunchOptions& options) {
  RenderSurface& surface = *application.window();
  BenchReport report;
  report.setDevice(options.device == LaunchOptions::DeviceKind::Recording ? "recording" : "gl");
  const std::vector<Context*> order = application.contextList();
  bool complete = true;
  for (Context* context : order) {
    if (!options.benchContext.empty() && context->name() != options.benchContext) continue;
    application.selectContext(context->name());
    for (int frame = 0; frame < kBenchWarmupFrames && complete; ++frame) complete = onIdle(application);
    UpdateFloor* floor = context->updateFloor();
    std::vector<double> updateMs;
    std::vector<double> renderMs;
    std::vector<double> floorMs;
    updateMs.reserve(kBenchFrames);
    renderMs.reserve(kBenchFrames);
    floorMs.reserve(floor ? kBenchFrames : 0);
    for (int frame = 0; frame < kBenchFrames && complete; ++frame) {
      complete = awaitFrame(surface);
      if (!complete) break;
      if (floor) {
        // Beside the update, in the same frame, so that both see the same load.
        floor->prepare();
        const double floorStart = Clock::nowMs();
        floor->run();
        floorMs.push_back(Clock::nowMs() - floorStart);
      }
      const double start = Clock::nowMs();
      application.update();
      const double updated = Clock::nowMs();
      application.render();
      const double rendered = Clock::nowMs();
      ++frames;
      updateMs.push_back(updated - start);
      renderMs.push_back(rendered - updated);
    }
    if (!complete) break;
    report.addContext(context->name(), updateMs, renderMs, application.initTimeMs(context));
    if (floor) report.setFloor(floor->description(), floorMs);
  }
  report.setStartupMs(startupMs);
  std::fputs(report.table().c_str(), stdout);
  if (!complete) {
    // A partial benchmark would read as a whole one.
    if (!options.benchJsonFile.empty()) {
      std::fprintf(stderr, "testbed: the benchmark did not finish: \"%s\" not written\n",
                   options.benchJsonFile.c_str());
    }
    return 0;
  }
  if (!options.benchJsonFile.empty()) {
    const std::string json = report.json();
    std::string reason;
    if (!writeOutputFile(options.benchJsonFile, json.data(), json.size(), reason)) {
      reportUnwritten(options.benchJsonFile, reason, true);
      return 1;
    }
  }
  return 0;
}

bool ShellApp::saveCapture(TestApplication& application, const std::string& path) {
  std::string reason;
  if (!saveFrame(*application.window(), frames > 0, path, reason)) {
    reportUnwritten(path, reason, true);
    return false;
  }
  Logger::instance().line(1) << "Saved the frame to \"" << path << "\"" << std::endl;
  return true;
}
