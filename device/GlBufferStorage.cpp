#include "device/GlBufferStorage.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "device/DeviceTypes.h"

GlBufferStorage::GlBufferStorage(std::uint32_t length, bool dynamicUse)
    : memory(length, 0), dynamic(dynamicUse) {
  glGenBuffers(1, &buffer);
  // GL_COPY_WRITE_BUFFER leaves the vertex array's bindings alone.
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
  glBufferData(GL_COPY_WRITE_BUFFER, length, memory.data(),
               dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

GlBufferStorage::~GlBufferStorage() { freeGl(); }

void GlBufferStorage::freeGl() {
  if (buffer) glDeleteBuffers(1, &buffer);
  buffer = 0;
}

int GlBufferStorage::lock(std::uint32_t offset, std::uint32_t size, void** data,
                          std::uint32_t flags) {
  if (data) *data = nullptr;
  const std::uint32_t length = static_cast<std::uint32_t>(memory.size());
  if (!buffer || !data || locked || !resolveLockRange(length, offset, size)) return D3DERR_INVALIDCALL;
  locked = true;
  lockOffset = offset;
  lockSize = size;
  lockFlags = flags;
  *data = memory.data() + offset;
  return D3D_OK;
}

int GlBufferStorage::unlock() {
  if (!buffer || !locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (lockFlags & D3DLOCK_READONLY) return D3D_OK;
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
  if (lockFlags & D3DLOCK_DISCARD) {
    // New storage with the whole copy: draws still using the old storage keep it, and nothing
    // outside the locked range turns into garbage.
    glBufferData(GL_COPY_WRITE_BUFFER, memory.size(), memory.data(),
                 dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
  } else if (lockSize > 0) {
    glBufferSubData(GL_COPY_WRITE_BUFFER, lockOffset, lockSize, memory.data() + lockOffset);
  }
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  return D3D_OK;
}
