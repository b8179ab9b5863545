#include "tools/datagen/Md3Writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

class ByteSink {
public:
    std::vector<uint8_t> bytes;

    void u8(uint8_t v) { bytes.push_back(v); }
    void s16(int16_t v) {
        const uint16_t u = static_cast<uint16_t>(v);
        u8(static_cast<uint8_t>(u & 0xFF));
        u8(static_cast<uint8_t>(u >> 8));
    }
    void s32(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>((u >> (8 * i)) & 0xFF));
    }
    void f32(float f) {
        int32_t v;
        std::memcpy(&v, &f, 4);
        s32(v);
    }
    void vec(Vec3 v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
    void text(const std::string& s, size_t size) {
        for (size_t i = 0; i < size; ++i) u8(i < s.size() && i + 1 < size ? static_cast<uint8_t>(s[i]) : 0);
    }
    void ident() {
        for (char c : {'I', 'D', 'P', '3'}) u8(static_cast<uint8_t>(c));
    }
    void patch32(size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    }
};

constexpr int kHeaderSize = 108;
constexpr int kFrameSize = 56;
constexpr int kTagSize = 112;
constexpr int kSurfaceHeaderSize = 108;
constexpr int kShaderSize = 68;

}  // namespace

int16_t Md3Writer::quantize(float value) {
    const long q = std::lround(value * 64.0f);
    return static_cast<int16_t>(std::clamp(q, -32768L, 32767L));
}

std::array<uint8_t, 2> Md3Writer::packNormal(Vec3 n) {
    n = normalize(n);
    const double a = std::acos(std::clamp(static_cast<double>(n.z), -1.0, 1.0));
    double b = std::atan2(static_cast<double>(n.y), static_cast<double>(n.x));
    if (b < 0) b += 2.0 * 3.14159265358979323846;
    const int ia = static_cast<int>(std::lround(a * 128.0 / 3.14159265358979323846)) & 0xFF;
    const int ib = static_cast<int>(std::lround(b * 128.0 / 3.14159265358979323846)) & 0xFF;
    return {static_cast<uint8_t>(ia), static_cast<uint8_t>(ib)};
}

std::vector<uint8_t> Md3Writer::encode(const Md3Data& model) {
    ByteSink out;
    size_t expected = kHeaderSize + static_cast<size_t>(model.frameCount) * (kFrameSize + kTagSize * model.tagNames.size());
    for (const auto& s : model.surfaces) {
        expected += kSurfaceHeaderSize + kShaderSize + s.triangles.size() * 12 + s.st.size() * (8 + 8 * model.frameCount);
    }
    out.bytes.reserve(expected);
    const int numFrames = model.frameCount;
    const int numTags = static_cast<int>(model.tagNames.size());
    const int numSurfaces = static_cast<int>(model.surfaces.size());

    out.ident();
    out.s32(15);
    out.text(model.name, 64);
    out.s32(0);
    out.s32(numFrames);
    out.s32(numTags);
    out.s32(numSurfaces);
    out.s32(0);
    const int ofsFrames = kHeaderSize;
    const int ofsTags = ofsFrames + numFrames * kFrameSize;
    const int ofsSurfaces = ofsTags + numFrames * numTags * kTagSize;
    out.s32(ofsFrames);
    out.s32(ofsTags);
    out.s32(ofsSurfaces);
    const size_t ofsEndAt = out.bytes.size();
    out.s32(0);

    // Frames: bounds of the quantised positions of every surface, radius from the origin.
    for (int f = 0; f < numFrames; ++f) {
        Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        float radius = 0;
        for (const auto& s : model.surfaces) {
            for (const Vec3& p : s.framePositions[f]) {
                const Vec3 q{quantize(p.x) / 64.0f, quantize(p.y) / 64.0f, quantize(p.z) / 64.0f};
                lo = {std::min(lo.x, q.x), std::min(lo.y, q.y), std::min(lo.z, q.z)};
                hi = {std::max(hi.x, q.x), std::max(hi.y, q.y), std::max(hi.z, q.z)};
                radius = std::max(radius, length(q));
            }
        }
        out.vec(lo);
        out.vec(hi);
        out.vec({0, 0, 0});
        out.f32(radius);
        out.text("frame" + std::to_string(f), 16);
    }
    for (int f = 0; f < numFrames; ++f) {
        for (int k = 0; k < numTags; ++k) {
            const Md3TagData& tag = model.frameTags[f][k];
            out.text(tag.name, 64);
            out.vec(tag.origin);
            for (const Vec3& row : tag.axis) out.vec(row);
        }
    }
    for (const auto& s : model.surfaces) {
        const int numVerts = static_cast<int>(s.st.size());
        const int numTris = static_cast<int>(s.triangles.size());
        const int ofsShaders = kSurfaceHeaderSize;
        const int ofsTriangles = ofsShaders + kShaderSize;
        const int ofsSt = ofsTriangles + numTris * 12;
        const int ofsXyz = ofsSt + numVerts * 8;
        const int ofsEnd = ofsXyz + numFrames * numVerts * 8;
        out.ident();
        out.text(s.name, 64);
        out.s32(0);
        out.s32(numFrames);
        out.s32(1);
        out.s32(numVerts);
        out.s32(numTris);
        out.s32(ofsTriangles);
        out.s32(ofsShaders);
        out.s32(ofsSt);
        out.s32(ofsXyz);
        out.s32(ofsEnd);
        out.text(s.shader, 64);
        out.s32(0);
        for (const auto& t : s.triangles) {
            out.s32(static_cast<int32_t>(t[0]));
            out.s32(static_cast<int32_t>(t[2]));
            out.s32(static_cast<int32_t>(t[1]));
        }
        for (const auto& st : s.st) {
            out.f32(st[0]);
            out.f32(st[1]);
        }
        for (int f = 0; f < numFrames; ++f) {
            for (int v = 0; v < numVerts; ++v) {
                const Vec3 p = s.framePositions[f][v];
                out.s16(quantize(p.x));
                out.s16(quantize(p.y));
                out.s16(quantize(p.z));
                const auto n = packNormal(s.frameNormals[f][v]);
                out.u8(n[0]);
                out.u8(n[1]);
            }
        }
    }
    out.patch32(ofsEndAt, static_cast<int32_t>(out.bytes.size()));
    return out.bytes;
}
