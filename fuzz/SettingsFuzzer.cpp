// Settings files from anywhere: the whole file through the loader, and each line as a command with
// its report, then every variable converted the ways the program reads them.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "foundation/CommandLine.h"
#include "fuzz/MemoryFile.h"
#include "foundation/StringUtils.h"
#include "foundation/Variable.h"
#include "foundation/VariableTable.h"

namespace {

const char* const kReadNames[] = {"windowName", "resolutionX", "resolutionY", "data", "q3a", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  static MemoryFile file("fuzz.set");
  file.assign(data, size);
  VariableTable loaded(file.path().c_str());
  for (const char* name : kReadNames) {
    const Variable variable = loaded.get(name);
    (void)variable.asFloat();
    (void)toInt(variable.value());
  }

  VariableTable byLine;
  std::istringstream lines(text);
  std::string line;
  std::string report;
  while (std::getline(lines, line)) {
    CommandLine command(line.c_str());
    if (!command.skip()) command.execute(&report, byLine);
  }
  return 0;
}
