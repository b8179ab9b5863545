#include "loaders/Envelope.h"

#include <algorithm>

#include "engine/Matrix33.h"

HermiteTable::HermiteTable() {
  for (int i = 0; i < kRows; ++i) {
    const float u = static_cast<float>(i) * 0.001f;
    const float u2 = u * u, u3 = u2 * u;
    rows[i][0] = 2.0f * u3 - 3.0f * u2 + 1.0f;
    rows[i][1] = 3.0f * u2 - 2.0f * u3;
    rows[i][2] = u3 - 2.0f * u2 + u;
    rows[i][3] = u3 - u2;
  }
}

const HermiteTable& HermiteTable::instance() {
  static const HermiteTable table;
  return table;
}

int HermiteTable::rowFor(float u) {
  const float scaled = u * 1000.0f;
  // Compared before converting: a float beyond int's range (or NaN) must not reach the cast.
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= static_cast<float>(kRows - 1)) return kRows - 1;
  return static_cast<int>(scaled);
}

bool Envelope::addKey(const EnvelopeKey& key) {
  if (!acceptKey(key)) return false;
  if (keyList.empty() && key.timeMs > 0.0) {
    EnvelopeKey atStart;
    atStart.value = key.value;
    keyList.push_back(atStart);
  }
  const auto after = std::upper_bound(keyList.begin(), keyList.end(), key.timeMs,
                                      [](double t, const EnvelopeKey& k) { return t < k.timeMs; });
  keyList.insert(after, key);
  span = 0;
  return true;
}

Vector3 Envelope::evaluate(double nowMs, bool* running) {
  if (running) *running = true;
  if (keyList.empty()) return Vector3();
  if (keyList.size() == 1) return keyList.front().value;

  const double local = nowMs - startMs;
  const double last = lastTime();
  double t = local;
  if (reversed) {
    t = last - local;
    if (!(t >= 0.0)) {
      startMs = nowMs;
      reversed = false;
      t = 0.0;
    }
  } else if (local > last) {
    switch (post) {
      case kStop:
        if (running) *running = false;
        return keyList.back().value;
      case kOscillate:
        startMs = nowMs;
        reversed = true;
        t = last;
        break;
      default:  // kRepeat, and values no scene file gives
        startMs = nowMs;
        t = 0.0;
        break;
    }
  }
  return valueAt(t);
}

Vector3 Envelope::valueAt(double t) {
  const std::size_t count = keyList.size();
  // Clamped (NaN included) so that some span always holds t.
  if (!(t >= keyList.front().timeMs)) t = keyList.front().timeMs;
  if (!(t <= keyList.back().timeMs)) t = keyList.back().timeMs;

  if (!(span + 1 < count && keyList[span].timeMs <= t && t <= keyList[span + 1].timeMs)) {
    std::size_t i = 0;
    while (i + 2 < count && t > keyList[i + 1].timeMs) ++i;
    span = i;
  }
  const EnvelopeKey& k0 = keyList[span];
  const EnvelopeKey& k1 = keyList[span + 1];
  const double length = k1.timeMs - k0.timeMs;
  if (!(length > 0.0)) return k0.value;

  const float u = static_cast<float>(t - k0.timeMs) / static_cast<float>(length);
  const float* h = HermiteTable::instance().row(HermiteTable::rowFor(u));
  return k0.value * h[0] + k1.value * h[1] + k0.outTangent * h[2] + k1.inTangent * h[3];
}

bool EnvelopeController::update(double nowMs) {
  bool running = true;
  const Vector3 value = evaluate(nowMs, &running);
  if (target && !keys().empty()) apply(*target, value);
  return running;
}

void PositionController::apply(SceneNode& node, const Vector3& value) { node.local().setTranslation(value); }

void RotationController::apply(SceneNode& node, const Vector3& value) {
  const Matrix33 rotation =
      Matrix33::rotationZ(value.z) * Matrix33::rotationX(value.y) * Matrix33::rotationY(value.x);
  node.local().setLinear(rotation);
}

bool ScaleController::acceptKey(const EnvelopeKey& key) const {
  return key.value.x >= 0.0f && key.value.y >= 0.0f && key.value.z >= 0.0f;
}

void ScaleController::apply(SceneNode& node, const Vector3& value) { node.setScale(value); }
