#include "foundation/Variable.h"

#include <cstdlib>
#include <utility>

Variable::Variable(std::string name, std::string value)
    : variableName(std::move(name)), variableValue(std::move(value)) {}

double Variable::asFloat() const { return std::atof(variableValue.c_str()); }
