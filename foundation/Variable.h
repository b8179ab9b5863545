#pragma once
#include <string>

// A named setting: its text exactly as the settings file gave it.
class Variable {
 public:
  Variable() = default;
  Variable(std::string name, std::string value);

  const std::string& name() const { return variableName; }
  const std::string& value() const { return variableValue; }
  // The value as the C library's atof reads it: 0.0 when it does not start with a number.
  double asFloat() const;

 private:
  std::string variableName;
  std::string variableValue;
};
