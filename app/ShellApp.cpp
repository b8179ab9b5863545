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
#include "app/TestApplication.h"
#include "engine/Renderer.h"
#include "foundation/Clock.h"
#include "foundation/InputSource.h"
#include "foundation/Logger.h"
#include "foundation/Random.h"
#include "foundation/ScriptedInputSource.h"
#include "foundation/Timer.h"
#include "image/Image.h"

namespace {

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

int argumentError(const std::string& message) {
  std::fprintf(stderr, "testbed: %s\n%s", message.c_str(), launchUsage().c_str());
  return 2;
}

bool isContextName(TestApplication& application, const std::string& name) {
  for (Context* context : application.registrationOrder()) {
    if (context->name() == name) return true;
  }
  return false;
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

int ShellApp::run(TestApplication& application, const LaunchOptions& options) {
  if (!options.contextName.empty() && !isContextName(application, options.contextName)) {
    return argumentError("no context named \"" + options.contextName + "\"");
  }
  if (!options.benchContext.empty() && !isContextName(application, options.benchContext)) {
    return argumentError("no context named \"" + options.benchContext + "\"");
  }
  if (!options.inputScript.empty()) {
    script = std::make_unique<ScriptedInputSource>();
    if (!script->loadFile(options.inputScript)) {
      return argumentError("cannot use the input script \"" + options.inputScript + "\"");
    }
  }

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
  const int exitStatus = exitInstance(application);
  return status != 0 ? status : exitStatus;
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
  if (!application.window()->processEvents()) return false;
  application.update();
  application.render();
  ++frames;
  if (startupMs < 0.0) startupMs = processAgeMs();
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
  if (screenshot && !saveCapture(application, options.screenshotFile)) return 1;
  return 0;
}

int ShellApp::runTour(TestApplication& application, const LaunchOptions& options) {
  std::error_code error;
  std::filesystem::create_directories(options.tourDirectory, error);
  RenderSurface& surface = *application.window();
  const std::vector<Context*> order = application.contextList();
  if (options.cycleFirst) {
    // One drawn frame of each context, without updates: nothing moves and no time passes, but every
    // context's draws have reached the device before the first picture, as after cycling with
    // Escape. A context whose picture then changes depends on state another context left behind.
    for (Context* context : order) {
      application.selectContext(context->name());
      if (!surface.processEvents()) return 0;
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
      if (!onIdle(application)) return 0;
    }
    const std::string path =
        (std::filesystem::path(options.tourDirectory) / (context->name() + ".png")).string();
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
  for (Context* context : order) {
    if (!options.benchContext.empty() && context->name() != options.benchContext) continue;
    application.selectContext(context->name());
    for (int frame = 0; frame < kBenchWarmupFrames; ++frame) {
      if (!onIdle(application)) return 0;
    }
    std::vector<double> updateMs;
    std::vector<double> renderMs;
    updateMs.reserve(kBenchFrames);
    renderMs.reserve(kBenchFrames);
    for (int frame = 0; frame < kBenchFrames; ++frame) {
      if (!surface.processEvents()) return 0;
      const double start = Clock::nowMs();
      application.update();
      const double updated = Clock::nowMs();
      application.render();
      const double rendered = Clock::nowMs();
      ++frames;
      updateMs.push_back(updated - start);
      renderMs.push_back(rendered - updated);
    }
    report.addContext(context->name(), updateMs, renderMs);
  }
  report.setStartupMs(startupMs);
  std::fputs(report.table().c_str(), stdout);
  if (!options.benchJsonFile.empty()) {
    std::ofstream out(options.benchJsonFile, std::ios::out | std::ios::trunc);
    out << report.json();
    if (!out) {
      std::fprintf(stderr, "testbed: cannot write \"%s\"\n", options.benchJsonFile.c_str());
      return 1;
    }
  }
  return 0;
}

bool ShellApp::saveCapture(TestApplication& application, const std::string& path) {
  std::vector<std::uint8_t> rgba;
  int width = 0;
  int height = 0;
  if (!application.window()->takeCapture(rgba, width, height) || width <= 0 || height <= 0 ||
      rgba.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    Logger::instance().line(2) << "Couldn't read back the frame for \"" << path << "\"" << std::endl;
    std::fprintf(stderr, "testbed: cannot read back the frame for \"%s\"\n", path.c_str());
    return false;
  }
  Image picture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                ImageFormat::kRgba, rgba.data());
  // The frame comes top row first; created images are saved bottom row first.
  picture.flip();
  if (picture.isEmpty() || !picture.savePng(path)) {
    std::fprintf(stderr, "testbed: cannot write \"%s\"\n", path.c_str());
    return false;
  }
  return true;
}
