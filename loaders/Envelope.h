#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/SceneNode.h"
#include "engine/Vector3.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

// One key of a channel group (the three components of a position, rotation or scale together).
// Tangents are in value units per span, as LightWave writes them.
struct EnvelopeKey {
  double timeMs = 0.0;
  Vector3 value;
  Vector3 inTangent;
  Vector3 outTangent;
};

// The cubic Hermite basis h1..h4 tabulated for u = 0, 0.001, ..., 1.000; one table serves every
// envelope.
class HermiteTable {
 public:
  static constexpr int kRows = 1001;
  static const HermiteTable& instance();

  // trunc(u·1000), clamped to 0..1000 for any u (NaN reads row 0).
  static int rowFor(float u);
  // h1 = 2u³ − 3u² + 1, h2 = 3u² − 2u³, h3 = u³ − 2u² + u, h4 = u³ − u².
  const float* row(int index) const { return rows[index]; }

 private:
  HermiteTable();
  float rows[kRows][4];
};

// A keyframed vector played against a clock in milliseconds: cubic Hermite between keys, and after
// the last key it stops, repeats from the start or plays backwards and forwards.
class Envelope : public RefCounted {
 public:
  enum PostBehaviour : std::uint32_t { kStop = 0, kRepeat = 1, kOscillate = 2 };

  // Adds the key in time order (after keys of the same time) when acceptKey agrees. The first key
  // of an empty envelope, when later than 0, brings a key at 0 with its value and flat tangents,
  // so the curve is defined from the start. False when the key was refused.
  bool addKey(const EnvelopeKey& key);
  const std::vector<EnvelopeKey>& keys() const { return keyList; }

  // The value at now. Before its first key time or after the last the curve holds the end value; a
  // span whose two keys share a time gives its first key's value. running turns false once a
  // stopping envelope is past its last key. An empty envelope gives (0, 0, 0).
  Vector3 evaluate(double nowMs, bool* running = nullptr);

  std::uint32_t postBehaviour() const { return post; }
  void setPostBehaviour(std::uint32_t behaviour) { post = behaviour; }
  double startTime() const { return startMs; }
  // Restarts playback forwards from now.
  void start(double nowMs) {
    startMs = nowMs;
    reversed = false;
  }
  bool isReversed() const { return reversed; }
  // The last key's time, 0 with fewer than two keys.
  double lastTime() const { return keyList.size() < 2 ? 0.0 : keyList.back().timeMs; }

 protected:
  virtual bool acceptKey(const EnvelopeKey&) const { return true; }

 private:
  // The curve at a time measured from the start, clamped to the keys' range.
  Vector3 valueAt(double t);

  std::vector<EnvelopeKey> keyList;
  std::uint32_t post = kRepeat;
  double startMs = 0.0;
  bool reversed = false;
  std::size_t span = 0;  // the span found last; the next frame usually falls into it again
};

// An envelope that drives one property of a scene node.
class EnvelopeController : public Envelope {
 public:
  // Evaluates at now and writes the result into the node (when there is one). False once a
  // stopping envelope has run out; its node then keeps the last key's value.
  virtual bool update(double nowMs);
  virtual void setNode(RefPtr<SceneNode> node) { target = std::move(node); }
  SceneNode* node() const { return target.get(); }

 protected:
  virtual void apply(SceneNode& node, const Vector3& value) = 0;

 private:
  RefPtr<SceneNode> target;
};

// The translation column of the node's local transform.
class PositionController : public EnvelopeController {
 protected:
  void apply(SceneNode& node, const Vector3& value) override;
};

// Heading (x, about y), pitch (y, about x) and bank (z, about z) in radians: the node's local 3×3
// block becomes Rz(bank)·Rx(pitch)·Ry(heading); the translation is kept.
class RotationController : public EnvelopeController {
 protected:
  void apply(SceneNode& node, const Vector3& value) override;
};

// The node's per-axis scale. Keys with a negative component are refused.
class ScaleController : public EnvelopeController {
 protected:
  bool acceptKey(const EnvelopeKey& key) const override;
  void apply(SceneNode& node, const Vector3& value) override;
};
