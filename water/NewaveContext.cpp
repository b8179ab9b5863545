#include "water/NewaveContext.h"

#include "foundation/Timer.h"
#include "water/SimulationSteps.h"

namespace {

constexpr std::uint32_t kGridSize = 60;
constexpr float kSpringConstant = 0.01f;
constexpr int kStartPattern = 7;
constexpr float kVerticalScale = 8.0f;
constexpr float kVerticalScaleStep = 2.0f;

}  // namespace

NewaveContext::NewaveContext()
    : WaterContext("NewaveContext", kVerticalScale, kVerticalScaleStep),
      grid(kGridSize, kSpringConstant),
      source(new FloatHeightSource(grid.heights(), kGridSize, kGridSize, -static_cast<float>(kGridSize),
                                   static_cast<float>(kGridSize))),
      builder(source) {}

void NewaveContext::init() {
  WaterContext::init();
  grid.reset(kStartPattern);
  grid.step();
  builder.setVerticalRange(0.0f, 10.0f);
  gridMesh = createGridMesh(builder);
  addWaterInstance(gridMesh, "/Textures/Reflect.tga");
}

void NewaveContext::update() {
  WaterContext::update();
  std::uint32_t x = 0, y = 0;
  if (pointedCell(grid.size(), grid.size(), x, y)) grid.raise(x, y);
  const int steps = simulationStepsForFrame(Timer::instance().delta());
  for (int i = 0; i < steps; ++i) grid.step();
  const float d = verticalScale();
  builder.setVerticalRange(-d, d);
  if (gridMesh) refreshGridMesh(builder, *gridMesh);
}

std::vector<KeyHelp> NewaveContext::keyHelp() const {
  std::vector<KeyHelp> help = WaterContext::keyHelp();
  help.push_back({"Space + mouse", "raise the water where the cursor points"});
  return help;
}
