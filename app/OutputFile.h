#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class RenderSurface;

// The files the program writes as results: screenshots, tour pictures, benchmark JSON. A result is
// complete or absent, never cut off: it is written under a temporary name beside its place,
// flushed to the disk and checked, and only then renamed into place. Every failure comes back as a
// reason ("No space left on device") for the caller to report with the file's name.

// Whether a result could be written at path, tried before any frame runs: path is not a folder, a
// device or anything but a plain file, its folder exists, and a new file can be made in it (made
// and removed again). False with the reason.
bool checkOutputPath(const std::string& path, std::string& reason);

// Writes size bytes to path as above. False with the reason; nothing is left behind then.
bool writeOutputFile(const std::string& path, const void* data, std::size_t size, std::string& reason);

// A picture of width × height RGBA pixels, top row first, as a PNG file written as above.
bool writePicture(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
                  std::string& reason);

// The PNG file (8-bit RGBA, not interlaced) of width × height RGBA pixels given top row first;
// empty when the size does not match the pixels.
std::vector<std::uint8_t> encodePng(const std::vector<std::uint8_t>& rgba, int width, int height);

// The frame the surface captured last (after requestCapture and a present) as a picture at path.
// framePresented false: no frame has been presented yet, so there is nothing to save.
bool saveFrame(RenderSurface& surface, bool framePresented, const std::string& path, std::string& reason);
