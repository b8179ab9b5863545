#include "effects/BumpSurfaces.h"

#include "effects/BumpMaterial.h"
#include "effects/TangentFrames.h"
#include "engine/Mesh.h"
#include "image/Image.h"
#include "image/Texture.h"
#include "image/TextureManager.h"

std::string bumpTextureName(const Texture& colour) { return colour.name() + "Bump"; }

Texture* normalTextureFor(Texture& colour, TextureManager& textures) {
  const std::string name = bumpTextureName(colour);
  // A cached map is reused as it is; reading the colour texture back would be wasted.
  if (Texture* cached = textures.find(name)) return cached;
  const RefPtr<Image> heights = colour.toImage();
  if (!heights || heights->isEmpty()) return nullptr;
  heights->convert(ImageFormat::kLuminance);
  const RefPtr<Image> normals = heights->makeNormalMap(kBumpNormalMapScale, ImageFormat::kRgb);
  return textures.createFromImage(normals.get(), name);
}

int applyBumpMaterials(const std::vector<RefPtr<MeshInstance>>& instances, TextureManager* textures) {
  int bumped = 0;
  for (const RefPtr<MeshInstance>& instance : instances) {
    if (!instance) continue;
    Material* current = instance->material();
    Texture* colour = current ? current->texture(0) : nullptr;
    Texture* normals = colour && textures ? normalTextureFor(*colour, *textures) : nullptr;
    if (normals) {
      RefPtr<Material> material(new BumpMaterial());
      material->setTexture(0, normals);
      material->setTexture(1, colour);
      instance->setMaterial(material);
      ++bumped;
    }
    if (Mesh* mesh = instance->mesh(); mesh && mesh->texCoordMode(0) == Mesh::TexExplicit) {
      mesh->setTexCoords(1, Mesh::TexExplicit, mesh->texCoords(0));
      buildTangentFrames(*mesh, true, 0);
    }
  }
  return bumped;
}

void setSpecularPass(const std::vector<RefPtr<MeshInstance>>& instances, bool on) {
  for (const RefPtr<MeshInstance>& instance : instances) {
    if (auto* bump = instance ? dynamic_cast<BumpMaterial*>(instance->material()) : nullptr) {
      bump->setType(on ? Material::kBump : Material::kPlain);
    }
  }
}

void setInstanceLights(const std::vector<RefPtr<MeshInstance>>& instances, const float light[4]) {
  for (const RefPtr<MeshInstance>& instance : instances) {
    if (instance) instance->setLight(0, light[0], light[1], light[2], light[3]);
  }
}
