#pragma once
#include "water/GerstnerWaveField.h"
#include "water/WaterContext.h"

// Four Gerstner waves summed analytically at every point of a 60 × 60 grid each frame, written
// straight into the mesh's positions; normals are recomputed from the triangles.
class GerstnerWavesContext : public WaterContext {
 public:
  GerstnerWavesContext();

  void init() override;
  void update() override;
  void release() override {}

  const GerstnerWaveField& waveField() const { return field; }
  Mesh* mesh() const { return waveMesh.get(); }

 private:
  GerstnerWaveField field;
  RefPtr<Mesh> waveMesh;
};
