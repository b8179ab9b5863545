#pragma once
#include "engine/Material.h"
#include "engine/Vector3.h"

// Dot3 bump mapping on the fixed-function stages: texture slot 0 holds a tangent-space normal
// map, slot 1 the base (colour) texture. Pass 0 lights the normal map with the per-vertex light
// vector (the diffuse colour) and modulates the base texture with the result; pass 1, drawn
// while the type is kBump, adds the squared dot product of the normal map with the half vector
// (the specular colour). Type kPlain leaves the specular pass out.
//
// The instance's mesh needs tangent frames (buildTangentFrames); its two colour streams hold the
// packed vectors, rewritten in place at every pass 0 for the instance's light and the eye.
class BumpMaterial : public Material {
 public:
  BumpMaterial();
  ~BumpMaterial() override;

  void apply(int pass, const Matrix34& viewMatrix) override;
  RefPtr<Material> clone() const override;

  // Rewrites the light vectors (and with the specular pass the half vectors) of the instance's
  // mesh for its current frame, the instance's light and the eye (world space), then tells the
  // mesh's listener. False when there is no instance, mesh, tangent frames or colour stream.
  bool updateVectors(const Vector3& eyeWorld);
};
