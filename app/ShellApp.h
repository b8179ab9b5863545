#pragma once
#include <memory>
#include <string>

#include "app/LaunchOptions.h"

class Application;
class BenchReport;
class RenderSurface;
class InputSource;
class ScriptedInputSource;
class TestApplication;

// The window and event-loop layer around the application: init once before the first frame, one
// update then one render whenever no events are pending, shutdown exactly once when the window is
// closed (or the requested frames are done), before any engine-wide service is destroyed. Also
// runs the unattended modes: screenshots, the tour of every context and the benchmark.
class ShellApp {
 public:
  ShellApp();
  ~ShellApp();

  // Runs the application as the options say and returns the process exit status: 0, 1 when the
  // program cannot start (no device) or a result cannot be written, 2 for a bad command line,
  // 128 + N when signal N (SIGINT, SIGTERM) stopped it. Everything that can be refused (names,
  // files to read, places to write) is refused before the engine starts and the log is opened.
  int run(TestApplication& application, const LaunchOptions& options);

  // The plain loop for any application: init, frames until the surface closes or frameLimit
  // frames (0: no limit) have run, shutdown. Returns 0, or 1 when no device could be made.
  int runFrames(Application& application, int frameLimit);

  // Frames presented so far.
  int frameCount() const { return frames; }

  // The frames every context gets in a tour, and the step they advance by when none is given.
  static constexpr int kTourFrames = 60;
  static constexpr double kDefaultStepMs = 20.0;
  static constexpr int kBenchWarmupFrames = 20;
  static constexpr int kBenchFrames = 200;
  // How long a paused loop sleeps between looks at a stop signal when no event comes.
  static constexpr int kPausedWaitMs = 100;

 private:
  bool initInstance(Application& application);
  // One frame; false when the surface was closed or a stop signal came before it.
  bool onIdle(Application& application);
  // Handles the surface's events; false once it was closed or a stop signal came.
  bool keepRunning(RenderSurface& surface);
  // keepRunning, waiting while the surface is paused (a minimised window) with engine time
  // stopped; true when the next frame may be drawn.
  bool awaitFrame(RenderSurface& surface);
  int exitInstance(Application& application);

  // Reads and checks the --input script; false (with the reasons on standard error) when it
  // cannot be used.
  bool loadScript(const std::string& path);
  // Whether every result the options ask for can be written (the tour's folder is made here);
  // false, having said which and why, when one cannot.
  bool checkOutputs(TestApplication& application, const LaunchOptions& options);

  int runInteractive(TestApplication& application, const LaunchOptions& options);
  int runTour(TestApplication& application, const LaunchOptions& options);
  int runBench(TestApplication& application, const LaunchOptions& options);
  bool saveCapture(TestApplication& application, const std::string& path);

  std::unique_ptr<ScriptedInputSource> script;
  int frames = 0;
  double startupMs = -1.0;
  bool shutDown = false;
  bool stopReported = false;
  bool paused = false;
};

// Milliseconds since this process started, as the system counts it.
double processAgeMs();
