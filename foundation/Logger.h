#pragma once
#include <ostream>
#include <string>

// The engine's log, "GameEngine.log" in the working directory, truncated at each start. Usage:
//   Logger::instance().line(1) << "Loaded " << name << std::endl;
// Level 0 is debug, 1 information, 2 error; each line carries the tag and the program time in
// seconds, four significant digits, zero-padded to five characters.
class Logger {
 public:
  // The first call opens (and truncates) the file and writes the banner and the application path.
  // Nothing opens it before: a program that ends before its first log line leaves an earlier
  // run's log as it was.
  static Logger& instance();

  // Starts one line and returns the stream; the caller ends the line with std::endl.
  std::ostream& line(int level);

  // While text is not null, everything written to the log is appended to it as well. Returns the
  // previous target. LogCapture wraps this for tests.
  static std::string* copyTo(std::string* text);

  // Writes the tag and time prefix of a line to any stream (the file logger uses it, tests too).
  static void writePrefix(std::ostream& stream, int level, double seconds);

 private:
  explicit Logger(std::ostream& stream);

  std::ostream& out;
};

// Text for the debugger's output; each flush sends what was collected, in pieces of at most 100
// characters. On this platform it goes to standard error.
std::ostream& debugOut();

// Receives each zero-terminated piece of the debug stream; nullptr restores standard error.
using DebugSink = void (*)(const char* piece);
void setDebugSink(DebugSink sink);
