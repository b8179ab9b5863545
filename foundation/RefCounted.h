#pragma once
#include <cstdint>

// Base of every shared engine object. The count starts at 0; the first RefPtr that takes the object
// raises it to 1, and the release that brings it back to 0 deletes the object through the virtual
// destructor. Objects are always created with new and never live on the stack or by value in arrays.
class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) : count(0) {}
  RefCounted& operator=(const RefCounted&) { return *this; }
  virtual ~RefCounted() = default;

  void addReference() { ++count; }
  void releaseReference() {
    if (count-- == 1) delete this;
  }
  std::uint32_t referenceCount() const { return count; }

 private:
  std::uint32_t count = 0;
};
