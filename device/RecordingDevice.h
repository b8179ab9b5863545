#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/GraphicsDevice.h"

// One call that reached the RecordingDevice. Object arguments are recorded as ids (1, 2, ... in
// creation order across all kinds; 0 is null). Matrices, colours and other real numbers go to
// floats; strings (texts drawn, font faces) to text.
struct DeviceCall {
  std::string name;
  std::vector<std::int64_t> ints;
  std::vector<float> floats;
  std::string text;
  int result = D3D_OK;
};

// A GraphicsDevice for tests: it records every call with its arguments, keeps the state that was
// set (with Direct3D's defaults), and hands out buffers and textures backed by memory, so what a
// caller wrote through a lock can be read back. Nothing is drawn; readFrame returns the back
// buffer filled with the colour of the last target clear.
//
// Recorded names and arguments (ints unless stated):
//   adapterCount; getDeviceCaps {adapter, type}; getDisplayMode {adapter};
//   checkDepthStencilFormat {adapter, type, displayFormat, depthFormat};
//   createDevice {adapter, type, behavior, width, height, format, count, swapEffect, windowed,
//                 autoDepthStencil, depthFormat};
//   clear {flags, color, stencil} floats {z}; beginScene; endScene; present; readFrame;
//   setRenderState {state, value}; setTextureStageState {stage, type, value}; setTexture {stage,
//   id}; setTransform {state} floats {16 values}; lightEnable {index, enable}; setLight {index,
//   Type} floats {Diffuse rgba, Specular rgba, Ambient rgba, Position xyz,
//            Direction xyz, Range, Falloff, Attenuation0, Attenuation1, Attenuation2, Theta, Phi};
//   setMaterial floats {Diffuse rgba, Ambient rgba, Specular rgba, Emissive rgba, Power};
//   createVertexBuffer {length, usage, fvf, pool, id}; createIndexBuffer {length, usage, format,
//   pool, id}; setStreamSource {stream, id, stride}; setIndices {id, baseVertexIndex};
//   setVertexShader {fvf}; drawPrimitive {type, startVertex, count};
//   drawIndexedPrimitive {type, minIndex, numVertices, startIndex, count};
//   createTexture {width, height, format, id}; createFont {height, id} text face;
//   lockVertexBuffer / lockIndexBuffer {id, offset, size, flags}; unlockVertexBuffer /
//   unlockIndexBuffer {id}; lockRect {id, level, flags}; unlockRect {id, level};
//   getLevelDesc {id, level}; drawText {fontId, left, top, format, color} text;
//   releaseVertexBuffer / releaseIndexBuffer / releaseTexture / releaseFont {id} when the last
//   reference goes.
// The get* state queries are answered but not recorded. Failed calls are recorded too, with the
// result; create calls that fail record id 0.
class RecordingResource;

class RecordingDevice : public GraphicsDevice {
 public:
  // created: start as if createDevice had succeeded with a 640 × 480 back buffer.
  explicit RecordingDevice(bool created = false);
  ~RecordingDevice() override;

  // ---- Configuration.
  D3DCAPS8& caps() { return deviceCaps; }
  D3DDISPLAYMODE& displayMode() { return mode; }
  void setAdapterCount(std::uint32_t count) { adapters = count; }
  // The depth-stencil formats checkDepthStencilFormat and createDevice accept.
  void setDepthFormats(std::vector<std::uint32_t> formats);
  // Client size of the window that a back buffer of size 0 takes.
  void setWindowSize(int width, int height);
  // Every later call of that recorded name (e.g. "createVertexBuffer", "lockVertexBuffer",
  // "createDevice", "getDeviceCaps") answers D3DERR_INVALIDCALL until clearFailures.
  void failOn(const std::string& name) { failing.insert(name); }
  void clearFailures() { failing.clear(); }

  // ---- Inspection.
  const std::vector<DeviceCall>& calls() const { return recorded; }
  void clearCalls() { recorded.clear(); }
  int callCount(const std::string& name) const;
  std::vector<DeviceCall> callsNamed(const std::string& name) const;
  // The last call of that name, or null.
  const DeviceCall* lastCall(const std::string& name) const;
  // Names of all calls in order, handy for sequence assertions.
  std::vector<std::string> callNames() const;

  const DeviceState& state() const { return current; }
  bool isCreated() const { return created; }
  std::uint32_t depthFormat() const { return depthStencilFormat; }
  DeviceTexture* boundTexture(std::uint32_t stage) const;
  DeviceVertexBuffer* streamSource() const { return stream.get(); }
  std::uint32_t streamStride() const { return stride; }
  DeviceIndexBuffer* indices() const { return indexBuffer.get(); }

  // Id of an object this device made (0 for null or foreign objects).
  std::int64_t idOf(const DeviceVertexBuffer* buffer) const;
  std::int64_t idOf(const DeviceIndexBuffer* buffer) const;
  std::int64_t idOf(const DeviceTexture* texture) const;
  std::int64_t idOf(const DeviceFont* font) const;
  // Bytes of an object this device made, as last written (empty for foreign objects).
  const std::vector<std::uint8_t>& contents(const DeviceVertexBuffer* buffer) const;
  const std::vector<std::uint8_t>& contents(const DeviceIndexBuffer* buffer) const;
  const std::vector<std::uint8_t>& contents(const DeviceTexture* texture) const;
  // Objects alive that this device made.
  int liveObjectCount() const { return static_cast<int>(live.size()); }

  // ---- GraphicsDevice.
  std::uint32_t adapterCount() override;
  int getDeviceCaps(std::uint32_t adapter, std::uint32_t deviceType, D3DCAPS8& caps) override;
  int getDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override;
  int checkDepthStencilFormat(std::uint32_t adapter, std::uint32_t deviceType,
                              std::uint32_t displayFormat, std::uint32_t depthFormat) override;
  int createDevice(std::uint32_t adapter, std::uint32_t deviceType, std::uint32_t behaviorFlags,
                   const D3DPRESENT_PARAMETERS& params) override;

  int clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) override;
  int beginScene() override;
  int endScene() override;
  int present() override;
  int readFrame(std::vector<std::uint8_t>& rgba, int& width, int& height) override;
  int backBufferWidth() const override { return bufferWidth; }
  int backBufferHeight() const override { return bufferHeight; }

  int setRenderState(std::uint32_t state, std::uint32_t value) override;
  int getRenderState(std::uint32_t state, std::uint32_t& value) override;
  int setTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override;
  int getTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t& value) override;
  int setTexture(std::uint32_t stage, DeviceTexture* texture) override;
  int setTransform(std::uint32_t state, const float matrix[16]) override;
  int getTransform(std::uint32_t state, float matrix[16]) override;
  int setLight(std::uint32_t index, const D3DLIGHT8& light) override;
  int lightEnable(std::uint32_t index, bool enable) override;
  int setMaterial(const D3DMATERIAL8& material) override;

  int createVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                         std::uint32_t pool, RefPtr<DeviceVertexBuffer>& buffer) override;
  int createIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                        std::uint32_t pool, RefPtr<DeviceIndexBuffer>& buffer) override;
  int setStreamSource(std::uint32_t stream, DeviceVertexBuffer* buffer,
                      std::uint32_t stride) override;
  int setIndices(DeviceIndexBuffer* buffer, std::uint32_t baseVertexIndex) override;
  int setVertexShader(std::uint32_t fvf) override;
  int drawPrimitive(std::uint32_t primitiveType, std::uint32_t startVertex,
                    std::uint32_t primitiveCount) override;
  int drawIndexedPrimitive(std::uint32_t primitiveType, std::uint32_t minIndex,
                           std::uint32_t numVertices, std::uint32_t startIndex,
                           std::uint32_t primitiveCount) override;

  int createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                    RefPtr<DeviceTexture>& texture) override;
  int createFont(const std::string& faceName, int heightPixels, RefPtr<DeviceFont>& font) override;

  // Used by the device's objects to record their own calls; returns the result to give.
  int record(DeviceCall call);
  void adopt(const void* object, RecordingResource* resource) { live[object] = resource; }
  void forget(const void* object) { live.erase(object); }

 private:
  bool fails(const std::string& name) const { return failing.count(name) != 0; }
  // Records a call that needs a created device; answers D3DERR_INVALIDCALL before that.
  int recordDeviceCall(DeviceCall call);
  std::int64_t nextId() { return ++lastId; }

  D3DCAPS8 deviceCaps;
  D3DDISPLAYMODE mode;
  std::uint32_t adapters = 1;
  std::vector<std::uint32_t> depthFormats;
  int windowWidth = 640;
  int windowHeight = 480;
  std::set<std::string> failing;

  std::vector<DeviceCall> recorded;
  DeviceState current;
  bool created = false;
  bool inScene = false;
  std::uint32_t depthStencilFormat = D3DFMT_UNKNOWN;
  int bufferWidth = 0;
  int bufferHeight = 0;
  std::uint32_t clearColor = 0;

  RefPtr<DeviceTexture> textures[D3DMAX_TEXTURESTAGES];
  RefPtr<DeviceVertexBuffer> stream;
  std::uint32_t stride = 0;
  RefPtr<DeviceIndexBuffer> indexBuffer;

  std::int64_t lastId = 0;
  // Public face of each live object -> its recording side, for ids, contents and detaching.
  std::map<const void*, RecordingResource*> live;
};
