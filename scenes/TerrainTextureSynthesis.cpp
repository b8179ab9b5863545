#include "scenes/TerrainTextureSynthesis.h"

#include <algorithm>
#include <cmath>

float terrainFadeWeight(float x, float lo, float hi, float fade) {
  const float d = x < lo ? lo - x : (x > hi ? x - hi : 0.0f);
  if (d == 0.0f) return 1.0f;
  return d < fade ? (fade - d) / fade : 0.0f;
}

namespace {

constexpr float kRightAngle = 1.5707964f;

// The parts of terrainFadeWeight, without branches or a division that only some texels make, so
// that the chunk loops vectorise; together the same value bit for bit. The distance of x outside
// [lo, hi]:
inline float outside(float x, float lo, float hi) {
  const float below = lo - x;
  const float above = x - hi;
  return x < lo ? below : (x > hi ? above : 0.0f);
}
// The weight at distance d. divisor is fade when fade > 0 and 1 otherwise: max(fade − d, 0) is 0
// whenever d ≥ fade, and d ≥ 0 ≥ fade when fade ≤ 0.
inline float fadeAt(float d, float fade, float divisor) {
  const float soft = std::max(fade - d, 0.0f) / divisor;
  return d == 0.0f ? 1.0f : soft;
}
inline int onSoftEdge(float d, float fade) { return (d > 0.0f) & (d < fade); }
inline int weighs(float d, float fade) { return (d == 0.0f) | (d < fade); }

// Where texel t of n falls between the source points: the lower point and the fraction towards
// the next one. The last texels lie past the last point; they take its value.
struct Sample {
  std::uint32_t index;
  float fraction;
};

std::vector<Sample> samplesAlong(std::uint32_t texels, std::uint32_t points) {
  std::vector<Sample> samples(texels);
  for (std::uint32_t t = 0; t < texels; ++t) {
    const float s = static_cast<float>(t) * static_cast<float>(points) / static_cast<float>(texels);
    std::uint32_t i = static_cast<std::uint32_t>(s);
    if (i + 1 >= points) i = points - 2;
    samples[t] = {i, std::min(s - static_cast<float>(i), 1.0f)};
  }
  return samples;
}

// A layer with its pixels looked up once (the image library binds the picture on every lookup).
struct LayerPixels {
  const TerrainTextureLayer* layer;
  const std::uint8_t* pixels;
  std::uint32_t width;
  std::uint32_t height;
};

std::vector<LayerPixels> usableLayers(const std::vector<TerrainTextureLayer>& layers) {
  std::vector<LayerPixels> used;
  for (const TerrainTextureLayer& layer : layers) {
    if (!layer.image || layer.image->isEmpty() || layer.image->bytesPerPixel() != 3) continue;
    if (const std::uint8_t* pixels = layer.image->data())
      used.push_back({&layer, pixels, layer.image->width(), layer.image->height()});
  }
  return used;
}

// Slope angles from the cosine c = n.y. A slope counts only through the layers' slope weights,
// which are exactly 0 or 1 except on a layer's soft edges. So between the ends and edges of the
// layers' ranges ("breaks") every angle gives the same weights, and a stretch's middle angle
// stands in for the arc cosine; it is taken exactly only on soft edges and within a margin around
// each break, far wider than the rounding of either side.
class SlopeAngles {
 public:
  explicit SlopeAngles(const std::vector<LayerPixels>& layers) {
    std::vector<float> breaks{0.0f, kRightAngle};
    std::vector<std::pair<float, float>> softEdges;
    for (const LayerPixels& entry : layers) {
      const TerrainTextureLayer& l = *entry.layer;
      const float ends[4] = {l.slopeLow - l.slopeFade, l.slopeLow, l.slopeHigh, l.slopeHigh + l.slopeFade};
      for (float a : ends) breaks.push_back(std::clamp(a, 0.0f, kRightAngle));
      softEdges.emplace_back(std::clamp(ends[0], 0.0f, kRightAngle), std::clamp(ends[1], 0.0f, kRightAngle));
      softEdges.emplace_back(std::clamp(ends[2], 0.0f, kRightAngle), std::clamp(ends[3], 0.0f, kRightAngle));
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    // Stretches in falling cosine: the margin around a break, then the open stretch to the next.
    for (std::size_t i = 0; i < breaks.size(); ++i) {
      const float c = std::cos(breaks[i]);
      stretches.push_back({c - kMargin, true, 0.0f});
      if (i + 1 == breaks.size()) break;
      const float next = std::cos(breaks[i + 1]) + kMargin;
      const float middle = 0.5f * (breaks[i] + breaks[i + 1]);
      bool soft = false;
      for (const auto& edge : softEdges) soft = soft || (middle > edge.first && middle < edge.second);
      stretches.push_back({next, soft, middle});
    }
  }

  float angle(float c) const {
    if (c >= 1.0f) return 0.0f;
    for (const Stretch& s : stretches) {
      if (c >= s.lowestCosine) return s.exact ? std::acos(c) : s.middle;
    }
    return std::acos(c);
  }

 private:
  static constexpr float kMargin = 1e-4f;
  struct Stretch {
    float lowestCosine;  // c at or above this, and below the previous stretch's, lies here
    bool exact;
    float middle;
  };
  std::vector<Stretch> stretches;
};

}  // namespace

bool synthesizeTerrainTexture(const HeightFieldMeshBuilder& builder, Image& target) {
  if (!builder.source()) return false;
  return synthesizeTerrainTexture(*builder.source(), builder.layers(), builder.verticalLow(),
                                  builder.verticalHigh(), target);
}

bool synthesizeTerrainTexture(const HeightSource& source, const std::vector<TerrainTextureLayer>& layers,
                              float verticalLow, float verticalHigh, Image& target) {
  const std::uint32_t sw = source.width(), sh = source.height();
  std::uint8_t* out = target.data();
  if (!out || target.isEmpty() || target.bytesPerPixel() != 4 || sw < 2 || sh < 2) return false;
  const std::uint32_t tw = target.width(), th = target.height();
  const std::size_t texels = static_cast<std::size_t>(tw) * th;

  std::vector<std::uint8_t> values(static_cast<std::size_t>(sw) * sh);
  for (std::uint32_t y = 0; y < sh; ++y) source.readRow(0, y, sw, values.data() + static_cast<std::size_t>(y) * sw);

  // Heights per texel.
  const std::vector<Sample> across = samplesAlong(tw, sw);
  const std::vector<Sample> down = samplesAlong(th, sh);
  std::vector<float> heights(texels);
  for (std::uint32_t ty = 0; ty < th; ++ty) {
    const Sample row = down[ty];
    const std::uint8_t* upper = values.data() + static_cast<std::size_t>(row.index) * sw;
    const std::uint8_t* lower = upper + sw;
    float* h = heights.data() + static_cast<std::size_t>(ty) * tw;
    for (std::uint32_t tx = 0; tx < tw; ++tx) {
      const Sample col = across[tx];
      const float h00 = upper[col.index], h10 = upper[col.index + 1];
      const float h01 = lower[col.index], h11 = lower[col.index + 1];
      const float top = h00 + (h10 - h00) * col.fraction;
      const float bottom = h01 + (h11 - h01) * col.fraction;
      h[tx] = top + (bottom - top) * row.fraction;
    }
  }

  const std::vector<LayerPixels> used = usableLayers(layers);

  // Per chunk of 64 texels of a row: the slopes, then per layer the weights of the whole chunk
  // and its pixels. A weight of 0 adds exactly nothing, so no texel needs to skip a layer. The
  // chunk's loops have a fixed length and local arrays, so they vectorise; a short last chunk is
  // padded with its last texel and the padding is not written.
  //
  // Slopes: central differences of the texel heights, a border texel standing in for its missing
  // neighbour with the difference doubled; n = (−gx, 2·ax, −gz·ax/az), slope = acos(n.y).
  const SlopeAngles angles(used);
  const float v = (verticalHigh - verticalLow) / 255.0f;
  const float ax = static_cast<float>(sw) / static_cast<float>(tw);
  const float az = static_cast<float>(sh) / static_cast<float>(th);
  const float ny = 2.0f * ax;
  std::vector<std::vector<std::uint32_t>> columns;
  for (const LayerPixels& entry : used) {
    std::vector<std::uint32_t> offsets(tw);
    for (std::uint32_t tx = 0; tx < tw; ++tx) offsets[tx] = (tx % entry.width) * 3;
    columns.push_back(std::move(offsets));
  }
  constexpr std::uint32_t kChunk = 64;
  for (std::uint32_t ty = 0; ty < th; ++ty) {
    const float* row = heights.data() + static_cast<std::size_t>(ty) * tw;
    const float* above = heights.data() + static_cast<std::size_t>(ty > 0 ? ty - 1 : ty) * tw;
    const float* below = heights.data() + static_cast<std::size_t>(ty + 1 < th ? ty + 1 : ty) * tw;
    const float rowFactor = (ty == 0 || ty + 1 == th) ? 2.0f : 1.0f;
    for (std::uint32_t first = 0; first < tw; first += kChunk) {
      const std::uint32_t count = std::min(kChunk, tw - first);
      float h[kChunk], left[kChunk], right[kChunk], up[kChunk], down[kChunk], colFactor[kChunk];
      for (std::uint32_t k = 0; k < kChunk; ++k) {
        const std::uint32_t tx = first + std::min(k, count - 1);
        const bool hasLeft = tx > 0, hasRight = tx + 1 < tw;
        h[k] = row[tx];
        left[k] = row[hasLeft ? tx - 1 : tx];
        right[k] = row[hasRight ? tx + 1 : tx];
        up[k] = above[tx];
        down[k] = below[tx];
        colFactor[k] = hasLeft && hasRight ? 1.0f : 2.0f;
      }
      float s[kChunk];
      for (std::uint32_t k = 0; k < kChunk; ++k) {
        const float gx = (right[k] - left[k]) * colFactor[k] * v;
        const float gz = (down[k] - up[k]) * rowFactor * v;
        const float nx = -gx, nz = -gz * ax / az;
        s[k] = std::min(ny / std::sqrt(nx * nx + ny * ny + nz * nz), 1.0f);
      }
      for (std::uint32_t k = 0; k < kChunk; ++k) s[k] = angles.angle(s[k]);

      float red[kChunk] = {}, green[kChunk] = {}, blue[kChunk] = {}, total[kChunk] = {};
      for (std::size_t layer = 0; layer < used.size(); ++layer) {
        const LayerPixels& entry = used[layer];
        const TerrainTextureLayer& l = *entry.layer;
        const float heightLow = l.heightLow, heightHigh = l.heightHigh, heightFade = l.heightFade;
        const float slopeLow = l.slopeLow, slopeHigh = l.slopeHigh, slopeFade = l.slopeFade;
        const float heightDivisor = heightFade > 0.0f ? heightFade : 1.0f;
        const float slopeDivisor = slopeFade > 0.0f ? slopeFade : 1.0f;
        float dh[kChunk], ds[kChunk];
        for (std::uint32_t k = 0; k < kChunk; ++k) {
          dh[k] = outside(h[k], heightLow, heightHigh);
          ds[k] = outside(s[k], slopeLow, slopeHigh);
        }
        // A layer that weighs nothing anywhere in the chunk adds nothing; off its soft edges its
        // weights are 0 or 1 and need no division.
        int weighing = 0, soft = 0;
        for (std::uint32_t k = 0; k < kChunk; ++k) {
          weighing += weighs(dh[k], heightFade) & weighs(ds[k], slopeFade);
          soft += onSoftEdge(dh[k], heightFade) | onSoftEdge(ds[k], slopeFade);
        }
        if (weighing == 0) continue;
        float w[kChunk];
        if (soft == 0) {
          for (std::uint32_t k = 0; k < kChunk; ++k) w[k] = ((dh[k] == 0.0f) & (ds[k] == 0.0f)) ? 1.0f : 0.0f;
        } else {
          for (std::uint32_t k = 0; k < kChunk; ++k)
            w[k] = fadeAt(dh[k], heightFade, heightDivisor) * fadeAt(ds[k], slopeFade, slopeDivisor);
        }
        const std::uint8_t* pixelRow = entry.pixels + static_cast<std::size_t>(ty % entry.height) * entry.width * 3;
        const std::uint32_t* column = columns[layer].data() + first;
        float pr[kChunk], pg[kChunk], pb[kChunk];
        for (std::uint32_t k = 0; k < kChunk; ++k) {
          const std::uint8_t* p = pixelRow + column[std::min(k, count - 1)];
          pr[k] = p[0];
          pg[k] = p[1];
          pb[k] = p[2];
        }
        for (std::uint32_t k = 0; k < kChunk; ++k) {
          red[k] += pr[k] * w[k] / 255.0f;
          green[k] += pg[k] * w[k] / 255.0f;
          blue[k] += pb[k] * w[k] / 255.0f;
          total[k] += w[k];
        }
      }
      std::uint8_t* o = out + (static_cast<std::size_t>(ty) * tw + first) * 4;
      for (std::uint32_t k = 0; k < count; ++k, o += 4) {
        const float sum = total[k];
        const float r = sum != 0.0f ? red[k] / sum : red[k];
        const float g = sum != 0.0f ? green[k] / sum : green[k];
        const float b = sum != 0.0f ? blue[k] / sum : blue[k];
        o[0] = static_cast<std::uint8_t>(std::min(r * 255.0f + 0.5f, 255.0f));
        o[1] = static_cast<std::uint8_t>(std::min(g * 255.0f + 0.5f, 255.0f));
        o[2] = static_cast<std::uint8_t>(std::min(b * 255.0f + 0.5f, 255.0f));
        o[3] = 255;
      }
    }
  }
  return true;
}
