#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/Matrix34.h"
#include "engine/RenderFlags.h"
#include "engine/Renderer.h"
#include "foundation/RefPtr.h"
#include "device/GraphicsDevice.h"

class HardwareMesh;

// The program's Renderer on a GraphicsDevice with Direct3D 8 semantics. It opens the device,
// keeps a cache of the ten render-state selectors so that only changed states reach the device,
// converts the engine's matrices and lights to the device's conventions, and owns the two dynamic
// batch buffers through which particles and shadow volumes stream every frame.
class D3D8Renderer : public Renderer {
 public:
  // The capability failures end the process through this handler (std::exit by default). A
  // handler that returns leaves the renderer closed: every operation then does nothing.
  using ExitHandler = std::function<void(int exitCode)>;
  static void setExitHandler(ExitHandler handler);
  static void restoreExitHandler();

  static constexpr std::uint8_t kUnknownSelector = 0xFF;
  static constexpr std::uint32_t kShadowBatchVertices = 1800;
  static constexpr std::uint32_t kParticleBatchVertices = 1200;
  static constexpr std::uint32_t kParticleFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

  // device: the window's or a headless device, not yet created; the renderer opens it.
  D3D8Renderer(RefPtr<GraphicsDevice> device, const Color& clearColor);
  ~D3D8Renderer() override;

  void beginFrame() override;
  void endFrame() override;
  void drawParticles(const ParticleEmitter& emitter) override;
  void drawShadowVolume(const ShadowVolume& volume) override;
  void drawMesh(Mesh& mesh) override;
  void addLight(const Light& light) override;
  std::uint32_t maxLights() const override;
  void setAmbient(const Color& color) override;
  void setWorldMatrix(const float m[16]) override;
  void setMaterial(Material* material) override;
  void applyRenderFlags(const RenderFlags& flags) override;
  void printText(int x, int y, const std::string& text) override;
  void setProjectionMatrix(const float m[16]) override;
  void setViewMatrix(const float m[16]) override;

  GraphicsDevice* device() override { return open ? graphics.get() : nullptr; }
  void setLightsEnabled(bool on) override;
  void setSelector(int selector, std::uint8_t value) override;
  const float* viewMatrix() const override { return view; }

  // The live renderer with that serial, or null once it has been destroyed.
  static D3D8Renderer* withSerial(std::uint64_t serial);
  std::uint64_t serialNumber() const { return serial; }

  // Draws a mesh's buffers once per pass of the current material and counts it once.
  void drawHardwareMesh(HardwareMesh& buffers);

  // The selector values last sent to the device; kUnknownSelector forces the next resend.
  RenderFlags& renderState() { return cache; }
  const float* worldMatrix() const { return world; }
  Material* currentMaterial() const { return material; }
  std::uint32_t lightCount() const { return lights; }
  bool isOpen() const { return open; }

 private:
  bool createDevice();
  void createFont();
  // Sends an engine matrix (column vectors) to the device, which takes row vectors.
  void sendTransform(std::uint32_t state, const float m[16]);
  // Releases what exists; safe to run twice (the capability failures run it early).
  void shutDown();
  // The first twelve elements of the view matrix, as materials receive it.
  Matrix34 viewAsMatrix34() const;

  RefPtr<GraphicsDevice> graphics;
  RefPtr<DeviceFont> font;
  bool open = false;
  bool shutDownDone = false;
  std::uint32_t lights = 0;
  std::uint32_t lightLimit = 0;
  float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  RenderFlags cache;
  Material* material = nullptr;
  RefPtr<DeviceVertexBuffer> shadowBatch;
  RefPtr<DeviceVertexBuffer> particleBatch;
  // Tells this renderer's buffer objects from those of an earlier renderer at the same address.
  std::uint64_t serial;
};
