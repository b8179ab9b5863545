#include "foundation/Random.h"

#include <cmath>
#include <cstdint>

namespace {

struct RandomState {
  std::uint32_t state = 1;
  bool needPair = true;
  float cachedGaussian = 0.0f;
};

RandomState& randomState() {
  static RandomState state;
  return state;
}

}  // namespace

int randomNext() {
  std::uint32_t& state = randomState().state;
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

float randomRange(float lo, float hi) {
  return static_cast<float>(randomNext()) * 3.051851e-5f * (hi - lo) + lo;
}

int randomInt(int lo, int hi) {
  const int next = randomNext();
  const long long span = static_cast<long long>(hi) - lo + 1;
  // A reversed range (hi < lo) would divide by zero or by a negative number; it is refused with lo,
  // and still uses up one value so the sequence that follows does not depend on it.
  if (span <= 0) return lo;
  return static_cast<int>(next % span + lo);
}

float randomGaussian() {
  RandomState& s = randomState();
  if (!s.needPair) {
    s.needPair = true;
    return s.cachedGaussian;
  }
  s.needPair = false;
  float a, b, q;
  do {
    a = 2.0f * randomRange(0.0f, 1.0f) - 1.0f;
    b = 2.0f * randomRange(0.0f, 1.0f) - 1.0f;
    q = a * a + b * b;
  } while (q >= 1.0f);
  const float f = std::sqrt(-2.0f * std::log(q) / q);
  s.cachedGaussian = b * f;
  return a * f;
}

void resetRandom() { randomState() = RandomState{}; }
