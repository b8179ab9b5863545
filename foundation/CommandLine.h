#pragma once
#include <string>

class Command;
class VariableTable;

// One parsed line of commands. A line containing "//" anywhere, or made only of blanks and tabs, is
// skipped; an empty line has no command and is not skipped; otherwise the first word selects the
// command and the text after the one blank or tab that ends it is the command's argument text.
class CommandLine {
 public:
  explicit CommandLine(const char* line);
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  bool skip() const { return skipped; }
  // The parsed command, or nullptr for an empty line, a skipped line or an unknown word.
  const Command* command() const { return parsed; }

  // Runs the command; without one, result (when not null) becomes "Command is invalid".
  void execute(std::string* result, VariableTable& variables);
  // The same on the program's VariableTable.
  void execute(std::string* result = nullptr);

 private:
  Command* parsed = nullptr;
  bool skipped = false;
};
