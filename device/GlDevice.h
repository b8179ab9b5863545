#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/RefPtr.h"
#include "device/DeviceState.h"
#include "device/GlShaderCache.h"
#include "device/GraphicsDevice.h"

class GlHeadlessContext;
class GlResource;

// GraphicsDevice on OpenGL 3.3 core (through libepoxy), reproducing Direct3D 8's fixed-function
// pipeline with generated programs keyed by the state (GlShaderCache). The back buffer is a
// framebuffer object (RGBA8 colour with the requested depth-stencil format); present copies it to
// the window's default framebuffer and swaps, or does nothing when headless.
//
// All calls must come from the thread whose current context the device was made on. One device
// per context.
class GlDevice : public GraphicsDevice {
 public:
  // An off-screen device on Mesa's surfaceless EGL platform with a back buffer of that size.
  // Null with a log line when no context can be made. useClipControl false folds Direct3D's
  // 0..1 depth range into the projection even where glClipControl exists (the path taken on
  // drivers without it).
  static RefPtr<GlDevice> createHeadless(int width, int height, bool useClipControl = true);
  // A device on the GL 3.3 context current on this thread (a window's), whose client area is
  // width × height; present blits the frame to framebuffer 0, then calls swapBuffers.
  static RefPtr<GlDevice> createForCurrentContext(int width, int height,
                                                  std::function<void()> swapBuffers,
                                                  bool useClipControl = true);
  ~GlDevice() override;

  // The window's client size changed: a back buffer that took the window's size follows it.
  bool resizeWindow(int width, int height);

  // ---- Counters, for tests and benchmarks.
  std::uint64_t uniformUploadCount() const { return uniformUploads; }
  std::uint64_t drawCallCount() const { return drawCalls; }
  std::size_t programCount() const { return shaders.size(); }
  const GlShaderCache& shaderCache() const { return shaders; }
  // The first GL error code raised since the last call (0 for none); clears GL's error flags.
  std::uint32_t takeGlError();

  // ---- For the device's objects.
  // Makes the device's own context current (headless devices; a window's context is the
  // caller's), so several devices can take turns on one thread.
  void makeCurrent();
  void adoptResource(GlResource* resource) { resources.insert(resource); }
  void forgetResource(GlResource* resource) { resources.erase(resource); }
  // Something other than the device changed GL state (the font's drawing): every piece of the
  // device's state is sent again at the next draw.
  void invalidateGlState();

  // ---- GraphicsDevice.
  std::uint32_t adapterCount() override { return 1; }
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

 private:
  GlDevice(int windowWidth, int windowHeight);
  bool initialiseGl(bool useClipControl);
  bool createBackBuffer(int width, int height, std::uint32_t depthFormat);
  void freeBackBuffer();

  // Brings GL to the recorded state before a draw; false when the draw cannot happen.
  bool prepareDraw();
  void applyRasterState();
  void applySamplers();
  void uploadUniforms();
  GlProgramKey currentKey() const;
  // Vertices of the bound stream usable by a draw (0 when none fits).
  std::uint32_t streamVertexCount() const;

  std::unique_ptr<GlHeadlessContext> headless;
  std::function<void()> swap;
  int windowWidth;
  int windowHeight;
  bool followsWindow = true;

  bool created = false;
  bool inScene = false;
  bool clipControl = false;
  int maxTextureSize = 2048;
  int bufferWidth = 0;
  int bufferHeight = 0;
  std::uint32_t depthStencilFormat = D3DFMT_UNKNOWN;
  bool hasStencil = false;

  DeviceState state;
  RefPtr<DeviceTexture> textures[D3DMAX_TEXTURESTAGES];
  RefPtr<DeviceVertexBuffer> stream;
  std::uint32_t stride = 0;
  RefPtr<DeviceIndexBuffer> indexBuffer;
  std::uint32_t baseVertex = 0;

  // What must be sent at the next draw.
  bool programDirty = true;
  bool uniformsDirty = true;
  bool rasterDirty = true;
  bool layoutDirty = true;
  bool indicesDirty = true;
  bool vertexArrayDirty = true;
  std::uint32_t textureDirty = 0xF;
  std::uint32_t samplerDirty = 0xF;

  GlShaderCache shaders;
  GlProgramKey lastKey;
  bool haveLastKey = false;
  std::uint32_t currentProgram = 0;

  std::uint32_t framebuffer = 0;
  std::uint32_t colorBuffer = 0;
  std::uint32_t depthBuffer = 0;
  std::uint32_t vertexArray = 0;
  std::uint32_t uniformBuffer = 0;
  std::array<std::uint32_t, D3DMAX_TEXTURESTAGES> samplers{};

  struct UniformBlock;
  std::unique_ptr<UniformBlock> block;
  std::uint64_t uniformUploads = 0;
  std::uint64_t drawCalls = 0;

  std::set<GlResource*> resources;
};
