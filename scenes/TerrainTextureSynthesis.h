#pragma once
#include <cstdint>
#include <vector>

#include "image/Image.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/HeightSource.h"
#include "water/TerrainTextureLayer.h"

// Weight of value x against [lo, hi] with a soft edge fade wide: 1 inside, falling linearly to 0
// at fade beyond either end (0 outside at once when fade is 0).
float terrainFadeWeight(float x, float lo, float hi, float fade);

// Paints the terrain's ground texture into target, an RGBA image with pixels. Each texel (tx, ty)
// stands over the source point (tx·sw/tw, ty·sh/th); its height is the bilinear mean of the four
// source values around it (0..255; past the last row or column the edge value), its slope (radians)
// that of the central differences of the texel heights at the builder's vertical range. Every
// layer whose height and slope ranges take the texel adds its own pixel (tiled) times the product
// of the two weights; the sum is divided by the total weight, so a texel no layer covers stays
// black. Alpha is 255. Row ty of the target lies over source row ty·sh/th, so a mesh whose texture
// coordinate v = r/(rows − 1) follows its rows shows each texel over its own ground.
// Layers without a usable RGB image are left out. False, with target untouched, when target is
// not RGBA or the source has fewer than two rows or columns.
bool synthesizeTerrainTexture(const HeightFieldMeshBuilder& builder, Image& target);
bool synthesizeTerrainTexture(const HeightSource& source, const std::vector<TerrainTextureLayer>& layers,
                              float verticalLow, float verticalHigh, Image& target);
