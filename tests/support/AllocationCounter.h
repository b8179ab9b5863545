#pragma once
// Replaces the global operator new and delete of the test binary that includes this header and
// counts every C++ allocation, so a test can show that a per-frame path allocates nothing.
// Include it from exactly one source file of a test binary.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace testsupport {
inline std::atomic<long> allocationCounter{0};

// Allocations so far; tests compare two readings.
inline long allocationCount() { return allocationCounter.load(std::memory_order_relaxed); }
}  // namespace testsupport

// The replacement pair is malloc and free on both sides, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  testsupport::allocationCounter.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
