#include "foundation/VariableTable.h"

#include <fstream>

#include "foundation/CommandLine.h"
#include "foundation/FileResolver.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"

VariableTable& VariableTable::instance(const char* fileName) {
  static VariableTable table(fileName);
  return table;
}

VariableTable::VariableTable(const char* fileName) {
  if (!fileName) return;
  if (Path(fileName).extension() != ".set") return;
  settingsFile = fileName;
  load();
}

Variable VariableTable::get(const char* name) const {
  if (name) {
    const auto found = variables.find(name);
    if (found != variables.end()) return Variable(found->first, found->second);
  }
  return Variable("INVALID", "INVALID");
}

void VariableTable::set(const Variable& variable) { variables[variable.name()] = variable.value(); }

void VariableTable::clear() { variables.clear(); }

void VariableTable::load() {
  Logger::instance().line(1) << "Loading settings from \"" << settingsFile << "\"" << std::endl;
  std::ifstream file;
  if (!openInputFile(file, settingsFile)) return;
  std::string text;
  while (std::getline(file, text)) {
    // A settings file written on Windows keeps its carriage returns here; they are not values.
    if (!text.empty() && text.back() == '\r') text.pop_back();
    CommandLine line(text.c_str());
    if (!line.skip()) line.execute(nullptr, *this);
  }
}
