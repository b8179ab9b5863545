#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"
#include "device/DeviceTypes.h"

class GraphicsDevice;

// Device objects.
//
// Ownership: every device object is RefCounted. A create call hands the new object to the caller
// in a RefPtr; the engine object that asked for it keeps that RefPtr and releases it in its
// destructor (the counterpart of Release). While an object is bound to the device (setTexture,
// setStreamSource, setIndices) the device holds a reference of its own, so releasing a bound
// object is safe; binding null or another object drops it.
// An object may outlive its device: when the device goes away its objects are detached, their
// memory on the graphics side is freed, and every later lock fails with D3DERR_INVALIDCALL.

class DeviceVertexBuffer : public RefCounted {
 public:
  // Gives a pointer to size bytes from offset (size 0: to the end). D3DLOCK_DISCARD on a dynamic
  // buffer hands out fresh memory, so the previous contents are undefined and no draw waits.
  // A buffer is locked at most once at a time; writes reach the device at unlock.
  virtual int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) = 0;
  virtual int unlock() = 0;

  std::uint32_t length() const { return lengthBytes; }
  std::uint32_t usage() const { return usageFlags; }
  std::uint32_t fvf() const { return format; }
  std::uint32_t pool() const { return memoryPool; }

 protected:
  DeviceVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                     std::uint32_t pool)
      : lengthBytes(length), usageFlags(usage), format(fvf), memoryPool(pool) {}

 private:
  std::uint32_t lengthBytes;
  std::uint32_t usageFlags;
  std::uint32_t format;
  std::uint32_t memoryPool;
};

// 16-bit indices only (D3DFMT_INDEX16).
class DeviceIndexBuffer : public RefCounted {
 public:
  virtual int lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) = 0;
  virtual int unlock() = 0;

  std::uint32_t length() const { return lengthBytes; }
  std::uint32_t usage() const { return usageFlags; }
  std::uint32_t format() const { return D3DFMT_INDEX16; }
  std::uint32_t pool() const { return memoryPool; }

 protected:
  DeviceIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t pool)
      : lengthBytes(length), usageFlags(usage), memoryPool(pool) {}

 private:
  std::uint32_t lengthBytes;
  std::uint32_t usageFlags;
  std::uint32_t memoryPool;
};

// A lockable texture of one level in D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8 (with X8R8G8B8 the
// sampled alpha is 1 whatever the bytes hold).
class DeviceTexture : public RefCounted {
 public:
  // Only level 0 exists; other levels answer D3DERR_INVALIDCALL.
  virtual int getLevelDesc(std::uint32_t level, D3DSURFACE_DESC& desc) = 0;
  // Rows are top row first, pixels B, G, R, A in memory; the contents reach the device at unlock.
  virtual int lockRect(std::uint32_t level, D3DLOCKED_RECT& locked, std::uint32_t flags) = 0;
  virtual int unlockRect(std::uint32_t level) = 0;

  std::uint32_t width() const { return widthPixels; }
  std::uint32_t height() const { return heightPixels; }
  std::uint32_t format() const { return pixelFormat; }

 protected:
  DeviceTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format)
      : widthPixels(width), heightPixels(height), pixelFormat(format) {}

  // The description every backend gives of its one level: managed, four bytes a pixel.
  int describeLevel(std::uint32_t level, D3DSURFACE_DESC& desc) const {
    if (level != 0) return D3DERR_INVALIDCALL;
    desc.Format = pixelFormat;
    desc.Usage = 0;
    desc.Pool = D3DPOOL_MANAGED;
    desc.Size = widthPixels * heightPixels * 4;
    desc.Width = widthPixels;
    desc.Height = heightPixels;
    return D3D_OK;
  }

 private:
  std::uint32_t widthPixels;
  std::uint32_t heightPixels;
  std::uint32_t pixelFormat;
};

// A screen font. drawText takes count characters of text (count −1: up to the terminating zero);
// '\n' starts a new line at rect.left. With DT_CALCRECT nothing is drawn and rect.right and
// rect.bottom are set so the rectangle just holds the text; otherwise the text's top-left corner
// is (rect.left, rect.top) in back-buffer pixels and it is drawn in color (ARGB). Returns the
// height of the text in pixels, 0 on failure. Drawing happens between beginScene and endScene
// and leaves the device's render and stage states as they were.
class DeviceFont : public RefCounted {
 public:
  virtual int drawText(const char* text, int count, DeviceRect& rect, std::uint32_t format,
                       std::uint32_t color) = 0;

  // The calculated rectangle's size, as drawText with DT_CALCRECT at (0, 0) gives it.
  void measureText(const std::string& text, int& width, int& height) {
    DeviceRect rect;
    drawText(text.c_str(), -1, rect, DT_CALCRECT, 0);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }

  // Distance between two lines' tops, pixels.
  virtual int lineHeight() const = 0;
};

// The only door to the GPU, with Direct3D 8's meanings: the operations below do what the
// IDirect3D8 / IDirect3DDevice8 calls of the same name do, with the codes of DeviceTypes.h.
// Results: D3D_OK (0) or a negative failure code.
//
// Two phases. Before createDevice succeeds only the queries (adapterCount, getDeviceCaps,
// getDisplayMode, checkDepthStencilFormat) work; everything else answers D3DERR_INVALIDCALL.
//
// Matrices are 16 floats in Direct3D's row-vector convention (v' = v·M, translation in elements
// 12, 13, 14); the engine sends its column-vector matrices transposed. Projection maps depth to
// 0..1. Front faces are clockwise on screen.
//
// State changes are cheap: the device keeps them and applies what changed at the next draw.
//
// The device is RefCounted so the renderer can hold it; whoever makes one (the application, a
// test) holds the first RefPtr.
class GraphicsDevice : public RefCounted {
 public:
  // ---- Queries, valid before createDevice.
  virtual std::uint32_t adapterCount() = 0;
  virtual int getDeviceCaps(std::uint32_t adapter, std::uint32_t deviceType, D3DCAPS8& caps) = 0;
  virtual int getDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) = 0;
  // D3D_OK when depthFormat can serve as depth-stencil buffer with that display format,
  // D3DERR_NOTAVAILABLE otherwise (CheckDeviceFormat with D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE).
  virtual int checkDepthStencilFormat(std::uint32_t adapter, std::uint32_t deviceType,
                                      std::uint32_t displayFormat, std::uint32_t depthFormat) = 0;
  // Opens the windowed device with one back buffer and, with EnableAutoDepthStencil, a depth-
  // stencil buffer of AutoDepthStencilFormat. behaviorFlags: D3DCREATE_*_VERTEXPROCESSING.
  virtual int createDevice(std::uint32_t adapter, std::uint32_t deviceType,
                           std::uint32_t behaviorFlags, const D3DPRESENT_PARAMETERS& params) = 0;

  // ---- Frame.
  // flags: D3DCLEAR_*; color is ARGB; z in 0..1.
  virtual int clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) = 0;
  virtual int beginScene() = 0;
  virtual int endScene() = 0;
  virtual int present() = 0;
  // The back buffer as RGBA bytes, rows tightly packed, top row first. Valid after endScene and
  // before present.
  virtual int readFrame(std::vector<std::uint8_t>& rgba, int& width, int& height) = 0;
  virtual int backBufferWidth() const = 0;
  virtual int backBufferHeight() const = 0;

  // ---- State.
  virtual int setRenderState(std::uint32_t state, std::uint32_t value) = 0;
  virtual int getRenderState(std::uint32_t state, std::uint32_t& value) = 0;
  virtual int setTextureStageState(std::uint32_t stage, std::uint32_t type,
                                   std::uint32_t value) = 0;
  virtual int getTextureStageState(std::uint32_t stage, std::uint32_t type,
                                   std::uint32_t& value) = 0;
  // Stage 0..3; null unbinds. A stage without a texture reads D3DTA_TEXTURE as opaque white.
  virtual int setTexture(std::uint32_t stage, DeviceTexture* texture) = 0;
  // state: D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0..3.
  virtual int setTransform(std::uint32_t state, const float matrix[16]) = 0;
  virtual int getTransform(std::uint32_t state, float matrix[16]) = 0;
  // Point and directional lights, index below MaxActiveLights; positions and directions are in
  // world space.
  virtual int setLight(std::uint32_t index, const D3DLIGHT8& light) = 0;
  virtual int lightEnable(std::uint32_t index, bool enable) = 0;
  virtual int setMaterial(const D3DMATERIAL8& material) = 0;

  // ---- Geometry.
  // length in bytes; usage D3DUSAGE_*; pool D3DPOOL_*.
  virtual int createVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                 std::uint32_t pool, RefPtr<DeviceVertexBuffer>& buffer) = 0;
  // format must be D3DFMT_INDEX16.
  virtual int createIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                std::uint32_t pool, RefPtr<DeviceIndexBuffer>& buffer) = 0;
  // Stream 0 only; stride in bytes.
  virtual int setStreamSource(std::uint32_t stream, DeviceVertexBuffer* buffer,
                              std::uint32_t stride) = 0;
  // baseVertexIndex is added to every index.
  virtual int setIndices(DeviceIndexBuffer* buffer, std::uint32_t baseVertexIndex) = 0;
  // Direct3D 8 names the vertex format binding so: fvf describes the bound stream's layout.
  virtual int setVertexShader(std::uint32_t fvf) = 0;
  virtual int drawPrimitive(std::uint32_t primitiveType, std::uint32_t startVertex,
                            std::uint32_t primitiveCount) = 0;
  virtual int drawIndexedPrimitive(std::uint32_t primitiveType, std::uint32_t minIndex,
                                   std::uint32_t numVertices, std::uint32_t startIndex,
                                   std::uint32_t primitiveCount) = 0;

  // ---- Resources standing in for the utility library.
  // One level, lockable; format D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8.
  virtual int createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                            RefPtr<DeviceTexture>& texture) = 0;
  // faceName as a font family ("Arial"); heightPixels is the cell height.
  virtual int createFont(const std::string& faceName, int heightPixels,
                         RefPtr<DeviceFont>& font) = 0;
};
