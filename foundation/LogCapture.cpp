#include "foundation/LogCapture.h"

#include <sstream>

#include "foundation/Logger.h"

LogCapture::LogCapture() : previous(Logger::copyTo(&captured)) {}

LogCapture::~LogCapture() {
  Logger::copyTo(previous);
  // An enclosing capture sees what this one saw.
  if (previous) previous->append(captured);
}

std::vector<std::string> LogCapture::messages() const {
  std::vector<std::string> result;
  std::size_t begin = 0;
  for (std::size_t end = captured.find('\n'); end != std::string::npos;
       begin = end + 1, end = captured.find('\n', begin)) {
    const std::string line = captured.substr(begin, end - begin);
    const std::size_t stamp = line.find("s: ");
    result.push_back(stamp == std::string::npos ? line : line.substr(stamp + 3));
  }
  return result;
}

bool LogCapture::contains(const std::string& part) const {
  for (const std::string& message : messages()) {
    if (message.find(part) != std::string::npos) return true;
  }
  return false;
}
