// Entry point of the test-bed. The two program-lifetime objects are built by static
// initialisation, before main, so that the engine-wide services created later (settings, timer,
// renderer, ...) are destroyed first at exit, then the test application with its contexts and its
// window, and last the shell.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/LaunchOptions.h"
#include "app/ShellApp.h"
#include "app/TestApplication.h"
#include "engine/OrbitCameraController.h"
#include "foundation/Logger.h"

ShellApp theShellApp;
TestApplication theTestApplication;

namespace {

std::ostream& startupDebugStream = debugOut();

}  // namespace

// The log is opened only by a run that starts the engine (ShellApp::run), so --help, --list and a
// refused command line leave the previous run's "GameEngine.log" as it was.
int main(int argc, char** argv) {
  LaunchOptions options;
  std::string error;
  if (!parseLaunchOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "testbed: %s\n%s", error.c_str(), launchUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(launchUsage().c_str(), stdout);
    return 0;
  }
  if (options.list) {
    for (Context* context : theTestApplication.registrationOrder()) std::puts(context->name().c_str());
    return 0;
  }
  if (options.keys) {
    // The README's table of keys is this output. The orbit camera's mouse actions, which most
    // contexts share, are listed once below the table.
    const std::vector<KeyHelp> orbit = OrbitCameraController::mouseHelp();
    std::puts("| context | keys (besides Escape, Shift + Escape, F1 and F12) |\n|---|---|");
    for (Context* context : theTestApplication.registrationOrder()) {
      std::vector<KeyHelp> help = context->keyHelp();
      std::string keys;
      const bool orbits = help.size() >= orbit.size() &&
                          std::equal(orbit.begin(), orbit.end(), help.begin(), [](const KeyHelp& a, const KeyHelp& b) {
                            return a.keys == b.keys && a.action == b.action;
                          });
      if (orbits) {
        help.erase(help.begin(), help.begin() + static_cast<std::ptrdiff_t>(orbit.size()));
        keys = "mouse: orbit camera";
      }
      for (const KeyHelp& key : help) keys += (keys.empty() ? "" : "; ") + key.keys + ": " + key.action;
      std::printf("| %s | %s |\n", context->name().c_str(), keys.empty() ? "none of its own" : keys.c_str());
    }
    std::puts("\nOrbit camera:");
    for (const KeyHelp& key : orbit) std::printf("- %s: %s\n", key.keys.c_str(), key.action.c_str());
    return 0;
  }
  return theShellApp.run(theTestApplication, options);
}
