#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An 8-bit picture held top row first, the way a person looks at it. Channels are 1 (grey),
// 3 (RGB) or 4 (RGBA). The file writers turn it into each format's own row order.
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, int channels);

    int width() const { return width_; }
    int height() const { return height_; }
    int channels() const { return channels_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

    uint8_t* pixel(int x, int y) { return &bytes_[(static_cast<size_t>(y) * width_ + x) * channels_]; }
    const uint8_t* pixel(int x, int y) const {
        return &bytes_[(static_cast<size_t>(y) * width_ + x) * channels_];
    }

    // Components in 0..1, clamped and rounded; alpha is ignored without an alpha channel.
    void set(int x, int y, float r, float g, float b, float a = 1.0f);

    // Copy with the same pixels and an extra opaque alpha channel (or the alpha dropped).
    Picture withChannels(int channels) const;

private:
    int width_ = 0;
    int height_ = 0;
    int channels_ = 0;
    std::vector<uint8_t> bytes_;
};
