#include "engine/ParticleEmitter.h"

#include <algorithm>
#include <cmath>

#include "engine/MathConstants.h"
#include "engine/Material.h"
#include "foundation/Random.h"
#include "foundation/Timer.h"

namespace {

float lerp(float a, float b, float f) { return a == b ? a : (1.0f - f) * a + f * b; }

// A random unit vector perpendicular to u (zero for a zero u).
Vector3 randomPerpendicular(const Vector3& u) {
  const float comp[3] = {u.x, u.y, u.z};
  int k = 0;
  while (k < 3 && comp[k] == 0.0f) ++k;
  if (k == 3) return Vector3();
  float c[3];
  for (float& v : c) {
    const int r = randomNext() % 100 - 50;
    v = static_cast<float>(r == 0 ? 1 : r);
  }
  float sum = 0.0f;
  for (int i = 0; i < 3; ++i)
    if (i != k) sum += comp[i] * c[i];
  c[k] = -sum / comp[k];
  return Vector3(c[0], c[1], c[2]).normalized();
}

}  // namespace

ParticleEmitter::ParticleEmitter(float rate, float lifetime) { configure(rate, lifetime); }

ParticleEmitter::~ParticleEmitter() = default;

void ParticleEmitter::configure(float rate, float lifetime) {
  lifeSeconds = lifetime <= 0.0f ? 1.0f : lifetime;
  emitRate = rate <= 0.0f ? 1.0f : rate;
  const auto slots = static_cast<std::size_t>(emitRate * lifeSeconds * 1.1f);
  pool.assign(slots, Particle{});
}

void ParticleEmitter::setDirection(const Vector3& v) {
  emitDirection = v;
  emitSpeed = v.length();
  if (!(emitSpeed > 0.0f)) {
    // No direction to normalise: emit upwards, standing still.
    emitUnitDirection = Vector3(0.0f, 1.0f, 0.0f);
    emitOrientation = Quaternion();
    return;
  }
  emitUnitDirection = v * (1.0f / emitSpeed);
  const Vector3 up(0.0f, 1.0f, 0.0f);
  if (emitUnitDirection.equals(up, 0.001f)) {
    emitOrientation = Quaternion();
  } else if ((-emitUnitDirection).equals(up, 0.001f)) {
    emitOrientation = Quaternion::fromAxisAngle(randomPerpendicular(up), kPi);
  } else {
    const float angle = std::acos(std::clamp(up.dot(emitUnitDirection), -1.0f, 1.0f));
    emitOrientation = Quaternion::fromAxisAngle(up.cross(emitUnitDirection).normalized(), angle);
  }
}

void ParticleEmitter::setSpread(float angleRad) { spreadAngle = std::min(std::max(angleRad, 0.0f), kPi); }

void ParticleEmitter::setMaterial(RefPtr<Material> material) { particleMaterial = std::move(material); }

void ParticleEmitter::update() { update(Timer::instance().delta()); }

void ParticleEmitter::update(double dtMs) {
  const auto seconds = static_cast<float>(dtMs * 0.001);
  for (Particle& p : pool) {
    if (!p.alive() || !p.emitter) continue;
    p.position += p.velocity * seconds;
    p.age += seconds;
    if (p.age > lifeSeconds) {
      p.age = -1.0f;
      continue;
    }
    const float f = p.age / lifeSeconds;
    p.size = lerp(sizeStart, sizeEnd, f);
    p.rotation = lerp(rotationStart, rotationEnd, f) + p.rotationOffset;
    p.color = colorStart == colorEnd ? colorStart : Color::lerp(colorStart, colorEnd, f);
  }

  const float wanted = static_cast<float>(dtMs * emitRate * 0.001) + carry;
  const auto count = static_cast<int>(wanted);
  carry = wanted - static_cast<float>(count);
  int slot = 0;
  for (int n = 0; n < count; ++n) {
    slot = find(slot, false);
    if (slot < 0) break;  // pool full: the rest of this frame's emissions are dropped
    spawn(pool[static_cast<std::size_t>(slot)]);
    ++slot;
  }
}

void ParticleEmitter::spawn(Particle& p) {
  const float theta = randomRange(0.0f, spreadAngle);
  const float phi = randomRange(0.0f, kTwoPi);
  const Vector3 local(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
  p.position = emitPosition;
  p.velocity = emitOrientation.rotate(local) * emitSpeed;
  p.age = 0.0f;
  p.emitter = this;
  if (rotationStart == rotationEnd) {
    p.rotation = p.rotationOffset = 0.0f;
  } else {
    p.rotation = p.rotationOffset = randomRange(0.0f, kTwoPi);
  }
  p.size = sizeStart;
  p.color = colorStart;
}

int ParticleEmitter::find(int from, bool alive) const {
  if (from < 0) return -1;
  for (std::size_t i = static_cast<std::size_t>(from); i < pool.size(); ++i)
    if (pool[i].alive() == alive) return static_cast<int>(i);
  return -1;
}

int ParticleEmitter::liveCount() const {
  return static_cast<int>(std::count_if(pool.begin(), pool.end(), [](const Particle& p) { return p.alive(); }));
}
