#pragma once
#include "water/FloatHeightSource.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/WaterContext.h"
#include "water/WaterHeightField2D.h"

// A 60 × 60 wave-equation height field with three drops at start; holding the space bar and
// pointing drops more. W and S change the drawn height range.
class Water2DContext : public WaterContext {
 public:
  Water2DContext();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void release() override {}

  const WaterHeightField2D& heightField() const { return field; }
  Mesh* mesh() const { return fieldMesh.get(); }

 private:
  WaterHeightField2D field;
  RefPtr<FloatHeightSource> source;
  HeightFieldMeshBuilder builder;
  RefPtr<Mesh> fieldMesh;
};
