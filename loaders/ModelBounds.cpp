#include "loaders/ModelBounds.h"

#include <algorithm>

#include "engine/Model.h"

void updateModelBounds(Model& model) {
  bool any = false;
  Vector3 low, high;
  for (const RefPtr<MeshInstance>& instance : model.instances()) {
    if (!instance || !instance->mesh()) continue;
    instance->updateBounds();
    const BoundingSphere& s = instance->worldBounds();
    const Vector3 r(s.radius, s.radius, s.radius);
    const Vector3 a = s.center - r, b = s.center + r;
    if (!any) {
      low = a, high = b, any = true;
      continue;
    }
    low.set(std::min(low.x, a.x), std::min(low.y, a.y), std::min(low.z, a.z));
    high.set(std::max(high.x, b.x), std::max(high.y, b.y), std::max(high.z, b.z));
  }
  BoundingSphere bounds;
  if (any) {
    bounds.center = (low + high) * 0.5f;
    for (const RefPtr<MeshInstance>& instance : model.instances()) {
      if (!instance || !instance->mesh()) continue;
      const BoundingSphere& s = instance->worldBounds();
      bounds.radius = std::max(bounds.radius, (s.center - bounds.center).length() + s.radius);
    }
  }
  model.setBounds(bounds);
}
