#pragma once
#include <string>
#include <vector>

// What the command line asks of a run. The defaults give the interactive program: a window (or the
// off-screen surface when there is no display), wall-clock time, BumpContext first, no end but
// closing the window.
struct LaunchOptions {
  enum class DeviceKind { Gl, Recording };

  std::string settingsFile = "Test.set";
  bool settingsGiven = false;  // --settings named the file: it must then be usable
  bool headless = false;
  std::string contextName;   // empty: the first context of the switching order; as typed (any
                             // letter case, or an index 0-11): the shell resolves it
  int frames = 0;            // 0: run until the window is closed
  double fixedStepMs = 0.0;  // 0: wall-clock time; otherwise above 0 and at most kMaxFixedStepMs
  std::string screenshotFile;
  std::string tourDirectory;
  bool cycleFirst = false;   // the tour starts after one frame of every context (see --cycle-first)
  std::string inputScript;
  bool bench = false;
  std::string benchContext;  // empty: every context
  std::string benchJsonFile;
  DeviceKind device = DeviceKind::Gl;
  bool help = false;
  bool list = false;
  bool keys = false;

  static constexpr double kMaxFixedStepMs = 1000.0;
};

// Reads argv[1..argc-1] into options. On a malformed command line, or one whose options contradict
// each other, returns false and says why in error; options then hold whatever was read before it.
bool parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options, std::string& error);

// Same, for arguments already split (tests use this).
bool parseLaunchOptions(const std::vector<std::string>& arguments, LaunchOptions& options,
                        std::string& error);

// The usage text printed for --help and for errors in the arguments.
std::string launchUsage();
