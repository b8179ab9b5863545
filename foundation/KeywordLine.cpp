#include "foundation/KeywordLine.h"

#include "foundation/StringUtils.h"

bool KeywordLine::read(std::istream& stream) {
  std::string line;
  if (!std::getline(stream, line)) {
    clear();
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  splitFirstWord(line, keyword, rest);
  return true;
}

void KeywordLine::next() { splitFirstWord(rest, keyword, rest); }

void KeywordLine::clear() {
  keyword.clear();
  rest.clear();
}
