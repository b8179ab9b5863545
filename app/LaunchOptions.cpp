#include "app/LaunchOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool isOption(const std::string& text) { return text.size() > 2 && text.compare(0, 2, "--") == 0; }

// Whole-text decimal integer in [1, 2^31).
bool readPositiveInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < 1 || parsed > 0x7FFFFFFFL) return false;
  value = static_cast<int>(parsed);
  return true;
}

// Whole-text decimal number in (0, limit].
bool readPositiveNumber(const std::string& text, double limit, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed <= 0.0 || parsed > limit) return false;
  value = parsed;
  return true;
}

// The first pair of options that cannot go together, with the reason; empty when there is none.
std::string contradiction(const LaunchOptions& o) {
  const bool tour = !o.tourDirectory.empty();
  const bool screenshot = !o.screenshotFile.empty();
  const bool recording = o.device == LaunchOptions::DeviceKind::Recording;
  if (o.bench && tour) return "--bench and --tour cannot be combined: each runs every context its own way";
  if (tour && !o.contextName.empty()) return "--tour shows every context: --context cannot choose one";
  if (tour && o.frames > 0) return "--tour runs a fixed number of frames per context: --frames cannot change it";
  if (tour && screenshot) return "--tour saves a picture of every context: it takes no --screenshot";
  if (o.bench && screenshot) return "--bench measures frames and saves no picture: it takes no --screenshot";
  if (o.bench && o.frames > 0) return "--bench runs a fixed number of frames per context: --frames cannot change it";
  if (o.bench && !o.contextName.empty()) return "--bench NAME chooses the context to measure, not --context";
  if (recording && screenshot) return "--device recording draws nothing: --screenshot would save a blank picture";
  if (recording && tour) return "--device recording draws nothing: --tour would save blank pictures";
  if (o.cycleFirst && !tour) return "--cycle-first needs --tour";
  if (!o.benchJsonFile.empty() && !o.bench) return "--bench-json needs --bench";
  return std::string();
}

}  // namespace

bool parseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options, std::string& error) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  return parseLaunchOptions(arguments, options, error);
}

bool parseLaunchOptions(const std::vector<std::string>& arguments, LaunchOptions& options,
                        std::string& error) {
  const std::size_t count = arguments.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& option = arguments[i];
    // Options with a required value take the next argument, which must not be another option.
    auto value = [&](std::string& out) {
      if (i + 1 >= count || isOption(arguments[i + 1]) || arguments[i + 1].empty()) {
        error = option + " needs a value";
        return false;
      }
      out = arguments[++i];
      return true;
    };
    std::string text;
    if (option == "--help" || option == "-h") {
      options.help = true;
    } else if (option == "--headless") {
      options.headless = true;
    } else if (option == "--list") {
      options.list = true;
    } else if (option == "--keys") {
      options.keys = true;
    } else if (option == "--settings") {
      if (!value(options.settingsFile)) return false;
      options.settingsGiven = true;
    } else if (option == "--context") {
      if (!value(options.contextName)) return false;
    } else if (option == "--frames") {
      if (!value(text)) return false;
      if (!readPositiveInt(text, options.frames)) {
        error = "--frames needs a positive whole number, not \"" + text + "\"";
        return false;
      }
    } else if (option == "--fixed-step") {
      if (!value(text)) return false;
      if (!readPositiveNumber(text, LaunchOptions::kMaxFixedStepMs, options.fixedStepMs)) {
        error = "--fixed-step needs a number of milliseconds above 0 and at most 1000, not \"" + text + "\"";
        return false;
      }
    } else if (option == "--screenshot") {
      if (!value(options.screenshotFile)) return false;
    } else if (option == "--tour") {
      if (!value(options.tourDirectory)) return false;
    } else if (option == "--cycle-first") {
      options.cycleFirst = true;
    } else if (option == "--input") {
      if (!value(options.inputScript)) return false;
    } else if (option == "--bench") {
      options.bench = true;
      // The context name is optional: only a following non-option argument is taken.
      if (i + 1 < count && !isOption(arguments[i + 1]) && !arguments[i + 1].empty()) {
        options.benchContext = arguments[++i];
      }
    } else if (option == "--bench-json") {
      if (!value(options.benchJsonFile)) return false;
    } else if (option == "--device") {
      if (!value(text)) return false;
      if (text == "gl") {
        options.device = LaunchOptions::DeviceKind::Gl;
      } else if (text == "recording") {
        options.device = LaunchOptions::DeviceKind::Recording;
      } else {
        error = "--device must be gl or recording, not \"" + text + "\"";
        return false;
      }
    } else {
      error = "unknown argument \"" + option + "\"";
      return false;
    }
  }
  error = contradiction(options);
  return error.empty();
}

std::string launchUsage() {
  return "usage: testbed [--settings FILE] [--headless] [--context NAME] [--frames N]\n"
         "               [--fixed-step MS] [--screenshot FILE] [--tour DIR [--cycle-first]] [--input FILE]\n"
         "               [--bench [NAME]] [--bench-json FILE] [--device gl|recording] [--list] [--keys]\n"
         "               [--help]\n"
         "  --settings FILE    settings file to read (default \"Test.set\"); it must exist and end in \".set\"\n"
         "  --headless         render off-screen without a window (also chosen when there is no display)\n"
         "  --context NAME     make that context current after start-up instead of BumpContext; NAME in\n"
         "                     any letter case, or its index 0-11 in the switching order (see --list)\n"
         "  --frames N         end after N frames with the normal shut-down\n"
         "  --fixed-step MS    advance time by exactly MS milliseconds per frame (above 0, at most 1000)\n"
         "  --screenshot FILE  save the last presented frame as PNG\n"
         "  --tour DIR         render every context for a fixed number of fixed-step frames and save\n"
         "                     DIR/<ContextName>.png for each\n"
         "  --cycle-first      with --tour: first draw one frame of every context in switching order\n"
         "                     (nothing moves), so each picture starts from the device state a whole\n"
         "                     Escape cycle leaves behind; the pictures must equal a plain tour's\n"
         "  --input FILE       read keyboard and mouse from a script instead of the devices\n"
         "  --bench [NAME]     time update and render of every context (or the named one)\n"
         "  --bench-json FILE  also write the benchmark results as JSON\n"
         "  --device KIND      gl (default) or recording (no OpenGL: the engine's own CPU cost)\n"
         "  --list             print the context names in switching order and exit\n"
         "  --keys             print every context's keys as a Markdown table and exit\n"
         "  --help             print this text\n"
         "Results are written whole or not at all; the exit status is 0, 1 when the program cannot\n"
         "start or a result cannot be written, 2 for a bad command line, 128 + N after signal N\n"
         "(SIGINT, SIGTERM), which ends the run through the normal shut-down.\n";
}
