#include "device/GlTexture.h"

#include <epoxy/gl.h>

#include "device/GlDevice.h"

// Uploads use a unit the fixed-function stages never bind, so their bindings stay valid.
constexpr GLenum kUploadUnit = GL_TEXTURE7;

GlTexture::GlTexture(GlDevice* owner, std::uint32_t width, std::uint32_t height,
                     std::uint32_t format)
    : DeviceTexture(width, height, format),
      GlResource(owner),
      memory(std::size_t(width) * height * 4, 0) {
  glGenTextures(1, &texture);
  glActiveTexture(kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  if (format == D3DFMT_X8R8G8B8) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_BGRA,
               GL_UNSIGNED_BYTE, memory.data());
  glBindTexture(GL_TEXTURE_2D, 0);
}

GlTexture::~GlTexture() { freeInOwnerContext(); }

void GlTexture::freeGl() {
  if (texture) glDeleteTextures(1, &texture);
  texture = 0;
}

int GlTexture::getLevelDesc(std::uint32_t level, D3DSURFACE_DESC& desc) {
  if (!device) return D3DERR_INVALIDCALL;
  return describeLevel(level, desc);
}

int GlTexture::lockRect(std::uint32_t level, D3DLOCKED_RECT& rect, std::uint32_t flags) {
  rect = D3DLOCKED_RECT{};
  if (!device || level != 0 || locked) return D3DERR_INVALIDCALL;
  locked = true;
  lockFlags = flags;
  rect.Pitch = static_cast<int>(width() * 4);
  rect.pBits = memory.data();
  return D3D_OK;
}

int GlTexture::unlockRect(std::uint32_t level) {
  if (!device || level != 0 || !locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (lockFlags & D3DLOCK_READONLY) return D3D_OK;
  device->makeCurrent();
  glActiveTexture(kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(width()), GLsizei(height()), GL_BGRA,
                  GL_UNSIGNED_BYTE, memory.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return D3D_OK;
}
