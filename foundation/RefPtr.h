#pragma once
#include <cstddef>
#include <utility>

#include "foundation/RefCounted.h"

// Intrusive owning pointer to a RefCounted object. Assignment takes the new reference before
// releasing the old one, so assigning the pointer already held leaves the count unchanged.
template <typename T>
class RefPtr {
 public:
  RefPtr() = default;
  RefPtr(std::nullptr_t) {}
  RefPtr(T* object) : pointer(object) { take(pointer); }
  RefPtr(const RefPtr& other) : pointer(other.pointer) { take(pointer); }
  RefPtr(RefPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
  template <typename U>
  RefPtr(const RefPtr<U>& other) : pointer(other.get()) { take(pointer); }
  ~RefPtr() { drop(pointer); }

  RefPtr& operator=(T* object) {
    take(object);
    drop(pointer);
    pointer = object;
    return *this;
  }
  RefPtr& operator=(const RefPtr& other) { return *this = other.pointer; }
  RefPtr& operator=(RefPtr&& other) noexcept {
    if (this != &other) {
      drop(pointer);
      pointer = std::exchange(other.pointer, nullptr);
    }
    return *this;
  }

  void reset() { drop(std::exchange(pointer, nullptr)); }

  T* get() const { return pointer; }
  T& operator*() const { return *pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }

  friend bool operator==(const RefPtr& a, const RefPtr& b) { return a.pointer == b.pointer; }
  friend bool operator==(const RefPtr& a, const T* b) { return a.pointer == b; }
  friend bool operator==(const RefPtr& a, std::nullptr_t) { return a.pointer == nullptr; }

 private:
  static void take(T* object) {
    if (object) static_cast<RefCounted*>(object)->addReference();
  }
  static void drop(T* object) {
    if (object) static_cast<RefCounted*>(object)->releaseReference();
  }

  T* pointer = nullptr;
};
