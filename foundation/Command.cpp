#include "foundation/Command.h"

#include <cstring>

#include "foundation/CommandSetVariable.h"
#include "foundation/VariableTable.h"

void Command::execute(std::string* result) { execute(result, VariableTable::instance()); }

Command* createCommand(const char* word, const char* arguments) {
  if (word && std::strcmp(word, "set") == 0) return new CommandSetVariable(arguments ? arguments : "");
  return nullptr;
}
