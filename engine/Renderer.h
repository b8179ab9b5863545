#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Color.h"
#include "engine/Matrix34.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

class Camera;
class FrameStats;
class GraphicsDevice;
class Light;
class Material;
class Mesh;
class MeshInstance;
class ParticleEmitter;
class Scene;
class ShadowVolume;
struct RenderFlags;

// The engine's drawing interface. A frame is bracketed by beginFrame and endFrame; a scene is
// handed to renderScene, which breaks it into camera, lights, culled instances and shadow
// volumes and draws them through the other operations.
//
// 4 × 4 matrices are 16 floats row by row in the engine's convention (column vectors,
// translation in elements 3, 7 and 11).
class Renderer : public RefCounted {
 public:
  // Render-state selectors of a RenderFlags block, in block order.
  enum Selector : int {
    kBlend = 0,
    kFill = 1,
    kShade = 2,
    kSpecular = 3,
    kDepth = 4,
    kDepthCompare = 5,
    kStencil = 6,
    kColorWrites = 7,
    kCull = 8,
    kLighting = 9,
  };
  static constexpr int kSelectorCount = 10;

  explicit Renderer(const Color& clearColor);
  ~Renderer() override;

  // Clears colour, depth (1.0) and stencil (0), forgets the previous frame's lights, begins.
  virtual void beginFrame() = 0;
  // Ends the frame and shows it.
  virtual void endFrame() = 0;
  // The emitter's living particles as camera-facing quads.
  virtual void drawParticles(const ParticleEmitter& emitter) = 0;
  // Counts a shadow volume into the stencil buffer under the current world transform.
  virtual void drawShadowVolume(const ShadowVolume& volume) = 0;
  // Draws with the world transform, material and render flags set before.
  virtual void drawMesh(Mesh& mesh) = 0;
  // The whole scene: camera, lights, culling, and the three shadow passes when anything casts.
  virtual void renderScene(Scene& scene);
  // Enables one more light until the next beginFrame.
  virtual void addLight(const Light& light) = 0;
  virtual std::uint32_t maxLights() const = 0;
  virtual void setAmbient(const Color& color) = 0;
  // setWorldMatrix of m widened to 4 × 4.
  virtual void setWorldTransform(const Matrix34& m);
  virtual void setWorldMatrix(const float m[16]) = 0;
  // The material that drawMesh applies; null draws without applying one.
  virtual void setMaterial(Material* material) = 0;
  // Brings the device to a RenderFlags block through the state cache.
  virtual void applyRenderFlags(const RenderFlags& flags) = 0;
  // "Fps: ", "Vertices: " and "Triangles: " lines at (5, 30).
  virtual void drawStats(const FrameStats& stats);
  // White text with its top-left corner at client pixel (x, y); '\n' starts a new line.
  virtual void printText(int x, int y, const std::string& text) = 0;
  virtual void setProjectionMatrix(const float m[16]) = 0;
  virtual void setViewMatrix(const float m[16]) = 0;

  // ---- State services for materials.
  // The device once it is open, else null (materials then set nothing).
  virtual GraphicsDevice* device() = 0;
  // Switches every light added this frame on or off (ambient and lit shadow passes).
  virtual void setLightsEnabled(bool on) = 0;
  // Sends the device states of one selector value and records it in the state cache, whether or
  // not the cache already held it.
  virtual void setSelector(int selector, std::uint8_t value) = 0;
  // The last view matrix, as materials receive it.
  virtual const float* viewMatrix() const = 0;

  const Color& clearColor() const { return background; }
  // The camera applied last by renderScene; null before the first scene.
  Camera* camera() const { return currentCamera; }

 private:
  struct ShadowEntry {
    Matrix34 transform;
    const ShadowVolume* volume;
  };

  // Applies the scene's camera (or the default one) as view and projection, after giving the
  // camera the aspect of the device's back buffer.
  void applyCamera(Camera& camera);
  // Adds the instance to the visible list when its world bounds touch the frustum, and rebuilds
  // and collects its shadow whatever the visibility: a caster outside the view still shadows into it.
  void collect(Camera& camera, MeshInstance& instance, bool objectVisible);

  Color background;
  Camera* currentCamera = nullptr;
  // renderScene's lists, kept so that later frames reuse their memory.
  std::vector<MeshInstance*> visible;
  std::vector<ShadowEntry> shadows;
};

// The program's renderer, filled by the application's initialisation and released at exit.
RefPtr<Renderer>& rendererHolder();
