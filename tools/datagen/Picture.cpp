#include "tools/datagen/Picture.h"

#include <algorithm>
#include <cmath>

Picture::Picture(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels),
      bytes_(static_cast<size_t>(width) * height * channels, 0) {}

static uint8_t toByte(float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

void Picture::set(int x, int y, float r, float g, float b, float a) {
    uint8_t* p = pixel(x, y);
    if (channels_ == 1) {
        p[0] = toByte((r + g + b) / 3.0f);
        return;
    }
    p[0] = toByte(r);
    p[1] = toByte(g);
    p[2] = toByte(b);
    if (channels_ == 4) p[3] = toByte(a);
}

Picture Picture::withChannels(int channels) const {
    Picture out(width_, height_, channels);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const uint8_t* s = pixel(x, y);
            uint8_t* d = out.pixel(x, y);
            uint8_t rgba[4] = {s[0], s[0], s[0], 255};
            if (channels_ >= 3) {
                rgba[1] = s[1];
                rgba[2] = s[2];
            }
            if (channels_ == 4) rgba[3] = s[3];
            if (channels == 1) {
                d[0] = static_cast<uint8_t>((rgba[0] + rgba[1] + rgba[2]) / 3);
            } else {
                for (int c = 0; c < channels; ++c) d[c] = rgba[c];
            }
        }
    }
    return out;
}
