#include "foundation/CommandLine.h"

#include "foundation/Command.h"
#include "foundation/StringUtils.h"
#include "foundation/VariableTable.h"

CommandLine::CommandLine(const char* line) {
  if (!line || *line == '\0') return;
  const std::string text = line;
  if (text.find("//") != std::string::npos || findNonBlank(text) == std::string::npos) {
    skipped = true;
    return;
  }
  std::string word, arguments;
  splitFirstWord(text, word, arguments);
  parsed = createCommand(word.c_str(), arguments.c_str());
}

CommandLine::~CommandLine() { delete parsed; }

void CommandLine::execute(std::string* result, VariableTable& variables) {
  if (parsed) {
    parsed->execute(result, variables);
  } else if (result) {
    *result = "Command is invalid";
  }
}

void CommandLine::execute(std::string* result) { execute(result, VariableTable::instance()); }
