#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TerrainTestSupport.h"
#include "foundation/Random.h"
#include "image/Image.h"
#include "scenes/TerrainRecipe.h"
#include "scenes/TerrainTextureSynthesis.h"
#include "water/ByteHeightSource.h"
#include "water/HeightFieldMeshBuilder.h"

namespace {

using terrain::Rgb;

// Synthesises a tw × th texture over a byte grid with the scene's layers in solid colours.
struct Painted {
  std::vector<std::uint8_t> grid;
  RefPtr<Image> image;

  const std::uint8_t* texel(std::uint32_t x, std::uint32_t y) const {
    return image->data() + (static_cast<std::size_t>(y) * image->width() + x) * 4;
  }
};

Painted paint(std::vector<std::uint8_t> grid, std::uint32_t sw, std::uint32_t sh, std::uint32_t tw,
              std::uint32_t th, float verticalHigh,
              const std::vector<TerrainTextureLayer>& layers = terrain::solidSceneLayers()) {
  Painted p{std::move(grid), new Image(tw, th, ImageFormat::kRgba, nullptr)};
  RefPtr<HeightSource> source = new ByteHeightSource(p.grid.data(), sw, sh);
  EXPECT_TRUE(synthesizeTerrainTexture(*source, layers, 0.0f, verticalHigh, *p.image));
  return p;
}

void expectTexel(const Painted& p, std::uint32_t x, std::uint32_t y, Rgb colour, const char* label) {
  const std::uint8_t* t = p.texel(x, y);
  EXPECT_EQ(t[0], colour.r) << label;
  EXPECT_EQ(t[1], colour.g) << label;
  EXPECT_EQ(t[2], colour.b) << label;
  EXPECT_EQ(t[3], 255) << label;
}

TEST(TerrainTextureSynthesis, FadeWeightIsOneInsideAndFallsOffOverTheFade) {
  struct Case {
    float x, lo, hi, fade, weight;
  };
  const Case cases[] = {
      {15, 0, 30, 10, 1.0f},     {30, 0, 30, 10, 1.0f},  {35, 0, 30, 10, 0.5f},  {40, 0, 30, 10, 0.0f},
      {25, 30, 120, 10, 0.5f},   {15, 30, 120, 10, 0.0f}, {31, 0, 30, 0, 0.0f},  // no fade: cut off
      {1.0122910f, 1.0471976f, 1.5707964f, 0.1f, 0.6509341f},                    // 58° against 60°..90°
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(terrainFadeWeight(c.x, c.lo, c.hi, c.fade), c.weight, 1e-5f) << c.x << " in " << c.lo << ".." << c.hi;
  }
}

TEST(TerrainTextureSynthesis, FlatGroundTakesTheLayersOfItsHeight) {
  struct Case {
    std::uint8_t height;
    Rgb colour;
    const char* label;
  };
  const Case cases[] = {
      // Height 15, slope 0: lumps at full weight, grass only fades in within 10 below 30.
      {15, terrain::kLumps, "15"},
      // Height 35: grass at 1, lumps at (10 − 5)/10 = 0.5: (255·0.5, 255, 0)/1.5 = (85, 170, 0).
      {35, {85, 170, 0}, "35"},
      {100, terrain::kGrass, "100"},
      {250, terrain::kSnow, "250"},
  };
  for (const Case& c : cases) {
    const Painted p = paint(std::vector<std::uint8_t>(4 * 4, c.height), 4, 4, 8, 8, 30.0f);
    for (std::uint32_t y = 0; y < 8; ++y)
      for (std::uint32_t x = 0; x < 8; ++x) expectTexel(p, x, y, c.colour, c.label);
  }
}

TEST(TerrainTextureSynthesis, SteepGroundTakesTheSteepRockLayer) {
  // A ramp rising 10 per column, one texel per source point: interior slope = atan(10·v) with
  // v = (hi − lo)/255. Column 8 stands at height 130, in the rock layer (120..200).
  struct Case {
    float slopeDeg;
    Rgb colour;
  };
  const Case cases[] = {
      // 70°: 10° past the other layers' 60° is beyond their fade of 0.1 rad; only steep rock.
      {70.0f, terrain::kSteepRock},
      // 58°: rock at 1, steep rock at (0.1 − 0.0349066)/0.1 = 0.650934:
      // red 255·0.650934/1.650934 = 100.5 → 101, blue 255.
      {58.0f, {101, 0, 255}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> ramp(16 * 4);
    for (std::uint32_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(50 + 10 * (i % 16));
    const float verticalHigh = 255.0f * std::tan(c.slopeDeg * 3.14159265f / 180.0f) / 10.0f;
    const Painted p = paint(ramp, 16, 4, 16, 4, verticalHigh);
    expectTexel(p, 8, 1, c.colour, "interior");
  }
}

TEST(TerrainTextureSynthesis, TexelNoLayerCoversStaysBlackAndOpaque) {
  // Only a lowland layer; height 100 is 70 above its range.
  const std::vector<TerrainTextureLayer> layers{terrain::layer(terrain::kLumps, 0, 30, 0, 60)};
  const Painted p = paint(std::vector<std::uint8_t>(2 * 2, 100), 2, 2, 4, 4, 30.0f, layers);
  for (std::uint32_t y = 0; y < 4; ++y)
    for (std::uint32_t x = 0; x < 4; ++x) expectTexel(p, x, y, {0, 0, 0}, "uncovered");
}

TEST(TerrainTextureSynthesis, LastTexelsTakeTheEdgeValueInsteadOfExtrapolating) {
  // Columns 0, 0, 255 sampled by 4 texels at 0, 0.75, 1.5, 2.25: the last lies past the last
  // point. Extrapolated it would be 255 + 0.25·255 ≈ 319, covered by no layer (black); held at the
  // edge it is snow. The slope is kept flat by a tiny vertical range.
  std::vector<std::uint8_t> grid{0, 0, 255, 0, 0, 255};
  const Painted p = paint(grid, 3, 2, 4, 2, 0.001f);
  expectTexel(p, 3, 0, terrain::kSnow, "last column");
  expectTexel(p, 0, 0, terrain::kLumps, "first column");
}

TEST(TerrainTextureSynthesis, LayerPixelsTileAndUnusableLayersAreLeftOut) {
  // A 2 × 1 layer of red and blue tiles across the texture; an empty and a luminance layer are
  // skipped rather than read.
  const std::uint8_t stripes[6] = {255, 0, 0, 0, 0, 255};
  TerrainTextureLayer striped = terrain::layer(terrain::kLumps, 0, 255, 0, 90);
  striped.image = new Image(2, 1, ImageFormat::kRgb, stripes);
  TerrainTextureLayer empty = striped;
  empty.image = new Image();
  TerrainTextureLayer grey = striped;
  const std::uint8_t luminance[4] = {9, 9, 9, 9};
  grey.image = new Image(2, 2, ImageFormat::kLuminance, luminance);
  const Painted p = paint(std::vector<std::uint8_t>(4, 100), 2, 2, 5, 2, 30.0f, {empty, grey, striped});
  for (std::uint32_t x = 0; x < 5; ++x)
    expectTexel(p, x, 1, x % 2 == 0 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}, "stripe");
}

TEST(TerrainTextureSynthesis, RefusesTargetsWithoutFourBytesAndTinySources) {
  const std::vector<std::uint8_t> grid(4, 10);
  RefPtr<HeightSource> square = new ByteHeightSource(grid.data(), 2, 2);
  RefPtr<HeightSource> line = new ByteHeightSource(grid.data(), 4, 1);
  Image rgb(4, 4, ImageFormat::kRgb, nullptr);
  Image rgba(4, 4, ImageFormat::kRgba, nullptr);
  Image empty;
  const auto layers = terrain::solidSceneLayers();
  EXPECT_FALSE(synthesizeTerrainTexture(*square, layers, 0.0f, 30.0f, rgb));
  EXPECT_FALSE(synthesizeTerrainTexture(*square, layers, 0.0f, 30.0f, empty));
  EXPECT_FALSE(synthesizeTerrainTexture(*line, layers, 0.0f, 30.0f, rgba));
  EXPECT_TRUE(synthesizeTerrainTexture(*square, layers, 0.0f, 30.0f, rgba));
}

}  // namespace

namespace {

// The synthesis rule texel by texel, written plainly: the optimised synthesis must give the same
// bytes.
std::vector<std::uint8_t> plainSynthesis(const HeightSource& source, const std::vector<TerrainTextureLayer>& layers,
                                         float lo, float hi, std::uint32_t tw, std::uint32_t th) {
  const std::uint32_t sw = source.width(), sh = source.height();
  auto along = [](std::uint32_t t, std::uint32_t texels, std::uint32_t points, std::uint32_t& i, float& f) {
    const float s = static_cast<float>(t) * static_cast<float>(points) / static_cast<float>(texels);
    i = static_cast<std::uint32_t>(s);
    if (i + 1 >= points) i = points - 2;
    f = std::min(s - static_cast<float>(i), 1.0f);
  };
  std::vector<float> height(static_cast<std::size_t>(tw) * th);
  for (std::uint32_t ty = 0; ty < th; ++ty) {
    for (std::uint32_t tx = 0; tx < tw; ++tx) {
      std::uint32_t x0, y0;
      float fx, fy;
      along(tx, tw, sw, x0, fx);
      along(ty, th, sh, y0, fy);
      const float h00 = source.get(x0, y0), h10 = source.get(x0 + 1, y0);
      const float h01 = source.get(x0, y0 + 1), h11 = source.get(x0 + 1, y0 + 1);
      const float top = h00 + (h10 - h00) * fx;
      const float bottom = h01 + (h11 - h01) * fx;
      height[ty * tw + tx] = top + (bottom - top) * fy;
    }
  }
  auto H = [&](std::uint32_t x, std::uint32_t y) { return height[y * tw + x]; };
  const float v = (hi - lo) / 255.0f;
  const float ax = static_cast<float>(sw) / static_cast<float>(tw);
  const float az = static_cast<float>(sh) / static_cast<float>(th);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(tw) * th * 4);
  for (std::uint32_t ty = 0; ty < th; ++ty) {
    for (std::uint32_t tx = 0; tx < tw; ++tx) {
      const bool left = tx > 0, right = tx + 1 < tw, up = ty > 0, down = ty + 1 < th;
      const float gx = (H(right ? tx + 1 : tx, ty) - H(left ? tx - 1 : tx, ty)) * (left && right ? 1.0f : 2.0f) * v;
      const float gz = (H(tx, down ? ty + 1 : ty) - H(tx, up ? ty - 1 : ty)) * (up && down ? 1.0f : 2.0f) * v;
      const float nx = -gx, ny = 2.0f * ax, nz = -gz * ax / az;
      const float slope = std::acos(std::min(ny / std::sqrt(nx * nx + ny * ny + nz * nz), 1.0f));
      float r = 0, g = 0, b = 0, total = 0;
      for (const TerrainTextureLayer& layer : layers) {
        const Image* image = layer.image.get();
        if (!image || image->isEmpty() || image->bytesPerPixel() != 3) continue;
        const float wh = terrainFadeWeight(H(tx, ty), layer.heightLow, layer.heightHigh, layer.heightFade);
        if (wh == 0.0f) continue;
        const float w = wh * terrainFadeWeight(slope, layer.slopeLow, layer.slopeHigh, layer.slopeFade);
        if (w == 0.0f) continue;
        const std::uint8_t* p = image->data() + ((ty % image->height()) * image->width() + tx % image->width()) * 3;
        r += static_cast<float>(p[0]) * w / 255.0f;
        g += static_cast<float>(p[1]) * w / 255.0f;
        b += static_cast<float>(p[2]) * w / 255.0f;
        total += w;
      }
      if (total != 0.0f) {
        r /= total;
        g /= total;
        b /= total;
      }
      std::uint8_t* o = out.data() + (static_cast<std::size_t>(ty) * tw + tx) * 4;
      o[0] = static_cast<std::uint8_t>(std::min(r * 255.0f + 0.5f, 255.0f));
      o[1] = static_cast<std::uint8_t>(std::min(g * 255.0f + 0.5f, 255.0f));
      o[2] = static_cast<std::uint8_t>(std::min(b * 255.0f + 0.5f, 255.0f));
      o[3] = 255;
    }
  }
  return out;
}

// A layer of w × h pixels of a fixed pattern over the scene layer's ranges.
TerrainTextureLayer patternLayer(const TerrainTextureLayer& ranges, std::uint32_t w, std::uint32_t h, int seed) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>((i * 37 + seed * 101) % 251);
  TerrainTextureLayer layer = ranges;
  layer.image = new Image(w, h, ImageFormat::kRgb, pixels.data());
  return layer;
}

TEST(TerrainTextureSynthesis, GivesTheSameBytesAsThePlainTexelByTexelRule) {
  // The four terrains of the scene, at three vertical ranges: the steeper ones cover every slope
  // band and its soft edges. Layer pictures of odd sizes tile across the texture.
  std::vector<TerrainTextureLayer> layers = terrain::solidSceneLayers();
  const std::uint32_t sizes[5][2] = {{256, 256}, {37, 23}, {300, 7}, {1, 1}, {64, 256}};
  for (int i = 0; i < 5; ++i) layers[i] = patternLayer(layers[i], sizes[i][0], sizes[i][1], i);
  const std::string directory = terrain::writeTerrainData("plainrule") + "/Textures/";
  resetRandom();
  for (int mode = 0; mode < TerrainRecipe::kModeCount; ++mode) {
    TerrainRecipe::Heights heights = TerrainRecipe::makeHeights(mode, directory);
    ASSERT_NE(heights.source(), nullptr) << mode;
    for (float verticalHigh : {30.0f, 120.0f, 400.0f}) {
      for (const auto& target : {std::pair<std::uint32_t, std::uint32_t>{256, 256}, {200, 90}}) {
        Image image(target.first, target.second, ImageFormat::kRgba, nullptr);
        ASSERT_TRUE(synthesizeTerrainTexture(*heights.source(), layers, 0.0f, verticalHigh, image));
        const std::vector<std::uint8_t> expected =
            plainSynthesis(*heights.source(), layers, 0.0f, verticalHigh, target.first, target.second);
        const std::uint8_t* got = image.data();
        std::size_t differing = 0;
        for (std::size_t k = 0; k < expected.size(); ++k) differing += got[k] != expected[k];
        EXPECT_EQ(differing, 0u) << "mode " << mode << ", range " << verticalHigh << ", " << target.first << " x "
                                 << target.second;
      }
    }
  }
}

}  // namespace
