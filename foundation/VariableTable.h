#pragma once
#include <map>
#include <string>

#include "foundation/Variable.h"

// All settings of the program, by name (case-sensitive). Filled once from a settings file of
// "set" lines; lookups of unknown names give the variable "INVALID" with the value "INVALID".
class VariableTable {
 public:
  // The program's table. Only the first call constructs it, loading fileName when given.
  static VariableTable& instance(const char* fileName = nullptr);

  // A table of its own, loaded from fileName when that ends in ".set" (exactly; nullptr or another
  // extension gives an empty table and no log line).
  explicit VariableTable(const char* fileName = nullptr);

  Variable get(const char* name) const;
  Variable get(const std::string& name) const { return get(name.c_str()); }
  void set(const Variable& variable);
  // Forgets every variable (the file name stays).
  void clear();

  // The settings file that was accepted, or empty.
  const std::string& fileName() const { return settingsFile; }
  std::size_t size() const { return variables.size(); }

 private:
  void load();

  std::map<std::string, std::string> variables;
  std::string settingsFile;
};
