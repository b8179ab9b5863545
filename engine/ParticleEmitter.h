#pragma once
#include <cstdint>
#include <vector>

#include "engine/Color.h"
#include "engine/Quaternion.h"
#include "engine/Vector3.h"
#include "foundation/RefPtr.h"

class Material;
class ParticleEmitter;

// One pool slot. A particle is alive exactly while age ≥ 0; −1 marks a free slot.
struct Particle {
  const ParticleEmitter* emitter = nullptr;  // back link; null until the slot is first used
  Vector3 position;
  Vector3 velocity;  // units per second
  float age = -1.0f;  // seconds since birth
  float size = 0.0f;
  float rotation = 0.0f;        // radians
  float rotationOffset = 0.0f;  // random phase added to the interpolated rotation
  Color color;

  bool alive() const { return age >= 0.0f; }
};

// Spawns billboard particles from a point into a cone about a direction, ages them over a fixed
// lifetime while interpolating size, rotation and colour, and recycles dead slots. The pool is
// sized from rate and lifetime once per configure; nothing is allocated per particle.
class ParticleEmitter {
 public:
  ParticleEmitter(float rate, float lifetime);
  ~ParticleEmitter();
  ParticleEmitter(const ParticleEmitter&) = delete;
  ParticleEmitter& operator=(const ParticleEmitter&) = delete;

  // Non-positive values become 1; the pool of truncate(rate · lifetime · 1.1) free slots replaces
  // the old one.
  void configure(float rate, float lifetime);

  void setPosition(const Vector3& p) { emitPosition = p; }
  // Its length is the speed. A zero vector emits upwards at speed 0.
  void setDirection(const Vector3& v);
  // Half-angle of the cone, clamped to [0, π].
  void setSpread(float angleRad);
  void setMaterial(RefPtr<Material> material);
  void setColors(const Color& start, const Color& end) { colorStart = start, colorEnd = end; }
  void setSizes(float start, float end) { sizeStart = start, sizeEnd = end; }
  void setRotations(float start, float end) { rotationStart = start, rotationEnd = end; }

  float rate() const { return emitRate; }
  float lifetime() const { return lifeSeconds; }
  const Vector3& position() const { return emitPosition; }
  const Vector3& direction() const { return emitDirection; }
  const Vector3& unitDirection() const { return emitUnitDirection; }
  float speed() const { return emitSpeed; }
  const Quaternion& orientation() const { return emitOrientation; }
  float spread() const { return spreadAngle; }
  Material* material() const { return particleMaterial.get(); }
  // {start, end} pairs.
  std::pair<float, float> sizes() const { return {sizeStart, sizeEnd}; }
  std::pair<float, float> rotations() const { return {rotationStart, rotationEnd}; }
  std::pair<Color, Color> colors() const { return {colorStart, colorEnd}; }
  std::uint32_t capacity() const { return static_cast<std::uint32_t>(pool.size()); }
  float emitCarry() const { return carry; }

  // Once per frame with the application timer's frame time.
  void update();
  void update(double dtMs);

  // Living particles: for (int i = begin(); i != -1; i = next(i)) particle(i)...
  int begin() const { return find(0, true); }
  int next(int i) const { return find(i + 1, true); }
  const Particle& particle(int i) const { return pool[static_cast<std::size_t>(i)]; }
  // First index ≥ from whose alive state is `alive`; −1 when there is none.
  int find(int from, bool alive) const;
  int liveCount() const;

 private:
  void spawn(Particle& p);

  float emitRate = 1.0f;
  Vector3 emitPosition;
  Vector3 emitDirection{0.0f, 1.0f, 0.0f};
  Vector3 emitUnitDirection{0.0f, 1.0f, 0.0f};
  float emitSpeed = 1.0f;
  Quaternion emitOrientation;
  float spreadAngle = 0.0f;
  float lifeSeconds = 1.0f;
  RefPtr<Material> particleMaterial;
  float sizeStart = 1.0f;
  float sizeEnd = 1.0f;
  float rotationStart = 0.0f;
  float rotationEnd = 0.0f;
  Color colorStart;
  Color colorEnd;
  std::vector<Particle> pool;
  float carry = 0.0f;
};
