#include "scenes/TerrainContext.h"

#include <string>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/KeyCodes.h"
#include "foundation/VariableTable.h"
#include "image/Image.h"
#include "image/TextureManager.h"
#include "scenes/TerrainRecipe.h"
#include "scenes/TerrainTextureSynthesis.h"
#include "water/HeightFieldMeshBuilder.h"

static_assert(sizeof(Vector3) == 3 * sizeof(float), "the builder writes Vector3 arrays as floats");
static_assert(sizeof(TexCoord) == 2 * sizeof(float), "the builder writes TexCoord arrays as floats");

namespace {

constexpr int kFirstMode = 1;
constexpr float kVerticalLow = 0.0f, kVerticalHigh = 30.0f;
constexpr float kSpacing = 1.0f;
constexpr const char* kTextureName = "Terrain";

std::string textureDirectory() { return VariableTable::instance().get("data").value() + "/Textures/"; }

// The mesh of a built grid: one frame of positions, normals, texture coordinates and indices.
RefPtr<Mesh> createTerrainMesh(const HeightFieldMeshBuilder& builder) {
  const std::uint32_t count = builder.width() * builder.height();
  std::vector<Vector3> positions(count);
  std::vector<Vector3> normals(count);
  std::vector<TexCoord> texCoords(count);
  std::vector<std::uint16_t> indices(HeightFieldMeshBuilder::indexCountFor(builder.width(), builder.height()));
  std::uint32_t vertexCount = 0, indexCount = 0;
  float* p = reinterpret_cast<float*>(positions.data());
  float* n = reinterpret_cast<float*>(normals.data());
  float* t = reinterpret_cast<float*>(texCoords.data());
  std::uint16_t* i = indices.data();
  if (!builder.build(false, vertexCount, &p, &n, &t, &indexCount, &i)) return nullptr;
  return new Mesh(1, vertexCount, std::move(positions), std::move(normals), std::move(texCoords), {},
                  std::move(indices));
}

}  // namespace

TerrainContext::TerrainContext()
    : Context("TerrainContext"),
      sceneCamera(SceneNode::create(Matrix34::identity())),
      orbit(&sceneCamera),
      spaceKey(kKeySpace),
      terrainMode(kFirstMode) {}

void TerrainContext::init() {
  sceneLight = new Light();
  if (!layersLoaded) {
    layerList = TerrainRecipe::loadLayers(textureDirectory());
    layersLoaded = true;
  }
  buildTerrain();
}

void TerrainContext::update() {
  orbit.update();
  aimLight();
  spaceKey.update();
  if (spaceKey.pressed()) showMode(terrainMode + 1);
}

void TerrainContext::render() {
  if (!terrainScene) return;
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(*terrainScene);
}

void TerrainContext::release() { terrainScene.reset(); }

void TerrainContext::showMode(int mode) {
  terrainMode = ((mode % TerrainRecipe::kModeCount) + TerrainRecipe::kModeCount) % TerrainRecipe::kModeCount;
  buildTerrain();
}

// The light shines along the camera's view direction (its local z).
void TerrainContext::aimLight() {
  if (!sceneLight) return;
  const Matrix34& view = sceneCamera.node()->world();
  sceneLight->setPosition(-view[2], -view[6], -view[10], 0.0f);
}

void TerrainContext::buildTerrain() {
  // The old scene goes first, so its material lets go of the old texture before it is replaced.
  terrainScene = std::make_unique<Scene>();
  terrainScene->setCamera(&sceneCamera);
  if (!sceneLight) sceneLight = new Light();
  terrainScene->addLight(sceneLight);

  RefPtr<Image> texture = new Image(kTextureSize, kTextureSize, ImageFormat::kRgba, nullptr);
  TextureManager* textures = TextureManager::instance().get();
  if (textures) textures->remove(kTextureName);

  const std::string directory = textureDirectory();
  TerrainRecipe::Heights heights = TerrainRecipe::makeHeights(terrainMode, directory);
  if (!heights.source() && terrainMode == 0) {
    terrainMode = 1;
    heights = TerrainRecipe::makeHeights(terrainMode, directory);
  }
  if (!heights.source()) return;

  HeightFieldMeshBuilder builder(heights.source());
  builder.setVerticalRange(kVerticalLow, kVerticalHigh);
  builder.setSpacing(kSpacing);
  for (const TerrainTextureLayer& layer : layerList) builder.addLayer(layer);
  RefPtr<Mesh> mesh = createTerrainMesh(builder);
  if (!mesh) return;
  synthesizeTerrainTexture(builder, *texture);

  RefPtr<MeshInstance> instance = new MeshInstance(SceneNode::create(Matrix34::identity()), mesh);
  instance->updateBounds();

  // Above and behind the terrain, looking at its centre from 1.5 radii away horizontally.
  const float r = instance->worldBounds().radius;
  const Vector3 eye(0.0f, r * 1.5f * 0.5f, -r * 1.5f);
  SceneNode* cameraNode = sceneCamera.node();
  cameraNode->local() = Matrix34::lookAt(eye, Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
  cameraNode->updateWorld();
  orbit.setDistance(eye.length());
  orbit.syncTarget();
  aimLight();

  RefPtr<Material> material = new Material(Material::kPlain);
  if (textures) material->setTexture(0, textures->createFromImage(texture.get(), kTextureName));
  instance->setMaterial(material);
  terrainScene->addInstance(instance);
}

std::vector<KeyHelp> TerrainContext::keyHelp() const {
  std::vector<KeyHelp> help = OrbitCameraController::mouseHelp();
  help.push_back({"Space", "next terrain (height map, then three generators)"});
  return help;
}
