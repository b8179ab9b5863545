#include "loaders/TextScanner.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "foundation/FileResolver.h"

bool readWholeFile(const std::string& path, std::string& bytes) {
  if (!isRegularFile(path)) return false;
  std::ifstream file;
  if (!openInputFile(file, path, std::ios::binary)) return false;
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0) return false;
  file.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  file.read(bytes.data(), size);
  return file.gcount() == size;
}

bool TextScanner::nextLine(std::string_view& line) {
  if (next >= end) return false;
  const char* lineEnd = static_cast<const char*>(std::memchr(next, '\n', static_cast<std::size_t>(end - next)));
  const char* after = lineEnd ? lineEnd + 1 : end;
  if (!lineEnd) lineEnd = end;
  if (lineEnd > next && lineEnd[-1] == '\r') --lineEnd;
  line = std::string_view(next, static_cast<std::size_t>(lineEnd - next));
  next = after;
  ++lineCount;
  return true;
}

std::string_view takeWord(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  std::size_t stop = start;
  while (stop < text.size() && !isBlank(text[stop])) ++stop;
  const std::string_view word = text.substr(start, stop - start);
  text.remove_prefix(stop);
  return word;
}

std::string_view trimBlanks(std::string_view text) {
  std::size_t start = 0, stop = text.size();
  while (start < stop && isBlank(text[start])) ++start;
  while (stop > start && isBlank(text[stop - 1])) --stop;
  return text.substr(start, stop - start);
}

float wordToFloat(std::string_view word) {
  // Fast path: a plain decimal number that fills the whole word (the usual case). A leading '+',
  // which from_chars does not take, is skipped unless a second sign follows.
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') ++first;
  double value = 0.0;
  const auto [stop, error] = std::from_chars(first, last, value);
  if (error == std::errc() && stop == last) return static_cast<float>(value);
  // Anything else (hexadecimal, overflow, a number followed by other characters, no number at
  // all) goes through strtod itself, on a bounded copy with the terminator strtod needs.
  char copy[128];
  const std::size_t length = std::min(word.size(), sizeof copy - 1);
  std::memcpy(copy, word.data(), length);
  copy[length] = '\0';
  return static_cast<float>(std::strtod(copy, nullptr));
}
