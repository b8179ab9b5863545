#include "foundation/StringUtils.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double toFloat(const std::string& text) { return std::atof(text.c_str()); }

int toInt(const std::string& text) {
  // strtoll instead of atoi: atoi's result is undefined for numbers out of range.
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string toString(int value) {
  char digits[12];
  int count = 0;
  // Work on the magnitude in 64 bits so that INT_MIN has a positive counterpart.
  long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::string text;
  if (value < 0) text += '-';
  while (count > 0) text += digits[--count];
  return text;
}

std::string toLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return prefix.empty() || text.compare(0, prefix.size(), prefix) == 0;
}

std::string trimLeft(const std::string& text, char c) {
  const std::size_t first = text.find_first_not_of(c);
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string trimRight(const std::string& text, char c) {
  const std::size_t last = text.find_last_not_of(c);
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string trim(const std::string& text, char c) { return trimRight(trimLeft(text, c), c); }

std::size_t findBlank(const std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (isBlank(text[i])) return i;
  }
  return std::string::npos;
}

std::size_t findNonBlank(const std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (!isBlank(text[i])) return i;
  }
  return std::string::npos;
}

void splitFirstWord(const std::string& input, std::string& word, std::string& rest) {
  // A copy, because the input may be one of the two outputs (KeywordLine::next splits its rest).
  const std::string text = input;
  const std::size_t begin = findNonBlank(text);
  if (begin == std::string::npos) {
    word.clear();
    rest = text;
    return;
  }
  const std::size_t end = findBlank(text, begin);
  if (end == std::string::npos) {
    word = text.substr(begin);
    rest.clear();
    return;
  }
  word = text.substr(begin, end - begin);
  rest = text.substr(end + 1);
}
