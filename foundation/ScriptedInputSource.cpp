#include "foundation/ScriptedInputSource.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/FileResolver.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"

namespace {

// Mouse motion, wheel and cursor numbers beyond this size are refused: no screen or device moves
// that far in one event, and larger values drive the camera to infinity.
constexpr double kMaxMouseValue = 100000.0;

// False when text is not a usable mouse number; reason then says why when it is more than "not
// understood".
bool parseMouseNumber(const std::string& text, float& value, std::string& reason) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (*end != '\0') return false;
  if (std::isnan(parsed) || std::isinf(parsed) || errno == ERANGE) {
    reason = "not a finite number";
    return false;
  }
  if (std::fabs(parsed) > kMaxMouseValue) {
    reason = "number out of range (at most 100000 in size)";
    return false;
  }
  value = static_cast<float>(parsed);
  return true;
}

bool parseInteger(const std::string& text, long long lo, long long hi, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || parsed < lo || parsed > hi) return false;
  value = parsed;
  return true;
}

bool isDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int parseKey(const std::string& text) {
  long long code = 0;
  if (parseInteger(text, 0, kKeyCount - 1, code)) return static_cast<int>(code);
  return findEngineKey(text);
}

}  // namespace

bool ScriptedInputSource::parseLine(const std::string& line, Event& event, std::string& reason) const {
  reason.clear();
  std::istringstream words(line);
  std::vector<std::string> w;
  for (std::string word; words >> word;) w.push_back(word);
  long long frame = 0;
  if (w.size() < 3) return false;
  if (!parseInteger(w[0], 0, 0xFFFFFFFFll, frame)) {
    if (isDigits(w[0])) reason = "frame number out of range (at most 4294967295)";
    return false;
  }
  event = Event{static_cast<std::uint32_t>(frame), Kind::KeyDown, 0, 0.0f, 0.0f};
  const std::string& device = w[1];
  const std::string& action = w[2];
  if (device == "key") {
    if (w.size() != 4 || (action != "down" && action != "up")) return false;
    event.kind = action == "down" ? Kind::KeyDown : Kind::KeyUp;
    event.index = parseKey(w[3]);
    return event.index >= 0;
  }
  if (device != "mouse") return false;
  if (action == "move" || action == "cursor") {
    event.kind = action == "move" ? Kind::MouseMove : Kind::Cursor;
    return w.size() == 5 && parseMouseNumber(w[3], event.x, reason) &&
           parseMouseNumber(w[4], event.y, reason);
  }
  if (action == "wheel") {
    event.kind = Kind::MouseWheel;
    return w.size() == 4 && parseMouseNumber(w[3], event.x, reason);
  }
  if (action == "button") {
    long long button = 0;
    if (w.size() != 5 || !parseInteger(w[3], 0, 2, button)) return false;
    if (w[4] != "down" && w[4] != "up") return false;
    event.kind = w[4] == "down" ? Kind::ButtonDown : Kind::ButtonUp;
    event.index = static_cast<int>(button);
    return true;
  }
  return false;
}

bool ScriptedInputSource::parseText(const std::string& text, std::vector<Problem>& problems) {
  events.clear();
  nextEvent = 0;
  std::fill(keys, keys + kKeyCount, std::uint8_t{0});
  pending = MouseReading{};
  cursorX = cursorY = 0.0f;
  problems.clear();
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::size_t comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    Event event;
    std::string reason;
    if (parseLine(line, event, reason)) {
      events.push_back(event);
    } else {
      problems.push_back({number, line, reason});
    }
  }
  // Events of one frame keep the order in which the script lists them.
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.frame < b.frame; });
  return problems.empty();
}

bool ScriptedInputSource::loadText(const std::string& text) {
  std::vector<Problem> problems;
  const bool allUnderstood = parseText(text, problems);
  for (const Problem& problem : problems) {
    std::ostream& out = Logger::instance().line(2);
    out << "Input script line " << problem.line << " not understood: \"" << problem.text << "\"";
    if (!problem.reason.empty()) out << " (" << problem.reason << ")";
    out << std::endl;
  }
  return allUnderstood;
}

bool ScriptedInputSource::loadFile(const std::string& path) {
  std::ifstream file;
  if (!openInputFile(file, path)) {
    Logger::instance().line(2) << "Couldn't open input script \"" << path << "\"" << std::endl;
    events.clear();
    nextEvent = 0;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return loadText(text.str());
}

std::uint32_t ScriptedInputSource::lastEventFrame() const {
  return events.empty() ? 0 : events.back().frame;
}

void ScriptedInputSource::advance() {
  const std::uint32_t frame = Timer::instance().frame();
  while (nextEvent < events.size() && events[nextEvent].frame <= frame) {
    const Event& e = events[nextEvent++];
    switch (e.kind) {
      case Kind::KeyDown: keys[e.index] = 1; break;
      case Kind::KeyUp: keys[e.index] = 0; break;
      case Kind::MouseMove:
        pending.dx += e.x;
        pending.dy += e.y;
        break;
      case Kind::MouseWheel: pending.wheel += e.x; break;
      case Kind::ButtonDown: pending.buttons[e.index] = 1; break;
      case Kind::ButtonUp: pending.buttons[e.index] = 0; break;
      case Kind::Cursor:
        cursorX = e.x;
        cursorY = e.y;
        break;
    }
  }
}

bool ScriptedInputSource::readKeyboard(std::uint8_t* keysOut) {
  advance();
  std::copy(keys, keys + kKeyCount, keysOut);
  return true;
}

bool ScriptedInputSource::readMouse(MouseReading& reading) {
  advance();
  reading = pending;
  pending.dx = pending.dy = pending.wheel = 0.0f;
  return true;
}

bool ScriptedInputSource::readCursor(float& x, float& y) {
  advance();
  x = cursorX;
  y = cursorY;
  return true;
}
