#include "engine/Renderer.h"

#include <sstream>
#include <vector>

#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/MeshInstance.h"
#include "engine/Model.h"
#include "engine/Scene.h"
#include "engine/SceneNode.h"
#include "engine/ShadowVolume.h"
#include "device/GraphicsDevice.h"
#include "foundation/FrameStats.h"

namespace {

// Kept from first need until the program ends.
Camera& defaultCamera() {
  static Camera camera(new SceneNode());
  return camera;
}

Material& defaultMaterial() {
  static RefPtr<Material> material(new Material(1));
  return *material;
}

}  // namespace

Renderer::Renderer(const Color& clearColor) : background(clearColor) {}

Renderer::~Renderer() = default;

void Renderer::setWorldTransform(const Matrix34& m) { setWorldMatrix(m.toMatrix44().data()); }

void Renderer::drawStats(const FrameStats& stats) {
  std::ostringstream text;
  text << "Fps: " << stats.fps() << "\nVertices: " << stats.lastVertices()
       << "\nTriangles: " << stats.lastTriangles();
  printText(5, 30, text.str());
}

void Renderer::applyCamera(Camera& camera) {
  currentCamera = &camera;
  // The projection takes the shape of the frame it draws into, which follows a resized window.
  if (GraphicsDevice* graphics = device()) {
    const int width = graphics->backBufferWidth();
    const int height = graphics->backBufferHeight();
    if (width > 0 && height > 0) camera.setAspect(static_cast<float>(width) / static_cast<float>(height));
  }
  const Matrix34 view = camera.node()->world().rigidInverse();
  setViewMatrix(view.toMatrix44().data());
  const auto projection = camera.projectionMatrix();
  setProjectionMatrix(projection.data());
}

void Renderer::collect(Camera& camera, MeshInstance& instance, bool objectVisible) {
  if (objectVisible) {
    const BoundingSphere& bounds = instance.worldBounds();
    if (camera.classifySphere(bounds.center, bounds.radius) != 0) visible.push_back(&instance);
  }
  if (instance.castsShadow() && instance.node()) {
    instance.updateShadow();
    shadows.push_back({instance.node()->world(), instance.shadow()});
  }
}

void Renderer::renderScene(Scene& scene) {
  Camera& camera = scene.camera() ? *scene.camera() : defaultCamera();
  applyCamera(camera);

  for (const RefPtr<Light>& light : scene.lights()) {
    if (light) addLight(*light);
  }

  visible.clear();
  shadows.clear();
  for (const RefPtr<Model>& object : scene.objects()) {
    if (!object) continue;
    const BoundingSphere& bounds = object->bounds();
    const bool objectVisible = camera.classifySphere(bounds.center, bounds.radius) != 0;
    for (const RefPtr<MeshInstance>& instance : object->instances()) {
      if (instance) collect(camera, *instance, objectVisible);
    }
  }
  for (const RefPtr<MeshInstance>& instance : scene.instances()) {
    if (instance) collect(camera, *instance, true);
  }

  auto drawInstance = [this](MeshInstance& instance, int shadowPass) {
    if (!instance.mesh()) return;
    if (instance.node()) {
      setWorldTransform(instance.node()->world());
    } else {
      setWorldTransform(Matrix34::identity());
    }
    Material& material = instance.material() ? *instance.material() : defaultMaterial();
    material.setInstance(&instance);
    if (shadowPass == 1) material.setAmbientPass(true);
    if (shadowPass == 2) material.setLitPass(true);
    setMaterial(&material);
    applyRenderFlags(instance.renderFlags());
    drawMesh(*instance.mesh());
    material.setAmbientPass(false);
    material.setLitPass(false);
    // The link is only valid while this instance is drawn; a shared material must not keep it.
    material.setInstance(nullptr);
  };

  if (shadows.empty()) {
    for (MeshInstance* instance : visible) drawInstance(*instance, 0);
    return;
  }
  for (MeshInstance* instance : visible) drawInstance(*instance, 1);
  for (const ShadowEntry& entry : shadows) {
    setWorldTransform(entry.transform);
    drawShadowVolume(*entry.volume);
  }
  for (MeshInstance* instance : visible) drawInstance(*instance, 2);
}

RefPtr<Renderer>& rendererHolder() {
  static RefPtr<Renderer> holder;
  return holder;
}
