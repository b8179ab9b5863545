#include "tools/datagen/PreviewRenderer.h"

#include <algorithm>
#include <cmath>

PreviewRenderer::PreviewRenderer(int width, int height)
    : picture_(width, height, 3), depth_(static_cast<size_t>(width) * height, 1e30f) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture_.set(x, y, 0.25f, 0.27f, 0.30f);
}

void PreviewRenderer::setView(Vec3 forward, Vec3 up, Vec3 centre, float scale, int originX, int originY) {
    forward_ = normalize(forward);
    right_ = normalize(cross(up, forward_));
    up_ = cross(forward_, right_);
    centre_ = centre;
    scale_ = scale;
    originX_ = originX;
    originY_ = originY;
}

void PreviewRenderer::draw(const std::vector<Vec3>& positions, const std::vector<Vec3>& normals,
                           const std::vector<std::array<float, 2>>& uvs,
                           const std::vector<std::array<uint32_t, 3>>& triangles, const Picture* texture) {
    const int w = picture_.width(), h = picture_.height();
    const Vec3 light = normalize(up_ * 0.8f + right_ * 0.4f - forward_ * 0.6f);
    for (const auto& t : triangles) {
        float sx[3], sy[3], sz[3];
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = positions[t[k]] - centre_;
            sx[k] = originX_ + dot(p, right_) * scale_;
            sy[k] = originY_ - dot(p, up_) * scale_;
            sz[k] = dot(p, forward_);
        }
        const Vec3 faceNormal = cross(positions[t[1]] - positions[t[0]], positions[t[2]] - positions[t[0]]);
        const bool front = dot(faceNormal, forward_) < 0;
        const float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::abs(area) < 1e-8f) continue;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
        const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
        const int y1 = std::min(h - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                const float b0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                const float b1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                const float b2 = 1.0f - b0 - b1;
                if (b0 < 0 || b1 < 0 || b2 < 0) continue;
                const float z = b0 * sz[0] + b1 * sz[1] + b2 * sz[2];
                float& stored = depth_[static_cast<size_t>(y) * w + x];
                if (z >= stored) continue;
                stored = z;
                const Vec3 n = normalize(normals[t[0]] * b0 + normals[t[1]] * b1 + normals[t[2]] * b2);
                const float shade = 0.35f + 0.65f * std::max(0.0f, dot(n, light));
                float r = 0.8f, g = 0.8f, b = 0.8f;
                if (texture && !uvs.empty()) {
                    float u = b0 * uvs[t[0]][0] + b1 * uvs[t[1]][0] + b2 * uvs[t[2]][0];
                    float v = b0 * uvs[t[0]][1] + b1 * uvs[t[1]][1] + b2 * uvs[t[2]][1];
                    u -= std::floor(u);
                    v -= std::floor(v);
                    const int tx = std::min(texture->width() - 1, static_cast<int>(u * texture->width()));
                    const int ty = std::min(texture->height() - 1, static_cast<int>(v * texture->height()));
                    const uint8_t* s = texture->pixel(tx, ty);
                    r = s[0] / 255.0f;
                    g = s[texture->channels() >= 3 ? 1 : 0] / 255.0f;
                    b = s[texture->channels() >= 3 ? 2 : 0] / 255.0f;
                }
                if (!front) {
                    r = 1.0f;
                    g = 0.0f;
                    b = 1.0f;
                }
                picture_.set(x, y, r * shade, g * shade, b * shade);
            }
        }
    }
}
