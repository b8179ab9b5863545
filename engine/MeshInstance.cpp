#include "engine/MeshInstance.h"

#include <cmath>

MeshInstance::MeshInstance(RefPtr<SceneNode> node, RefPtr<Mesh> mesh)
    : instanceNode(std::move(node)), instanceMesh(std::move(mesh)) {}

// The volume borrows the mesh, so it goes first.
MeshInstance::~MeshInstance() { shadowVolume.reset(); }

void MeshInstance::setMesh(RefPtr<Mesh> mesh) {
  const bool caster = castsShadow();
  shadowVolume.reset();
  instanceMesh = std::move(mesh);
  if (caster) setCastShadow(true);
}

void MeshInstance::setCastShadow(bool on) {
  if (on == castsShadow()) return;
  if (!on) {
    shadowVolume.reset();
    return;
  }
  if (Mesh* m = instanceMesh.get()) {
    if (m->current().facePlanes.size() != m->triangleCount()) {
      m->computeFacePlanes();
      m->setFrames(0, 0, 0.0f);
    }
    if (m->adjacency().empty()) m->buildAdjacency();
  }
  shadowVolume = std::make_unique<ShadowVolume>(instanceMesh.get());
}

void MeshInstance::setLight(int /*index*/, float x, float y, float z, float w) {
  lightPosition[0] = x;
  lightPosition[1] = y;
  lightPosition[2] = z;
  lightPosition[3] = w;
}

const float* MeshInstance::light(int /*index*/) const { return lightPosition; }

void MeshInstance::updateBounds() {
  if (!instanceMesh) return;
  const BoundingSphere& s = instanceMesh->current().bounds;
  const Matrix34& w = instanceNode ? instanceNode->world() : Matrix34::identity();
  bounds.center = w.transformPoint(s.center);
  bounds.radius = s.radius * std::sqrt(w[0] * w[0] + w[4] * w[4] + w[8] * w[8]);
}

void MeshInstance::updateShadow() {
  if (!instanceMesh || !instanceNode || !shadowVolume) return;
  const Matrix34 inverse = instanceNode->world().rigidInverse();
  const float* l = lightPosition;
  // w multiplies the translation, so a directional light is only rotated.
  const Vector3 objectLight = inverse.transformDirection(Vector3(l[0], l[1], l[2])) + inverse.translation() * l[3];
  shadowVolume->build(objectLight.x, objectLight.y, objectLight.z, l[3]);
}

RefPtr<MeshInstance> MeshInstance::clone() const {
  RefPtr<MeshInstance> copy(new MeshInstance(nullptr, instanceMesh));
  if (instanceMaterial) copy->instanceMaterial = instanceMaterial->clone();
  copy->flags = flags;
  copy->setCastShadow(castsShadow());
  return copy;
}
