#pragma once
#include <cstdint>

#include "foundation/RefPtr.h"
#include "image/Image.h"

// Tangent-space normal map for dot3 bump mapping from the luminance of source, taken as heights.
// Each pixel holds the unit normal of the slopes towards the next column and the next row, scaled
// by scale, as bytes trunc((n + 1) / 2 * 255) in R, G, B: height rising towards +x gives a negative
// x, rising towards the next row a positive y, and z is always positive. The last column and the
// last row, which have no neighbour, hold the straight-up normal (128, 128, 255). The result is
// made as RGB and then converted to format; source is left as it was.
RefPtr<Image> makeNormalMap(const Image& source, float scale, std::uint32_t format);
