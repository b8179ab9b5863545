#pragma once
#include "foundation/RefPtr.h"
#include "image/Image.h"

// One material of the terrain's texture synthesis: where it lies on the 0..255 height scale and
// which slopes (radians) it covers, each range with a soft edge of the given width.
struct TerrainTextureLayer {
  RefPtr<Image> image;  // RGB, three bytes per pixel
  float heightLow = 0.0f;
  float heightHigh = 255.0f;
  float heightFade = 0.0f;
  float slopeLow = 0.0f;
  float slopeHigh = 1.5707964f;
  float slopeFade = 0.0f;
};
