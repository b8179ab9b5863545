#pragma once
// A file name whose contents live in memory: a symbolic link in the working directory to a memfd.
// Parsers that open files by name read each fuzz input through it without touching a disk (a file
// on ext4 rewritten from the start is flushed on every close, which made such targets a hundred
// times slower).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class MemoryFile {
 public:
  explicit MemoryFile(const std::string& linkName) : name(linkName) {
    descriptor = memfd_create(linkName.c_str(), 0);
    if (descriptor < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    std::remove(name.c_str());
    const std::string target = "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(descriptor);
    if (::symlink(target.c_str(), name.c_str()) != 0) {
      std::perror("symlink");
      std::abort();
    }
  }
  ~MemoryFile() {
    std::remove(name.c_str());
    ::close(descriptor);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents.
  void assign(const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(descriptor, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t written = ::pwrite(descriptor, data + done, size - done, static_cast<off_t>(done));
      if (written <= 0) std::abort();
      done += static_cast<std::size_t>(written);
    }
  }

  const std::string& path() const { return name; }

 private:
  std::string name;
  int descriptor = -1;
};
