#include <gtest/gtest.h>


#include "foundation/Timer.h"
#include "water/ChoppyFftOcean.h"
#include "water/ChoppyWavesContext.h"
#include "water/GerstnerWavesContext.h"
#include "water/NewaveContext.h"
#include "water/Water2DContext.h"
#include "water/ComplexHeightSource.h"
#include "water/FloatHeightSource.h"
#include "water/GerstnerWaveField.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/SpringWaterGrid.h"
#include "water/WaterHeightField2D.h"

#include "tests/support/AllocationCounter.h"

using testsupport::allocationCount;

namespace {

TEST(PerFrameWork, OceanEvaluationAndMeshRefreshDoNotAllocate) {
  ChoppyFftOcean ocean(-0.15f, 6, 6, 0.0008f, 30.0f, 10.0f, 100.0f, 100.0f);
  RefPtr<ComplexHeightSource> source = new ComplexHeightSource(ocean.heights(), 64, 64, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source, 64, 64, ocean.displacementX(), ocean.displacementZ());
  std::uint32_t vertexCount = 0;
  float* positions = nullptr;
  float* normals = nullptr;
  ocean.evaluate(0.0);
  ASSERT_TRUE(builder.build(true, vertexCount, &positions, &normals, nullptr, nullptr, nullptr));

  const long before = allocationCount();
  for (int frame = 1; frame <= 3; ++frame) {
    ocean.evaluate(frame * 0.016);
    builder.setVerticalRange(-8.0f, 8.0f);
    ASSERT_TRUE(builder.build(false, vertexCount, &positions, &normals, nullptr, nullptr, nullptr));
  }
  EXPECT_EQ(allocationCount() - before, 0);
  delete[] positions;
  delete[] normals;
}

TEST(PerFrameWork, GridSimulationsAndTheirRefreshDoNotAllocate) {
  SpringWaterGrid grid(60, 0.01f);
  grid.reset(7);
  WaterHeightField2D field(60, 60, 1.0f);
  field.disturb(30, 30);
  GerstnerWaveField waves(60, 60, 60.0f, 60.0f);
  waves.addWave(2, 1, 20, 0.8f, 3);
  RefPtr<FloatHeightSource> source = new FloatHeightSource(field.current(), 60, 60, -60.0f, 60.0f);
  HeightFieldMeshBuilder builder(source);
  std::uint32_t vertexCount = 0;
  float* positions = nullptr;
  float* normals = nullptr;
  ASSERT_TRUE(builder.build(true, vertexCount, &positions, &normals, nullptr, nullptr, nullptr));

  const long before = allocationCount();
  grid.step();
  field.step();
  source->setData(field.current());
  ASSERT_TRUE(builder.build(false, vertexCount, &positions, &normals, nullptr, nullptr, nullptr));
  waves.evaluate(1.0);
  EXPECT_EQ(allocationCount() - before, 0);
  delete[] positions;
  delete[] normals;
}

TEST(PerFrameWork, WaterScenesUpdateWithoutAllocating) {
  Timer::instance().reset();
  Timer::instance().setFixedStep(16.0);
  ChoppyWavesContext choppy;
  NewaveContext newave;
  Water2DContext water2D;
  GerstnerWavesContext gerstner;
  Context* scenes[] = {&choppy, &newave, &water2D, &gerstner};
  for (Context* scene : scenes) scene->init();
  Timer::instance().tick();
  for (Context* scene : scenes) scene->update();

  for (Context* scene : scenes) {
    const long before = allocationCount();
    Timer::instance().tick();
    scene->update();
    EXPECT_EQ(allocationCount() - before, 0) << scene->name();
  }
  Timer::instance().reset();
}

TEST(PerFrameWork, TheCounterSeesAllocations) {
  const float heights[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  const long before = allocationCount();
  RefPtr<FloatHeightSource> source = new FloatHeightSource(heights, 2, 2, -1.0f, 1.0f);
  EXPECT_EQ(allocationCount() - before, 1);
}

}  // namespace
