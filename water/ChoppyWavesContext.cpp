#include "water/ChoppyWavesContext.h"

#include "foundation/KeyCodes.h"
#include "foundation/Timer.h"

namespace {

constexpr float kVerticalScale = 8.0f;
constexpr float kVerticalScaleStep = 0.3f;
constexpr float kChoppiness = -0.15f;
constexpr float kChoppinessStep = 0.01f;
constexpr int kLog2Size = 6;
constexpr float kAmplitude = 0.0008f;
constexpr float kWindX = 30.0f;
constexpr float kWindZ = 10.0f;
constexpr float kPatchSize = 100.0f;
constexpr float kHeightMin = -60.0f;
constexpr float kHeightMax = 60.0f;

double timerSeconds() { return Timer::instance().time() * 0.001; }

}  // namespace

ChoppyWavesContext::ChoppyWavesContext()
    : WaterContext("ChoppyWavesContext", kVerticalScale, kVerticalScaleStep),
      ocean(kChoppiness, kLog2Size, kLog2Size, kAmplitude, kWindX, kWindZ, kPatchSize, kPatchSize),
      source(new ComplexHeightSource(ocean.heights(), ocean.width(), ocean.height(), kHeightMin, kHeightMax)),
      builder(source, ocean.width(), ocean.height(), ocean.displacementX(), ocean.displacementZ()),
      fftFloor(kLog2Size, kLog2Size, 3, ocean.initialAmplitudes()),
      keyD(kKeyD),
      keyA(kKeyA),
      repeatD(&keyD),
      repeatA(&keyA) {}

void ChoppyWavesContext::init() {
  WaterContext::init();
  ocean.evaluate(timerSeconds());
  builder.setVerticalRange(0.0f, 10.0f);
  oceanMesh = createGridMesh(builder);
  addWaterInstance(oceanMesh, "/Textures/ReflectOcean.tga");
}

void ChoppyWavesContext::update() {
  WaterContext::update();
  repeatD.update();
  repeatA.update();
  float lambda = ocean.getChoppiness();
  if (repeatA.pressed()) {
    lambda += kChoppinessStep;
    if (!(lambda < 0.0f)) lambda = 0.0f;
  } else if (repeatD.pressed()) {
    lambda -= kChoppinessStep;
  }
  ocean.setChoppiness(lambda);

  ocean.evaluate(timerSeconds());
  const float d = verticalScale();
  builder.setVerticalRange(-d, d);
  if (oceanMesh) refreshGridMesh(builder, *oceanMesh);
}

std::vector<KeyHelp> ChoppyWavesContext::keyHelp() const {
  std::vector<KeyHelp> help = WaterContext::keyHelp();
  help.push_back({"A / D", "smoother / choppier crests (held: repeats)"});
  return help;
}
