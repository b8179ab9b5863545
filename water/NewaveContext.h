#pragma once
#include "water/FloatHeightSource.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/SpringWaterGrid.h"
#include "water/WaterContext.h"

// A 60 × 60 mass-spring height grid; holding the space bar and pointing raises the cell under
// the cursor. W and S change the drawn height range.
class NewaveContext : public WaterContext {
 public:
  NewaveContext();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void release() override {}

  const SpringWaterGrid& springGrid() const { return grid; }
  Mesh* mesh() const { return gridMesh.get(); }

 private:
  SpringWaterGrid grid;
  RefPtr<FloatHeightSource> source;
  HeightFieldMeshBuilder builder;
  RefPtr<Mesh> gridMesh;
};
