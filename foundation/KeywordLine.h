#pragma once
#include <istream>
#include <string>

// One line of a line-oriented text format, split into its first word and the rest.
//   KeywordLine line;
//   while (line.read(file)) { if (line.keyword == "v") ... }
struct KeywordLine {
  std::string keyword;
  std::string rest;

  // Reads the next line (a trailing carriage return of a DOS line end is dropped) and splits it.
  // False when no line could be read; both fields are then empty.
  bool read(std::istream& stream);
  // Splits rest again: keyword becomes its first word (steps through the words of a line).
  void next();
  void clear();
};
