#pragma once
#include <string>

#include "foundation/Command.h"

// "set <name> <value>": stores value (everything after the blank that ends the name) under name.
class CommandSetVariable : public Command {
 public:
  explicit CommandSetVariable(const std::string& arguments);

  using Command::execute;
  void execute(std::string* result, VariableTable& variables) override;

  const std::string& variableName() const { return nameText; }
  const std::string& value() const { return valueText; }

 private:
  std::string nameText;
  std::string valueText;
};
