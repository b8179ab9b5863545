#include "effects/BumpMaterial.h"

#include "device/GraphicsDevice.h"
#include "effects/BumpVectors.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Renderer.h"
#include "image/Texture.h"

BumpMaterial::BumpMaterial() : Material(kBump) {}

BumpMaterial::~BumpMaterial() = default;

RefPtr<Material> BumpMaterial::clone() const {
  RefPtr<Material> copy(new BumpMaterial());
  copy->assign(*this);
  return copy;
}

bool BumpMaterial::updateVectors(const Vector3& eyeWorld) {
  MeshInstance* target = instance();
  Mesh* mesh = target ? target->mesh() : nullptr;
  if (!mesh) return false;
  const std::uint32_t count = mesh->vertexCount();
  const VertexFrame& frame = mesh->current();
  Color* lightVectors = mesh->writableColors(0);
  Color* halfVectors = mesh->writableColors(1);
  if (count == 0 || frame.tangentFrames.size() != count || frame.positions.size() != count || !lightVectors) {
    return false;
  }

  // Light and eye into the mesh's object space (the node's transform is rigid).
  const Matrix34 toObject = target->node() ? target->node()->world().rigidInverse() : Matrix34::identity();
  const float* l = target->light();
  ObjectLight light;
  light.directional = l[3] == 0.0f;
  light.vector = light.directional ? toObject.transformDirection(Vector3(l[0], l[1], l[2]))
                                   : toObject.transformPoint(Vector3(l[0], l[1], l[2]));
  writeLightVectors(frame, count, light, lightVectors);
  if (type() == kBump && halfVectors) {
    writeHalfVectors(frame, count, light, toObject.transformPoint(eyeWorld), halfVectors);
  }
  mesh->notifyChanged();
  return true;
}

void BumpMaterial::apply(int pass, const Matrix34& viewMatrix) {
  if (pass < 0 || pass >= passCount()) return;
  Renderer* renderer = rendererHolder().get();
  GraphicsDevice* device = renderer ? renderer->device() : nullptr;
  if (!device) return;
  const Texture* normalMap = texture(0);
  const Texture* base = texture(1);

  if (pass == 0) {
    updateVectors(viewMatrix.rigidInverse().translation());
    setDeviceMaterial(*device);
    device->setTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->setTextureStageState(3, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // The vertex colours are vectors, not light: they must reach the stages unchanged.
    renderer->setSelector(Renderer::kLighting, 1);

    if (normalMap) {
      device->setTexture(0, normalMap->deviceTexture());
      device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
      device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
      device->setTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
      device->setTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
      device->setTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
      device->setTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
      device->setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
      device->setTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    } else {
      device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    if (base) {
      const std::uint32_t filter = base->filterMode() == Texture::kFilterPoint ? D3DTEXF_POINT : D3DTEXF_LINEAR;
      device->setTexture(1, base->deviceTexture());
      device->setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
      device->setTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->setTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
      // The dot product fills alpha too; the picture's alpha is the base texture's.
      device->setTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
      device->setTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      device->setTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
      device->setTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
      device->setTextureStageState(1, D3DTSS_MINFILTER, filter);
      device->setTextureStageState(1, D3DTSS_MAGFILTER, filter);
      device->setTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
      device->setTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    } else {
      device->setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    return;
  }

  // Pass 1, the specular term added over pass 0 on exactly its pixels.
  renderer->setSelector(Renderer::kDepth, 2);
  renderer->setSelector(Renderer::kDepthCompare, 0);
  renderer->setSelector(Renderer::kBlend, 3);
  if (!normalMap) {
    // No normal map, no specular term: stage 0 is off and would add the packed vectors as colour.
    renderer->setSelector(Renderer::kColorWrites, 1);
    return;
  }
  device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_SPECULAR);
  // Stage 1 squares the dot product; it only needs some texture bound to be enabled.
  if (!base) device->setTexture(1, normalMap->deviceTexture());
  device->setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->setTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device->setTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
}
