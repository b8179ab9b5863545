#include "app/OutputFile.h"

#include "app/RenderSurface.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string errorText(int error) { return std::strerror(error); }

// A new, empty file beside path under a name of its own; -1 with errno set when none can be made.
int createTemporary(const std::string& path, std::string& temporary) {
  std::vector<char> name(path.begin(), path.end());
  const char suffix[] = ".XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);  // with the terminating zero
  const int fd = ::mkstemp(name.data());
  if (fd >= 0) temporary = name.data();
  return fd;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void appendChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
  appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  // The checksum covers the type and the data.
  const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(4 + data.size()));
  appendBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

bool checkOutputPath(const std::string& path, std::string& reason) {
  if (path.empty()) {
    reason = "no file name";
    return false;
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    // A folder, or a device such as /dev/full, cannot be replaced by a picture.
    reason = S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a plain file";
    return false;
  }
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  if (::stat(folder.c_str(), &status) != 0) {
    reason = "its folder \"" + folder + "\" cannot be used: " + errorText(errno);
    return false;
  }
  if (!S_ISDIR(status.st_mode)) {
    reason = "\"" + folder + "\" is not a folder";
    return false;
  }
  std::string temporary;
  const int fd = createTemporary(path, temporary);
  if (fd < 0) {
    reason = "no file can be made in \"" + folder + "\": " + errorText(errno);
    return false;
  }
  ::close(fd);
  ::unlink(temporary.c_str());
  return true;
}

bool writeOutputFile(const std::string& path, const void* data, std::size_t size, std::string& reason) {
  std::string temporary;
  int fd = createTemporary(path, temporary);
  if (fd < 0) {
    reason = errorText(errno);
    return false;
  }
  auto fail = [&](int error) {
    reason = errorText(error);
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    return false;
  };
  // mkstemp makes the file private; a result gets the permissions any new file would.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) return fail(errno);
  if (!writeAll(fd, static_cast<const std::uint8_t*>(data), size)) return fail(errno);
  // A full disk may only show when the data reaches it.
  if (::fsync(fd) != 0) return fail(errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail(errno);
  struct stat status {};
  if (::stat(temporary.c_str(), &status) != 0) return fail(errno);
  if (static_cast<std::size_t>(status.st_size) != size) return fail(EIO);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
  return true;
}

std::vector<std::uint8_t> encodePng(const std::vector<std::uint8_t>& rgba, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  if (rgba.size() != rowBytes * static_cast<std::size_t>(height)) return {};

  // Each row starts with its filter type, 0: the bytes as they are.
  std::vector<std::uint8_t> rows;
  rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    const std::uint8_t* row = rgba.data() + rowBytes * static_cast<std::size_t>(y);
    rows.insert(rows.end(), row, row + rowBytes);
  }
  uLongf packedSize = ::compressBound(static_cast<uLong>(rows.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (::compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 6) != Z_OK) {
    return {};
  }
  packed.resize(packedSize);

  std::vector<std::uint8_t> header;
  appendBigEndian(header, static_cast<std::uint32_t>(width));
  appendBigEndian(header, static_cast<std::uint32_t>(height));
  // 8 bits per channel, colour type 6 (RGBA), deflate, adaptive filtering, not interlaced.
  header.insert(header.end(), {8, 6, 0, 0, 0});

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", packed);
  appendChunk(png, "IEND", {});
  return png;
}

bool writePicture(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
                  std::string& reason) {
  const std::vector<std::uint8_t> png = encodePng(rgba, width, height);
  if (png.empty()) {
    reason = "the frame could not be encoded";
    return false;
  }
  return writeOutputFile(path, png.data(), png.size(), reason);
}

bool saveFrame(RenderSurface& surface, bool framePresented, const std::string& path, std::string& reason) {
  if (!framePresented) {
    reason = "no frame was presented";
    return false;
  }
  std::vector<std::uint8_t> rgba;
  int width = 0;
  int height = 0;
  if (!surface.takeCapture(rgba, width, height) || width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    reason = "cannot read back the frame";
    return false;
  }
  return writePicture(path, rgba, width, height, reason);
}
