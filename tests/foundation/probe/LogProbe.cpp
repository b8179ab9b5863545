// Writes one log line, so that tests can look at a whole log file written by a fresh process.
#include <string>

#include "foundation/Logger.h"
#include "foundation/Path.h"

int main(int argc, char** argv) {
  const std::string marker = argc > 1 ? argv[1] : "none";
  Logger::instance().line(2) << "probe " << marker << std::endl;
  // Refers to the application path after the probe's own line: the path must already have been
  // logged during start-up, before main.
  Logger::instance().line(1) << "path length " << programApplicationPath().size() << std::endl;
  return 0;
}
