#include "loaders/Md3AnimationConfig.h"

#include <sstream>
#include <vector>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A whole word of decimal digits that fits 32 bits.
bool parseCount(const std::string& word, std::uint32_t& value) {
  if (word.empty()) return false;
  std::uint64_t v = 0;
  for (char c : word) {
    if (!isDigit(c)) return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > 0xFFFFFFFFull) return false;
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

// The name after the four numbers: the word after a lone "//" (the usual form), the rest of a
// "//NAME" word, otherwise the second word, or the only one.
std::string entryName(const std::vector<std::string>& words) {
  if (words.size() < 5) return {};
  const std::string& first = words[4];
  if (first == "//") return words.size() > 5 ? words[5] : std::string();
  if (first.rfind("//", 0) == 0) return first.substr(2);
  return words.size() > 5 ? words[5] : first;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

Md3AnimationConfig Md3AnimationConfig::parse(std::istream& in) {
  Md3AnimationConfig config;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || !isDigit(line[0])) continue;
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; word.size() < 6 && words >> w;) word.push_back(w);
    Md3Animation a;
    if (word.size() < 5 || !parseCount(word[0], a.firstFrame) || !parseCount(word[1], a.numFrames) ||
        !parseCount(word[2], a.loopingFrames) || !parseCount(word[3], a.fps)) {
      continue;
    }
    const std::string name = entryName(word);
    if (name.empty()) continue;
    if (contains(name, "BOTH")) {
      config.legs[name] = a;
      config.torso[name] = a;
    } else if (contains(name, "LEGS")) {
      config.legs[name] = a;
    } else if (contains(name, "TORSO")) {
      config.torso[name] = a;
    }
  }
  const std::uint32_t offset = config.legs["LEGS_WALKCR"].firstFrame - config.torso["TORSO_GESTURE"].firstFrame;
  for (auto& [name, entry] : config.legs) {
    if (contains(name, "LEGS")) entry.firstFrame -= offset;
  }
  return config;
}

Md3AnimationConfig Md3AnimationConfig::parse(const std::string& text) {
  std::istringstream in(text);
  return parse(in);
}
