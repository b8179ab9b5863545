#pragma once
#include <memory>

#include "engine/BoundingSphere.h"
#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/RenderFlags.h"
#include "engine/SceneNode.h"
#include "engine/ShadowVolume.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

// One drawable thing: a mesh placed by a node, drawn with a material under a block of render
// settings, optionally casting a stencil shadow.
class MeshInstance : public RefCounted {
 public:
  explicit MeshInstance(RefPtr<SceneNode> node = nullptr, RefPtr<Mesh> mesh = nullptr);
  ~MeshInstance() override;

  SceneNode* node() const { return instanceNode.get(); }
  void setNode(RefPtr<SceneNode> node) { instanceNode = std::move(node); }
  Mesh* mesh() const { return instanceMesh.get(); }
  // A shadow caster stays one, with its volume remade (and the new mesh prepared) for the new mesh.
  void setMesh(RefPtr<Mesh> mesh);
  Material* material() const { return instanceMaterial.get(); }
  void setMaterial(RefPtr<Material> material) { instanceMaterial = std::move(material); }

  RenderFlags& renderFlags() { return flags; }
  const RenderFlags& renderFlags() const { return flags; }
  void copyRenderFlags(const MeshInstance& other) { flags = other.flags; }

  bool castsShadow() const { return shadowVolume != nullptr; }
  // Switching on prepares the mesh: face planes (selecting frames 0, 0, 0) and adjacency when
  // missing, then a new volume. Switching off drops the volume.
  void setCastShadow(bool on);
  ShadowVolume* shadow() const { return shadowVolume.get(); }

  // The one light (x, y, z, w) in world space used by the shadow and the bump material; the index
  // is accepted for callers that name a slot, but there is only one.
  void setLight(int index, float x, float y, float z, float w);
  const float* light(int index = 0) const;

  // World bounds from the current frame's bounds and the node's world transform (uniform scale
  // assumed: the radius scales by the length of the first column).
  void updateBounds();
  const BoundingSphere& worldBounds() const { return bounds; }

  // Rebuilds the shadow volume for the light brought into the mesh's object space.
  void updateShadow();

  // No node, the same mesh, a clone of the material, the same flags and shadow setting.
  RefPtr<MeshInstance> clone() const;

 private:
  RefPtr<SceneNode> instanceNode;
  RefPtr<Mesh> instanceMesh;
  RefPtr<Material> instanceMaterial;
  RenderFlags flags;
  std::unique_ptr<ShadowVolume> shadowVolume;
  BoundingSphere bounds;
  float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
