#pragma once
#include <string>
#include <utility>

#include "foundation/RefCounted.h"

class VariableTable;

// An operation built from one line of text. Owned by the CommandLine that parsed it (the count of
// the RefCounted base is not used).
class Command : public RefCounted {
 public:
  explicit Command(std::string className) : commandName(std::move(className)) {}

  // Runs the command on variables; when result is not null it receives a short report.
  virtual void execute(std::string* result, VariableTable& variables) = 0;
  // The same on the program's VariableTable.
  void execute(std::string* result = nullptr);

  const std::string& name() const { return commandName; }

 private:
  std::string commandName;
};

// The command selected by word ("set" is the only one, case-sensitive), built from the argument
// text; nullptr for any other word. The caller owns the result.
Command* createCommand(const char* word, const char* arguments);
