#pragma once

#include "tools/datagen/GenMath.h"
#include "tools/datagen/Picture.h"

#include <array>
#include <cstdint>
#include <vector>

// A small software rasteriser for the preview pictures of the meshes: orthographic view, depth
// buffer, one directional light, optional texture (v measured from the picture's top). Triangles
// whose (b − a) × (c − a) faces away from the viewer are drawn magenta, so a wrongly wound or
// inside-out surface shows at a glance.
class PreviewRenderer {
public:
    PreviewRenderer(int width, int height);

    // The view: `forward` is the viewing direction, `up` roughly up; `centre` maps to the pixel
    // (originX, originY) and one unit to `scale` pixels.
    void setView(Vec3 forward, Vec3 up, Vec3 centre, float scale, int originX, int originY);

    void draw(const std::vector<Vec3>& positions, const std::vector<Vec3>& normals,
              const std::vector<std::array<float, 2>>& uvs, const std::vector<std::array<uint32_t, 3>>& triangles,
              const Picture* texture);

    const Picture& picture() const { return picture_; }

private:
    Picture picture_;
    std::vector<float> depth_;
    Vec3 right_{1, 0, 0}, up_{0, 1, 0}, forward_{0, 0, 1}, centre_{};
    float scale_ = 1;
    int originX_ = 0, originY_ = 0;
};
