#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Every byte of the file (found as the file resolver finds it, letter case aside) in bytes; false
// when it is not a regular file or cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

// Reading of the line-oriented text formats (OBJ, MTL) straight from a buffer: no stream, no copy
// per word. Lines end at '\n'; a '\r' before it (DOS line ends) is dropped, and the last line may
// lack its line end. Words are runs of anything but blanks (space, tab, '\r', '\v', '\f'), so
// NUL bytes and other binary garbage are ordinary word characters and never end the text early.
class TextScanner {
 public:
  explicit TextScanner(std::string_view text) : next(text.data()), end(text.data() + text.size()) {}

  // The next line without its line end; false once the text is used up.
  bool nextLine(std::string_view& line);
  // 1-based number of the line nextLine returned last.
  std::uint32_t lineNumber() const { return lineCount; }

 private:
  const char* next;
  const char* end;
  std::uint32_t lineCount = 0;
};

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Removes and returns the first word of text (leading blanks skipped); empty when none is left.
std::string_view takeWord(std::string_view& text);
// text without leading and trailing blanks.
std::string_view trimBlanks(std::string_view text);

// The word's value as the C library's atof reads it: the longest prefix that strtod accepts
// (1e-3, .5, +2, inf, hexadecimal), 0 when there is none. Double precision, then rounded to float,
// as atof's result is when stored in a float.
float wordToFloat(std::string_view word);
// Takes the next word of text and reads it as wordToFloat does; 0 when no word is left.
inline float takeFloat(std::string_view& text) { return wordToFloat(takeWord(text)); }
