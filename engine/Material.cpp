#include "engine/Material.h"

#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/Renderer.h"
#include "image/Texture.h"
#include "device/GraphicsDevice.h"

Material::Material(std::uint32_t type) : materialType(type) {}

Material::~Material() = default;

void Material::apply(int /*pass*/, const Matrix34& viewMatrix) {
  Renderer* renderer = rendererHolder().get();
  GraphicsDevice* device = renderer ? renderer->device() : nullptr;
  if (!device) return;

  setDeviceMaterial(*device);

  if (ambientPass) {
    // Only the ambient term lights this pass.
    renderer->setSelector(Renderer::kShade, 0);
    renderer->setSelector(Renderer::kBlend, 0);
    renderer->setAmbient(Color(0.2f, 0.2f, 0.2f, 1.0f));
    renderer->setLightsEnabled(false);
  }
  if (litPass) {
    // Added over the ambient pass, only where no shadow volume left a count.
    renderer->setLightsEnabled(true);
    renderer->setAmbient(Color(0.0f, 0.0f, 0.0f, 1.0f));
    renderer->setSelector(Renderer::kBlend, 2);
    renderer->setSelector(Renderer::kStencil, 0);
    renderer->setSelector(Renderer::kDepth, 2);
    renderer->setSelector(Renderer::kDepthCompare, 0);
    device->setRenderState(D3DRS_STENCILREF, 0);
    device->setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->setRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    device->setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->setRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  }

  for (std::uint32_t stage = 1; stage < 4; ++stage) {
    device->setTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  const Texture* base = textures[0].get();
  if (!base) {
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
  } else {
    device->setTexture(0, base->deviceTexture());
    device->setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->setTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->setTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    const std::uint32_t filter = base->filterMode() == Texture::kFilterPoint ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    device->setTextureStageState(0, D3DTSS_MINFILTER, filter);
    device->setTextureStageState(0, D3DTSS_MAGFILTER, filter);
  }

  const Mesh* mesh = currentInstance ? currentInstance->mesh() : nullptr;
  // Stages whose coordinates the mesh does not choose read their own coordinate set untransformed,
  // as a plain textured draw expects: otherwise a reflective draw before this one would leave its
  // generated coordinates on the stage (particles, drawn without a mesh, came out as flat blocks).
  for (int k = 0; k < Mesh::kTexChannels; ++k) {
    const std::uint32_t mode = mesh ? mesh->texCoordMode(k) : Mesh::TexUnused;
    if (mode == Mesh::TexExplicit || mode == Mesh::TexReflection) continue;
    const std::uint32_t stage = static_cast<std::uint32_t>(k);
    device->setTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->setTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
  }
  if (!mesh) return;
  if (mesh->current().normals.size() != mesh->vertexCount() || mesh->vertexCount() == 0) {
    renderer->setSelector(Renderer::kLighting, 1);
  }
  for (int k = 0; k < Mesh::kTexChannels; ++k) {
    const std::uint32_t stage = static_cast<std::uint32_t>(k);
    const std::uint32_t mode = mesh->texCoordMode(k);
    if (mode == Mesh::TexExplicit) {
      device->setTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
      device->setTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    } else if (mode == Mesh::TexReflection) {
      // Camera-space reflection directions back into object space, then u = 0.5·x + 0.5 and
      // v = 0.5·y + 0.5; sent transposed like every engine matrix.
      const SceneNode* node = currentInstance->node();
      const Matrix34 toCamera = viewMatrix * (node ? node->world() : Matrix34::identity());
      float transform[16] = {};
      for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) transform[col * 4 + row] = 0.5f * toCamera.at(col, row);
        transform[3 * 4 + row] = 0.5f;
      }
      transform[15] = 1.0f;
      device->setTransform(D3DTS_TEXTURE0 + stage, transform);
      device->setTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
      device->setTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    }
  }
}

void Material::setDeviceMaterial(GraphicsDevice& device) const {
  float rgba[4];
  materialColor.toFloats(rgba);
  const D3DCOLORVALUE value{rgba[0], rgba[1], rgba[2], rgba[3]};
  D3DMATERIAL8 record;
  record.Diffuse = value;
  record.Ambient = value;
  record.Specular = value;
  record.Emissive = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
  record.Power = 0.0f;
  device.setMaterial(record);
}

RefPtr<Material> Material::clone() const {
  RefPtr<Material> copy(new Material(materialType));
  copy->assign(*this);
  return copy;
}

void Material::assign(const Material& other) {
  materialColor = other.materialColor;
  for (int stage = 0; stage < kTextureStages; ++stage) textures[stage] = other.textures[stage];
  materialType = other.materialType;
}

Texture* Material::texture(int stage) const {
  return stage >= 0 && stage < kTextureStages ? textures[stage].get() : nullptr;
}

void Material::setTexture(int stage, RefPtr<Texture> texture) {
  if (stage >= 0 && stage < kTextureStages) textures[stage] = std::move(texture);
}
