#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/InputSource.h"

// Input played back from a script of timed events, for unattended runs and tests. One event a line,
// '#' starts a comment:
//   <frame> key down <KEY>        <frame> key up <KEY>        (KEY: a name such as ESCAPE, LSHIFT,
//                                                               SPACE, A, UP, F1, or an engine code)
//   <frame> mouse move <dx> <dy>  <frame> mouse wheel <dz>
//   <frame> mouse button <0|1|2> down|up
//   <frame> mouse cursor <x> <y>
// Mouse numbers must be finite and at most 100000 in size.
// An event takes effect once the Timer's frame number has reached its frame. Motion and wheel
// events add up until the next mouse read, which reports their sums and starts again from 0.
class ScriptedInputSource : public InputSource {
 public:
  // Replace the script. Malformed lines are logged (level 2, with their line number) and skipped;
  // the result is false when any line was skipped or the file could not be opened.
  bool loadText(const std::string& text);
  bool loadFile(const std::string& path);

  // A line that was refused: its number (from 1), its text without the comment, and why, when the
  // reason is more than "not understood" (a number out of range, for one); empty otherwise.
  struct Problem {
    int line;
    std::string text;
    std::string reason;
  };
  // Replaces the script as loadText does, but logs nothing: every refused line is put in problems.
  bool parseText(const std::string& text, std::vector<Problem>& problems);

  bool readKeyboard(std::uint8_t* keys) override;
  bool readMouse(MouseReading& reading) override;
  bool readCursor(float& x, float& y) override;

  std::size_t eventCount() const { return events.size(); }
  // True once every event has taken effect.
  bool finished() const { return nextEvent == events.size(); }
  // The frame of the last event (0 for an empty script).
  std::uint32_t lastEventFrame() const;

 private:
  enum class Kind { KeyDown, KeyUp, MouseMove, MouseWheel, ButtonDown, ButtonUp, Cursor };
  struct Event {
    std::uint32_t frame;
    Kind kind;
    int index;  // key code or button
    float x;
    float y;
  };

  // False for a refused line, with reason set when it is more than "not understood".
  bool parseLine(const std::string& line, Event& event, std::string& reason) const;
  // Applies every event whose frame has been reached.
  void advance();

  std::vector<Event> events;
  std::size_t nextEvent = 0;
  std::uint8_t keys[kKeyCount] = {};
  MouseReading pending;
  float cursorX = 0.0f;
  float cursorY = 0.0f;
};
