#pragma once

#include <cmath>

// Small value types for building geometry (the engine's math lives in a later library).
struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
    const float l = length(a);
    return l > 0 ? a * (1.0f / l) : Vec3{0, 0, 1};
}

// Rotation (columns are the images of the x, y and z axes) and translation: p' = R·p + t.
struct Xform {
    Vec3 cx{1, 0, 0}, cy{0, 1, 0}, cz{0, 0, 1};
    Vec3 t{};

    Vec3 applyDir(Vec3 v) const { return cx * v.x + cy * v.y + cz * v.z; }
    Vec3 apply(Vec3 p) const { return applyDir(p) + t; }

    static Xform translation(Vec3 t) {
        Xform x;
        x.t = t;
        return x;
    }
    // Right-handed rotation by `angle` radians about a unit axis.
    static Xform rotation(Vec3 axis, float angle) {
        const float c = std::cos(angle), s = std::sin(angle), k = 1 - c;
        const Vec3 a = normalize(axis);
        Xform x;
        x.cx = {c + a.x * a.x * k, a.y * a.x * k + a.z * s, a.z * a.x * k - a.y * s};
        x.cy = {a.x * a.y * k - a.z * s, c + a.y * a.y * k, a.z * a.y * k + a.x * s};
        x.cz = {a.x * a.z * k + a.y * s, a.y * a.z * k - a.x * s, c + a.z * a.z * k};
        return x;
    }
};

// a·b: first b, then a.
inline Xform operator*(const Xform& a, const Xform& b) {
    Xform r;
    r.cx = a.applyDir(b.cx);
    r.cy = a.applyDir(b.cy);
    r.cz = a.applyDir(b.cz);
    r.t = a.apply(b.t);
    return r;
}

inline constexpr float kGenPi = 3.14159265358979f;
