#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Width and height as an image file's header states them, read before any decoder allocates
// pixels, so that a damaged or hostile header cannot make the loader reserve gigabytes.
struct ImageExtent {
  bool known = false;  // false: the format was not recognised or the header is cut short
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Recognises PNG, BMP and JPEG by their signatures, and TGA (which has none) by a plausible header
// when nameHint ends in ".tga" in any case.
ImageExtent probeImageExtent(const unsigned char* bytes, std::size_t size, const std::string& nameHint);
