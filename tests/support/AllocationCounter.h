#pragma once
// Replaces the global operator new and delete of the test binary that includes this header and
// counts every C++ allocation, so a test can show that a per-frame path allocates nothing.
// Include it from exactly one source file of a test binary.
//
// Every form is replaced, the nothrow and aligned ones too: a library (the OpenGL driver, for one)
// that allocates with a form left to the runtime and frees with a replaced one would otherwise
// pair two different allocators, which the address sanitizer reports as a mismatch.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace testsupport {
inline std::atomic<long> allocationCounter{0};

// Allocations so far; tests compare two readings.
inline long allocationCount() { return allocationCounter.load(std::memory_order_relaxed); }

inline void* countedAllocation(std::size_t size) noexcept {
  allocationCounter.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

inline void* countedAlignedAllocation(std::size_t size, std::align_val_t alignment) noexcept {
  allocationCounter.fetch_add(1, std::memory_order_relaxed);
  std::size_t align = static_cast<std::size_t>(alignment);
  if (align < sizeof(void*)) align = sizeof(void*);
  void* p = nullptr;
  return posix_memalign(&p, align, size ? size : 1) == 0 ? p : nullptr;
}
}  // namespace testsupport

// The replacements are malloc and free on both sides, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (void* p = testsupport::countedAllocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return testsupport::countedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return testsupport::countedAllocation(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  if (void* p = testsupport::countedAlignedAllocation(size, alignment)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return testsupport::countedAlignedAllocation(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return testsupport::countedAlignedAllocation(size, alignment);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
