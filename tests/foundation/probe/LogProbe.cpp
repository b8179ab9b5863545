// Writes a few log lines from a fresh process, so that tests can look at a whole log file:
//   foundation_log_probe <marker> [settings <file> | script <file>]
#include <string>

#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/ScriptedInputSource.h"
#include "foundation/VariableTable.h"

int main(int argc, char** argv) {
  const std::string marker = argc > 1 ? argv[1] : "none";
  Logger::instance().line(2) << "probe " << marker << std::endl;
  // Refers to the application path after the probe's own line: the path must already have been
  // logged during start-up, before main.
  Logger::instance().line(1) << "path length " << programApplicationPath().size() << std::endl;
  if (argc > 3 && std::string(argv[2]) == "settings") {
    VariableTable table(argv[3]);
    Logger::instance().line(1) << "variables " << table.size() << std::endl;
  } else if (argc > 3 && std::string(argv[2]) == "script") {
    ScriptedInputSource script;
    script.loadFile(argv[3]);
    Logger::instance().line(1) << "events " << script.eventCount() << std::endl;
  }
  return 0;
}
