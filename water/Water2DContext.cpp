#include "water/Water2DContext.h"

#include "foundation/Timer.h"
#include "water/SimulationSteps.h"

namespace {

constexpr std::uint32_t kGridSize = 60;
constexpr float kWaveSpeed = 1.0f;
constexpr float kVerticalScale = 15.0f;
constexpr float kVerticalScaleStep = 2.0f;
constexpr std::uint32_t kDrops[][2] = {{30, 30}, {10, 20}, {40, 50}};

}  // namespace

Water2DContext::Water2DContext()
    : WaterContext("Water2DContext", kVerticalScale, kVerticalScaleStep),
      field(kGridSize, kGridSize, kWaveSpeed),
      source(new FloatHeightSource(field.current(), kGridSize, kGridSize, -static_cast<float>(kGridSize),
                                   static_cast<float>(kGridSize))),
      builder(source) {}

void Water2DContext::init() {
  WaterContext::init();
  for (const auto& drop : kDrops) field.disturb(drop[0], drop[1]);
  field.step();
  source->setData(field.current());
  builder.setVerticalRange(0.0f, 10.0f);
  fieldMesh = createGridMesh(builder);
  addWaterInstance(fieldMesh, "/Textures/Reflect.tga");
}

void Water2DContext::update() {
  WaterContext::update();
  std::uint32_t x = 0, y = 0;
  if (pointedCell(field.width(), field.height(), x, y)) field.disturb(x, y);
  const int steps = simulationStepsForFrame(Timer::instance().delta());
  for (int i = 0; i < steps; ++i) field.step();
  // Each step swaps the buffers: read the one that became current.
  source->setData(field.current());
  const float d = verticalScale();
  builder.setVerticalRange(-d, d);
  if (fieldMesh) refreshGridMesh(builder, *fieldMesh);
}

std::vector<KeyHelp> Water2DContext::keyHelp() const {
  std::vector<KeyHelp> help = WaterContext::keyHelp();
  help.push_back({"Space + mouse", "drop a disturbance where the cursor points"});
  return help;
}
