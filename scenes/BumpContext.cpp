#include "scenes/BumpContext.h"

#include <string>
#include <vector>

#include "effects/BumpMaterial.h"
#include "effects/BumpSurfaces.h"
#include "effects/TangentFrames.h"
#include "engine/MathConstants.h"
#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "foundation/VariableTable.h"
#include "image/Image.h"
#include "image/TextureManager.h"

namespace {

const Vector3 kEye(0.0f, 1.0f, -5.0f);
const char* const kHeightMap = "/textures/debugHeight.tga";
const char* const kNormalMapName = "debugnormal.tga";
const char* const kColorMapName = "h_bitterman.tga";

const Vector3 kQuadPosition(-1.2f, -1.0f, 0.0f);
const Vector3 kCopyPosition(1.2f, -1.0f, 0.0f);
const Vector3 kGridPosition(0.0f, 2.5f, 0.0f);

// makeNormalMap's y points towards decreasing v, so the binormal is flipped to match; without it
// the relief would be lit from the wrong side along v.
constexpr bool kFlipV = true;

// A 3 × 3 grid of 4 × 4 units facing −z, its texture mirrored across the middle row and column.
constexpr std::uint32_t kGridVertices = 9;
const Vector3 kGridPositions[kGridVertices] = {{-2, 2, 0}, {0, 2, 0}, {2, 2, 0},    {-2, 0, 0}, {0, 0, 0},
                                               {2, 0, 0},  {-2, -2, 0}, {0, -2, 0}, {2, -2, 0}};
const TexCoord kGridTexCoords[kGridVertices] = {{0, 0}, {1, 0}, {0, 0}, {0, 1}, {1, 1},
                                                {0, 1}, {0, 0}, {1, 0}, {0, 0}};
const std::uint16_t kGridIndices[] = {0, 4, 3, 0, 1, 4, 1, 5, 4, 1, 2, 5, 3, 7, 6, 3, 4, 7, 4, 8, 7, 4, 5, 8};

RefPtr<Mesh> makeGrid() {
  std::vector<TexCoord> texCoords(kGridTexCoords, kGridTexCoords + kGridVertices);
  RefPtr<Mesh> mesh(new Mesh(1, kGridVertices, std::vector<Vector3>(kGridPositions, kGridPositions + kGridVertices),
                             std::vector<Vector3>(kGridVertices, Vector3(0, 0, -1)), texCoords, {},
                             std::vector<std::uint16_t>(std::begin(kGridIndices), std::end(kGridIndices))));
  mesh->setTexCoords(1, Mesh::TexExplicit, texCoords);
  mesh->setDynamic(true);
  return mesh;
}

RefPtr<MeshInstance> place(RefPtr<Mesh> mesh, const Matrix34& transform) {
  RefPtr<MeshInstance> instance(new MeshInstance(SceneNode::create(transform), std::move(mesh)));
  instance->updateBounds();
  return instance;
}

// The normal map of the height map, saved beside it. A directory that cannot be written does not
// stop the scene: the map is used from memory.
RefPtr<Image> makeNormalMapFile(const std::string& heightPath, const std::string& normalPath) {
  const RefPtr<Image> heights(new Image(heightPath));
  RefPtr<Image> normals = heights->makeNormalMap(kBumpNormalMapScale, ImageFormat::kRgb);
  if (!normals->isEmpty() && !normals->saveTga(normalPath)) {
    Logger::instance().line(2) << "Couldn't save the normal map \"" << normalPath << "\"; using it from memory"
                               << std::endl;
  }
  return normals;
}

}  // namespace

BumpContext::BumpContext()
    : Context("BumpContext"), sceneCamera(RefPtr<SceneNode>(new SceneNode())), orbit(&sceneCamera) {}

void BumpContext::init() {
  eye = kEye;
  SceneNode* cameraNode = sceneCamera.node();
  cameraNode->local() = Matrix34::lookAt(eye, Vector3(0, 0, 0), Vector3(0, 1, 0));
  cameraNode->updateWorld();
  orbit.setDistance(eye.length());
  orbit.syncTarget();
  bumpScene.setCamera(&sceneCamera);

  const Path heightPath(VariableTable::instance().get("data").value() + kHeightMap);
  const std::string normalPath = heightPath.directory() + kNormalMapName;
  const RefPtr<Image> normals = makeNormalMapFile(heightPath.full(), normalPath);

  quadInstance = place(Mesh::createQuad(2, 2), Matrix34::translation(kQuadPosition));
  RefPtr<Material> material(new BumpMaterial());
  if (TextureManager* textures = TextureManager::instance().get()) {
    material->setTexture(0, textures->createFromImage(normals.get(), normalPath));
    material->setTexture(1, textures->createFromFile(heightPath.directory() + kColorMapName));
  }
  quadInstance->setMaterial(material);
  Mesh* quadMesh = quadInstance->mesh();
  quadMesh->setDynamic(true);
  quadMesh->setTexCoords(1, Mesh::TexExplicit, {{0, 1}, {0, 0}, {1, 1}, {1, 0}});
  buildTangentFrames(*quadMesh, kFlipV, 0);

  // Shares the quad's mesh: each draw rewrites the shared vertex colours for its own placement.
  copyInstance = quadInstance->clone();
  copyInstance->setNode(SceneNode::create(Matrix34(Matrix33::rotationZ(kPi), kCopyPosition)));
  copyInstance->updateBounds();

  gridInstance = place(makeGrid(), Matrix34::translation(kGridPosition));
  gridInstance->setMaterial(material->clone());
  buildTangentFrames(*gridInstance->mesh(), kFlipV, 0);
  debugOut() << "Before: " << kGridVertices << ", After: " << gridInstance->mesh()->vertexCount() << std::endl;

  bumpScene.addInstance(quadInstance);
  bumpScene.addInstance(copyInstance);
  bumpScene.addInstance(gridInstance);
}

void BumpContext::update() {
  orbit.update();
  eye = sceneCamera.node()->world().translation();
  const float light[4] = {eye.x, eye.y, eye.z, 1.0f};
  setInstanceLights(bumpScene.instances(), light);
}

void BumpContext::render() {
  if (Renderer* renderer = rendererHolder().get()) renderer->renderScene(bumpScene);
}
