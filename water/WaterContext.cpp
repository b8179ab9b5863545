#include "water/WaterContext.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/Material.h"
#include "engine/MeshInstance.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/KeyCodes.h"
#include "foundation/Mouse.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "water/HeightFieldMeshBuilder.h"

static_assert(sizeof(Vector3) == 3 * sizeof(float), "the builder writes Vector3 arrays as floats");

namespace {

const Vector3 kEye(0.0f, 18.0f, -24.0f);
constexpr float kEyeDistance = 30.0f;  // |kEye|

}  // namespace

WaterContext::WaterContext(const char* name, float verticalScale, float verticalScaleStep)
    : Context(name),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      scale(verticalScale),
      scaleStep(verticalScaleStep),
      keyW(kKeyW),
      keyS(kKeyS),
      repeatW(&keyW),
      repeatS(&keyS),
      spaceKey(kKeySpace),
      picker(&sceneCamera, nullptr) {}

void WaterContext::init() {
  waterScene.setCamera(&sceneCamera);
  light = new Light();
  orbit.setDistance(kEyeDistance);
  SceneNode* node = sceneCamera.node();
  node->local() = Matrix34::lookAt(kEye, Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
  node->updateWorld();
  orbit.syncTarget();
  light->setPosition(kEye.x, kEye.y, kEye.z, 0.0f);
}

void WaterContext::update() {
  repeatW.update();
  repeatS.update();
  if (repeatS.pressed()) {
    scale -= scaleStep;
    if (!(scale > 0.0f)) scale = 0.0f;
  } else if (repeatW.pressed()) {
    scale += scaleStep;
  }
  orbit.update();
}

std::vector<KeyHelp> WaterContext::keyHelp() const {
  std::vector<KeyHelp> help = OrbitCameraController::mouseHelp();
  if (scaleStep > 0.0f) help.push_back({"W / S", "higher / lower waves (held: repeats)"});
  return help;
}

void WaterContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(waterScene);
}

RefPtr<Mesh> WaterContext::createGridMesh(const HeightFieldMeshBuilder& builder) {
  const std::uint32_t count = builder.width() * builder.height();
  std::vector<Vector3> positions(count);
  std::vector<Vector3> normals(count);
  std::vector<std::uint16_t> indices(HeightFieldMeshBuilder::indexCountFor(builder.width(), builder.height()));
  std::uint32_t vertexCount = 0, indexCount = 0;
  float* p = reinterpret_cast<float*>(positions.data());
  float* n = reinterpret_cast<float*>(normals.data());
  std::uint16_t* i = indices.data();
  if (!builder.build(false, vertexCount, &p, &n, nullptr, &indexCount, &i)) return nullptr;
  RefPtr<Mesh> mesh = new Mesh(1, vertexCount, std::move(positions), std::move(normals), {}, {},
                               std::move(indices));
  mesh->setDynamic(true);
  mesh->setTexCoords(0, Mesh::TexReflection);
  return mesh;
}

void WaterContext::refreshGridMesh(const HeightFieldMeshBuilder& builder, Mesh& mesh) {
  VertexFrame* frame = mesh.frame(0);
  const std::uint32_t count = builder.width() * builder.height();
  if (!frame || frame->positions.size() != count || frame->normals.size() != count) return;
  std::uint32_t vertexCount = 0;
  float* p = reinterpret_cast<float*>(frame->positions.data());
  float* n = reinterpret_cast<float*>(frame->normals.data());
  builder.build(false, vertexCount, &p, &n, nullptr, nullptr, nullptr);
  mesh.notifyChanged();
}

void WaterContext::addWaterInstance(RefPtr<Mesh> mesh, const char* textureFile) {
  if (!mesh) return;
  RefPtr<MeshInstance> instance = new MeshInstance(SceneNode::create(Matrix34::identity()), mesh);
  RefPtr<Material> material = new Material(Material::kPlain);
  if (TextureManager* textures = TextureManager::instance().get()) {
    const std::string path = VariableTable::instance().get("data").value() + textureFile;
    material->setTexture(0, textures->createFromFile(path));
  }
  instance->setMaterial(material);
  instance->updateBounds();
  waterScene.addInstance(instance);
  waterScene.addLight(light);
}

bool WaterContext::interiorCellAt(const Vector3& hit, std::uint32_t width, std::uint32_t height,
                                  std::uint32_t& x, std::uint32_t& y) {
  const float gx = std::clamp(hit.x + static_cast<float>(width) * 0.5f, 0.0f, static_cast<float>(width) - 1.0f);
  const float gz = std::clamp(-hit.z + static_cast<float>(height) * 0.5f, 0.0f, static_cast<float>(height) - 1.0f);
  if (!(gx >= 1.0f && gx <= static_cast<float>(width) - 2.0f && gz >= 1.0f &&
        gz <= static_cast<float>(height) - 2.0f))
    return false;
  x = static_cast<std::uint32_t>(gx);
  y = static_cast<std::uint32_t>(gz);
  return true;
}

bool WaterContext::pointedCell(std::uint32_t width, std::uint32_t height, std::uint32_t& x,
                               std::uint32_t& y) {
  spaceKey.update();
  if (!spaceKey.isActive()) return false;
  picker.updateRay();
  const Ray& ray = picker.ray();
  if (ray.direction.y == 0.0f) return false;
  const float t = -ray.origin.y / ray.direction.y;
  if (!(t > 0.0f)) return false;
  const Vector3 hit = ray.origin + ray.direction * t;
  const MousePoint motion = Mouse::instance().movement();
  if (!spaceKey.pressed() && motion.x == 0.0f && motion.y == 0.0f) return false;
  return interiorCellAt(hit, width, height, x, y);
}
