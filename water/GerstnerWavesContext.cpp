#include "water/GerstnerWavesContext.h"

#include <vector>

#include "foundation/Timer.h"

namespace {

constexpr std::uint32_t kGridPoints = 60;
constexpr float kGridSize = 60.0f;

struct WaveSetting {
  float directionX, directionZ, wavelength, amplitude, phase;
};
constexpr WaveSetting kWaves[] = {
    {1, 1, 5, 0.1f, 1},
    {2, 1, 20, 0.8f, 3},
    {3, 2, 10, 0.3f, 2},
    {2, 1, 40, 1.4f, 9},
};

double timerSeconds() { return Timer::instance().time() * 0.001; }

}  // namespace

GerstnerWavesContext::GerstnerWavesContext()
    : WaterContext("GerstnerWavesContext", 0.0f, 0.0f),
      field(kGridPoints, kGridPoints, kGridSize, kGridSize) {}

void GerstnerWavesContext::init() {
  WaterContext::init();
  for (const WaveSetting& wave : kWaves)
    field.addWave(wave.directionX, wave.directionZ, wave.wavelength, wave.amplitude, wave.phase);
  field.evaluate(timerSeconds());

  const auto* first = reinterpret_cast<const Vector3*>(field.positions());
  std::vector<Vector3> positions(first, first + field.vertexCount());
  waveMesh = new Mesh(1, field.vertexCount(), std::move(positions), {}, {}, {}, field.indices());
  waveMesh->setDynamic(true);
  waveMesh->setTexCoords(0, Mesh::TexReflection);
  addWaterInstance(waveMesh, "/Textures/ReflectOcean.tga");
}

void GerstnerWavesContext::update() {
  WaterContext::update();
  if (!waveMesh) return;
  VertexFrame* frame = waveMesh->frame(0);
  if (!frame || frame->positions.size() != field.vertexCount()) return;
  // The mesh's own frame is the field's output: no copy per frame.
  field.evaluate(timerSeconds(), reinterpret_cast<float*>(frame->positions.data()));
  waveMesh->computeNormals(false, false);
}
