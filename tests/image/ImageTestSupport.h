#pragma once
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/Logger.h"
#include "image/Image.h"

// Helpers shared by the image, texture and normal-map tests.
namespace imagetest {

// Lines of the engine log written so far (the tests run in their build folder, where the log is).
inline std::vector<std::string> logLines() {
  Logger::instance();  // make sure it exists before it is read
  std::ifstream in("GameEngine.log");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

inline std::vector<std::uint8_t> pixelBytes(const Image& image) {
  const std::uint8_t* data = image.data();
  if (!data) return {};
  return std::vector<std::uint8_t>(data, data + std::size_t(image.rowBytes()) * image.height());
}

inline const std::uint8_t* pixelAt(const Image& image, std::uint32_t x, std::uint32_t y) {
  return image.data() + std::size_t(y) * image.rowBytes() + std::size_t(x) * image.bytesPerPixel();
}

}  // namespace imagetest
