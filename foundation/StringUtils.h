#pragma once
#include <cstddef>
#include <string>

// Text helpers for the line-oriented file formats and the settings grammar. "Blank" means a space
// or a tab character throughout.

// The longest numeric prefix after leading white space, as the C library's atof; 0.0 if none.
double toFloat(const std::string& text);
// The leading decimal integer, as atoi; values beyond the 32-bit range are clamped to it.
int toInt(const std::string& text);
// Decimal text of value, with a '-' for negative numbers.
std::string toString(int value);
// Every character through tolower.
std::string toLower(const std::string& text);
// True for an empty prefix, otherwise when text begins with prefix.
bool startsWith(const std::string& text, const std::string& prefix);

// Copies of text without the leading, trailing, or both runs of the character c.
std::string trimLeft(const std::string& text, char c = ' ');
std::string trimRight(const std::string& text, char c = ' ');
std::string trim(const std::string& text, char c = ' ');

// Index of the first blank (or non-blank) at or after from, or std::string::npos.
std::size_t findBlank(const std::string& text, std::size_t from = 0);
std::size_t findNonBlank(const std::string& text, std::size_t from = 0);

// word = the first run of non-blank characters; rest = everything after the one blank that ends
// it, unchanged (empty when the word ends the text). A text of blanks only gives an empty word and
// the whole text as rest.
void splitFirstWord(const std::string& text, std::string& word, std::string& rest);
