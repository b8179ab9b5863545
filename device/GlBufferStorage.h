#pragma once
#include <cstdint>
#include <vector>

// A GL buffer with a copy in main memory. Locks hand out the copy; unlock sends the locked range
// (a discard lock orphans the GL storage first, so draws still reading the old data never stall).
class GlBufferStorage {
 public:
  GlBufferStorage(std::uint32_t length, bool dynamic);
  ~GlBufferStorage();

  GlBufferStorage(const GlBufferStorage&) = delete;
  GlBufferStorage& operator=(const GlBufferStorage&) = delete;

  int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags);
  int unlock();
  void freeGl();

  std::uint32_t name() const { return buffer; }
  bool isLocked() const { return locked; }
  const std::vector<std::uint8_t>& bytes() const { return memory; }
  // The byte range of the last unlock.
  std::uint32_t lastOffset() const { return lockOffset; }
  std::uint32_t lastSize() const { return lockSize; }

 private:
  std::uint32_t buffer = 0;
  std::vector<std::uint8_t> memory;
  bool dynamic;
  bool locked = false;
  std::uint32_t lockOffset = 0;
  std::uint32_t lockSize = 0;
  std::uint32_t lockFlags = 0;
};
