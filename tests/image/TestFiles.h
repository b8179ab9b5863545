#pragma once
#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

// Scratch files for the image and archive tests, written by the tests themselves.
namespace testfiles {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory per test binary run, below the system's temporary directory.
inline std::filesystem::path scratchDirectory() {
  static const std::filesystem::path directory = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("testbed_image_" + std::to_string(static_cast<long>(::getpid())));
    std::filesystem::create_directories(path);
    return path;
  }();
  return directory;
}

inline std::string scratchPath(const std::string& name) { return (scratchDirectory() / name).string(); }

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes toBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Member {
  std::string name;
  Bytes bytes;
};

// Writes a zip archive with minizip's writing side; deflate compresses, otherwise members are
// stored.
inline bool writeZip(const std::string& path, const std::vector<Member>& members, bool deflate = true) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = true;
  for (const Member& member : members) {
    zip_fileinfo info{};
    ok = ok && zipOpenNewFileInZip(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   deflate ? Z_DEFLATED : 0, deflate ? Z_DEFAULT_COMPRESSION : 0) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, member.bytes.data(), static_cast<unsigned>(member.bytes.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// A TGA header: image type 2 (true colour), 10 (run-length true colour) or 3 (grey); origin at the
// bottom left.
inline Bytes tgaHeader(std::uint8_t imageType, std::uint16_t width, std::uint16_t height, std::uint8_t depth,
                       std::uint8_t descriptor = 0) {
  Bytes header(18, 0);
  header[2] = imageType;
  header[12] = static_cast<std::uint8_t>(width & 0xFF);
  header[13] = static_cast<std::uint8_t>(width >> 8);
  header[14] = static_cast<std::uint8_t>(height & 0xFF);
  header[15] = static_cast<std::uint8_t>(height >> 8);
  header[16] = depth;
  header[17] = descriptor;
  return header;
}

inline Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A 2 x 2, 24-bit uncompressed TGA and its pixels as the file stores them: bottom row first,
// B, G, R.
inline const Bytes kTga2x2Pixels = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
inline Bytes tga2x2() { return concat(tgaHeader(2, 2, 2, 24), kTga2x2Pixels); }

inline void putLittle32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A classic BMP (14-byte file header and 40-byte info header), 24 bits, bottom row first; rows
// are given tight and padded to four bytes here.
inline Bytes bmp24(std::uint32_t width, std::uint32_t height, const Bytes& tightRowsBottomFirst) {
  const std::uint32_t rowBytes = width * 3;
  const std::uint32_t padded = (rowBytes + 3) & ~3u;
  Bytes bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  putLittle32(bytes, 2, 54 + padded * height);
  putLittle32(bytes, 10, 54);
  putLittle32(bytes, 14, 40);
  putLittle32(bytes, 18, width);
  putLittle32(bytes, 22, height);
  bytes[26] = 1;   // planes
  bytes[28] = 24;  // bits per pixel
  putLittle32(bytes, 34, padded * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    Bytes row(tightRowsBottomFirst.begin() + y * rowBytes, tightRowsBottomFirst.begin() + (y + 1) * rowBytes);
    row.resize(padded, 0);
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

}  // namespace testfiles
