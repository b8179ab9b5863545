#include "foundation/CommandSetVariable.h"

#include "foundation/StringUtils.h"
#include "foundation/VariableTable.h"

CommandSetVariable::CommandSetVariable(const std::string& arguments) : Command("CommandSetVariable") {
  splitFirstWord(arguments, nameText, valueText);
}

void CommandSetVariable::execute(std::string* result, VariableTable& variables) {
  variables.set(Variable(nameText, valueText));
  if (result) *result = nameText + " set to " + valueText;
}
