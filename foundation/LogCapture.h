#pragma once
#include <string>
#include <vector>

// Collects what the log receives during its lifetime, for tests that check log lines without
// reading "GameEngine.log" (which another process may be rewriting). Captures nest.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Everything written so far, prefixes included.
  const std::string& text() const { return captured; }
  // The complete lines written so far without their tag and time prefix ("Image creation failed").
  std::vector<std::string> messages() const;
  // True when some complete line's message contains part.
  bool contains(const std::string& part) const;

 private:
  std::string captured;
  std::string* previous;
};
