#include "tools/datagen/PlayerModelBuilder.h"

#include "tools/datagen/GenMesh.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace {

float deg(float d) { return d * kGenPi / 180.0f; }
float ease(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}
float ramp(float t, float a, float b) { return ease((t - a) / (b - a)); }

Xform rotX(float a) { return Xform::rotation({1, 0, 0}, a); }
Xform rotY(float a) { return Xform::rotation({0, 1, 0}, a); }
Xform rotZ(float a) { return Xform::rotation({0, 0, 1}, a); }
Xform move(float x, float y, float z) { return Xform::translation({x, y, z}); }

constexpr float kGroundZ = -24.0f;
constexpr int kLimbSlices = 8, kLimbStacks = 6;
constexpr int kSmallSlices = 6, kSmallStacks = 4;

// Whole-body turn, shared by the legs and the torso in the death animations.
struct BodyTurn {
    float pitch = 0, roll = 0, yaw = 0;
    Xform matrix() const { return rotZ(yaw) * rotY(pitch) * rotX(roll); }
};

struct LegPose {
    float hipPitch = 0, hipRoll = 0, knee = 0, footPitch = 0;
};

struct LowerPose {
    BodyTurn body;
    bool onGround = true;  // place the pelvis so that the lower foot touches the ground
    float lift = 0;        // extra height (jumps); with onGround false, the pelvis height above rest
    float fallRise = 0;    // for deaths: raise above the pivoted position
    float legYaw = 0;
    LegPose left, right;
};

struct ArmPose {
    float pitch = 0, abduct = 0, elbow = 0;
};

struct UpperPose {
    BodyTurn body;
    float lean = 0, twist = 0;
    ArmPose left, right;
};

// Rest dimensions of one style.
struct Build {
    float h, b, ht, hs;
    float hipW, hipZ, thigh, shin, footH;
    float shoulderW, shoulderZ, upperArm, foreArm, neckZ;
    float restPelvisHeight() const { return -hipZ + thigh + shin + footH; }
};

Build dimensions(const PlayerStyle& s) {
    Build d{};
    d.h = s.height;
    d.b = s.bulk;
    d.ht = 0.5f + 0.5f * s.height;
    d.hs = s.headSize;
    d.hipW = 3.8f * d.b;
    d.hipZ = -1.5f;
    d.thigh = 10.0f * d.h;
    d.shin = 10.0f * d.h;
    d.footH = 2.3f;
    d.shoulderW = 8.0f * d.b;
    d.shoulderZ = 14.0f * d.ht;
    d.upperArm = 8.5f * d.h;
    d.foreArm = 7.5f * d.h;
    d.neckZ = 18.5f * d.ht;
    return d;
}

// ---- animation poses -------------------------------------------------------------------------

ArmPose holdGunRight() { return {deg(55), deg(-8), deg(45)}; }
ArmPose holdGunLeft() { return {deg(48), deg(22), deg(62)}; }

LegPose standLeg() { return {deg(2), deg(3), deg(4), 0}; }

// t runs 0..1 over a non-looping animation; for deaths the body pivots about the feet.
void deathPose(int which, float t, LowerPose& lo, UpperPose& up) {
    lo.onGround = false;
    up.left = {deg(20), deg(15), deg(20)};
    up.right = {deg(20), deg(-15), deg(20)};
    if (which == 0) {  // thrown backwards
        const float fall = ramp(t, 0.05f, 0.75f);
        const float bounce = std::sin(ramp(t, 0.75f, 1.0f) * kGenPi) * 0.08f;
        lo.body.pitch = -deg(88) * fall + bounce;
        lo.fallRise = 4.5f * fall;
        lo.left = {deg(25) * fall, deg(8), deg(35) * std::sin(fall * kGenPi) + deg(8), 0};
        lo.right = {deg(10) * fall, deg(12), deg(20) * std::sin(fall * kGenPi) + deg(4), 0};
        up.left = {deg(20 + 130 * fall), deg(20 + 50 * fall), deg(30) * (1 - fall) + deg(10)};
        up.right = {deg(20 + 120 * fall), deg(-20 - 60 * fall), deg(20)};
        up.lean = -deg(15) * std::sin(fall * kGenPi);
    } else if (which == 1) {  // knees buckle, then face down
        const float kneel = ramp(t, 0.0f, 0.35f);
        const float fall = ramp(t, 0.35f, 0.85f);
        lo.body.pitch = deg(86) * fall;
        lo.fallRise = -9.0f * kneel * (1 - fall) + 4.0f * fall;
        const float knee = deg(95) * kneel * (1 - fall) + deg(10) * fall;
        lo.left = {deg(45) * kneel * (1 - fall), 0, knee, 0};
        lo.right = {deg(40) * kneel * (1 - fall), 0, knee, 0};
        up.lean = deg(25) * kneel * (1 - fall);
        up.left = {deg(60) * kneel + deg(80) * fall, deg(30), deg(40) * (1 - fall)};
        up.right = {deg(60) * kneel + deg(70) * fall, deg(-30), deg(40) * (1 - fall)};
    } else {  // spun round, collapsing sideways
        const float spin = ramp(t, 0.0f, 0.6f);
        const float fall = ramp(t, 0.25f, 0.85f);
        lo.body.yaw = deg(200) * spin;
        lo.body.roll = deg(85) * fall;
        lo.fallRise = 4.0f * fall;
        lo.left = {deg(30) * fall, deg(10), deg(50) * fall, 0};
        lo.right = {-deg(10) * fall, deg(5), deg(20) * fall, 0};
        up.twist = deg(30) * std::sin(spin * kGenPi);
        up.left = {deg(30), deg(30 + 70 * fall), deg(20)};
        up.right = {deg(90) * fall, deg(-40), deg(60) * (1 - fall)};
    }
    up.body = lo.body;
}

void torsoPose(const std::string& name, float t, float phase, UpperPose& up) {
    up.right = holdGunRight();
    up.left = holdGunLeft();
    const float w = 2.0f * kGenPi * phase;
    if (name == "TORSO_GESTURE") {  // wave the free arm over the head
        const float raise = ramp(t, 0.0f, 0.2f) * (1 - ramp(t, 0.8f, 1.0f));
        up.left = {deg(48 + 112 * raise), deg(22 + 10 * raise), deg(62 - 20 * raise + 35 * raise * std::sin(t * 6 * 2 * kGenPi))};
        up.twist = -deg(15) * raise;
        up.lean = -deg(5) * raise;
    } else if (name == "TORSO_ATTACK") {  // recoil
        const float kick = std::sin(std::min(t * 2.5f, 1.0f) * kGenPi) * (1 - t * 0.3f);
        up.right = {deg(80 + 15 * kick), deg(-5), deg(10 + 25 * kick)};
        up.left = {deg(72 + 10 * kick), deg(25), deg(45 + 15 * kick)};
        up.lean = -deg(10) * kick;
    } else if (name == "TORSO_ATTACK2") {  // melee swing across the body
        const float wind = ramp(t, 0.0f, 0.3f), swing = ramp(t, 0.3f, 0.7f), back = ramp(t, 0.7f, 1.0f);
        up.twist = deg(-45) * wind * (1 - swing) + deg(50) * swing * (1 - back);
        up.right = {deg(55 + 60 * wind - 40 * swing), deg(-8 - 50 * wind + 40 * swing), deg(45 - 30 * swing)};
        up.lean = deg(12) * swing * (1 - back);
    } else if (name == "TORSO_DROP" || name == "TORSO_RAISE") {  // weapon down out of sight, or back up
        const float down = name == "TORSO_DROP" ? ease(t) : 1 - ease(t);
        up.right = {deg(55 - 75 * down), deg(-8 - 10 * down), deg(45 - 30 * down)};
        up.left = {deg(48 - 55 * down), deg(22 - 10 * down), deg(62 - 45 * down)};
        up.lean = deg(12) * down;
    } else if (name == "TORSO_STAND") {  // breathing, the weapon rising and falling with it
        up.lean = deg(4) * std::sin(w);
        up.twist = deg(3) * std::cos(w);
        up.right.elbow += deg(10) * std::sin(w);
        up.left.elbow += deg(10) * std::sin(w);
    } else if (name == "TORSO_STAND2") {  // weapon at the hip, looking around
        up.right = {deg(25), deg(-12), deg(60)};
        up.left = {deg(5), deg(12), deg(15)};
        up.twist = deg(18) * std::sin(w);
        up.lean = deg(2) * std::cos(w);
    }
}

void legsPose(const std::string& name, float t, float phase, LowerPose& lo) {
    const float w = 2.0f * kGenPi * phase;
    lo.left = standLeg();
    lo.right = standLeg();
    auto gait = [&](float swing, float kneeBase, float kneeSwing, float dir) {
        for (int side = 0; side < 2; ++side) {
            const float p = w + (side ? kGenPi : 0.0f);
            LegPose& leg = side ? lo.right : lo.left;
            leg.hipPitch = dir * swing * std::sin(p);
            leg.knee = kneeBase + kneeSwing * std::max(0.0f, dir * std::cos(p));
            leg.hipRoll = deg(3);
            leg.footPitch = -0.3f * leg.hipPitch * dir;
        }
    };
    if (name == "LEGS_WALK") {
        gait(deg(26), deg(6), deg(42), 1);
    } else if (name == "LEGS_BACK") {
        gait(deg(22), deg(6), deg(38), -1);
    } else if (name == "LEGS_RUN") {
        gait(deg(45), deg(15), deg(85), 1);
        lo.lift = 1.8f * std::abs(std::sin(w));
    } else if (name == "LEGS_WALKCR") {
        gait(deg(22), deg(65), deg(30), 1);
        lo.left.hipPitch += deg(45);
        lo.right.hipPitch += deg(45);
    } else if (name == "LEGS_SWIM") {
        lo.onGround = false;
        lo.lift = 2.0f;
        for (int side = 0; side < 2; ++side) {
            LegPose& leg = side ? lo.right : lo.left;
            const float p = w * 2 + (side ? kGenPi : 0.0f);
            leg = {deg(-10) + deg(18) * std::sin(p), deg(4), deg(20) + deg(15) * std::sin(p + 1.0f), deg(40)};
        }
    } else if (name == "LEGS_JUMP" || name == "LEGS_JUMPB") {
        const float back = name == "LEGS_JUMPB" ? -1.0f : 1.0f;
        const float crouch = ramp(t, 0.0f, 0.2f) * (1 - ramp(t, 0.2f, 0.35f));
        const float air = ramp(t, 0.2f, 0.45f) * (1 - ramp(t, 0.7f, 1.0f));
        const float tuck = std::sin(std::clamp((t - 0.25f) / 0.6f, 0.0f, 1.0f) * kGenPi);
        lo.onGround = false;
        lo.lift = -6.0f * crouch + 14.0f * air;
        for (int side = 0; side < 2; ++side) {
            LegPose& leg = side ? lo.right : lo.left;
            leg.hipPitch = deg(40) * crouch + back * deg(55) * tuck + deg(side ? -8.0f : 8.0f) * tuck;
            leg.knee = deg(80) * crouch + deg(95) * tuck;
            leg.hipRoll = deg(4);
        }
    } else if (name == "LEGS_LAND" || name == "LEGS_LANDB") {
        const float absorb = 1 - ease(t);
        for (int side = 0; side < 2; ++side) {
            LegPose& leg = side ? lo.right : lo.left;
            leg.hipPitch = deg(45) * absorb + deg(2);
            leg.knee = deg(85) * absorb + deg(4);
            leg.hipRoll = deg(4);
        }
        if (name == "LEGS_LANDB") lo.right.hipPitch -= deg(25) * absorb;
    } else if (name == "LEGS_IDLE") {
        const float shift = std::sin(w);
        lo.left.knee = deg(4) + deg(22) * std::max(0.0f, shift);
        lo.right.knee = deg(4) + deg(22) * std::max(0.0f, -shift);
        lo.left.hipPitch = deg(2) + deg(10) * std::max(0.0f, shift);
        lo.right.hipPitch = deg(2) + deg(10) * std::max(0.0f, -shift);
        lo.body.roll = deg(4) * shift;  // a sway of the hips; legs only, the torso keeps upright
    } else if (name == "LEGS_IDLECR") {
        const float bob = std::sin(w);
        for (int side = 0; side < 2; ++side) {
            LegPose& leg = side ? lo.right : lo.left;
            leg.hipPitch = deg(55) + deg(7) * bob;
            leg.knee = deg(100) + deg(14) * bob;
            leg.hipRoll = deg(6);
        }
    } else if (name == "LEGS_TURN") {
        lo.legYaw = deg(25) * std::sin(w);
        lo.left.knee = deg(4) + deg(35) * std::max(0.0f, std::sin(w * 2));
        lo.right.knee = deg(4) + deg(35) * std::max(0.0f, -std::sin(w * 2));
        lo.left.hipPitch = deg(15) * std::max(0.0f, std::sin(w * 2));
        lo.right.hipPitch = deg(15) * std::max(0.0f, -std::sin(w * 2));
    }
}

// ---- skeletons -------------------------------------------------------------------------------

// Bone transforms of the legs: 0 pelvis, then thigh, shin, foot for the left and the right leg.
std::vector<Xform> lowerBones(const Build& d, const LowerPose& pose, Vec3 pelvis) {
    std::vector<Xform> bones(7);
    bones[0] = Xform::translation(pelvis) * pose.body.matrix() * rotZ(pose.legYaw);
    for (int side = 0; side < 2; ++side) {
        const float s = side ? -1.0f : 1.0f;
        const LegPose& leg = side ? pose.right : pose.left;
        const Xform hip = bones[0] * move(0, s * d.hipW, d.hipZ) * rotY(-leg.hipPitch) * rotX(s * leg.hipRoll);
        const Xform knee = hip * move(0, 0, -d.thigh) * rotY(leg.knee);
        const Xform ankle = knee * move(0, 0, -d.shin) * rotY(leg.hipPitch - leg.knee + leg.footPitch);
        bones[1 + side * 3] = hip;
        bones[2 + side * 3] = knee;
        bones[3 + side * 3] = ankle;
    }
    return bones;
}

Vec3 pelvisPosition(const Build& d, const LowerPose& pose) {
    if (!pose.onGround && pose.fallRise == 0 && pose.body.pitch == 0 && pose.body.roll == 0) {
        return {0, 0, kGroundZ + d.restPelvisHeight() + pose.lift};
    }
    if (!pose.onGround) {
        // Pivot the straight body about the ground point below it.
        const Vec3 up = pose.body.matrix().applyDir({0, 0, d.restPelvisHeight()});
        return Vec3{0, 0, kGroundZ} + up + Vec3{0, 0, pose.fallRise + pose.lift};
    }
    const auto bones = lowerBones(d, pose, {0, 0, 0});
    float lowest = 1e9f;
    for (int foot : {3, 6}) {
        for (float x : {-1.5f, 4.5f}) lowest = std::min(lowest, bones[foot].apply({x, 0, -d.footH}).z);
    }
    return {0, 0, kGroundZ - lowest + pose.lift};
}

// Bone transforms of the torso: 0 chest, then upper arm, forearm, hand for left and right.
std::vector<Xform> upperBones(const Build& d, const UpperPose& pose) {
    std::vector<Xform> bones(7);
    bones[0] = pose.body.matrix() * rotZ(pose.twist) * rotY(pose.lean);
    for (int side = 0; side < 2; ++side) {
        const float s = side ? -1.0f : 1.0f;
        const ArmPose& arm = side ? pose.right : pose.left;
        const Xform shoulder = bones[0] * move(0, s * d.shoulderW, d.shoulderZ) * rotY(-arm.pitch) * rotX(s * arm.abduct);
        const Xform elbow = shoulder * move(0, 0, -d.upperArm) * rotY(-arm.elbow);
        const Xform hand = elbow * move(0, 0, -d.foreArm);
        bones[1 + side * 3] = shoulder;
        bones[2 + side * 3] = elbow;
        bones[3 + side * 3] = hand;
    }
    return bones;
}

// ---- geometry --------------------------------------------------------------------------------

Xform faceFront() { return rotZ(kGenPi); }  // puts u = 0.5 of a skin band at +x, the front

void ellipsoid(GenMesh& m, const Xform& at, Vec3 r, SkinBand band, int bone, int slices = kLimbSlices,
               int stacks = kLimbStacks) {
    m.addEllipsoid(at, r, slices, stacks, 0.0f, band.t0, band.t1, bone);
}

GenMesh lowerLegsMesh(const Build& d) {
    GenMesh m;
    ellipsoid(m, move(0, 0, 0.5f) * faceFront(), {5.2f * d.b, 7.2f * d.b, 4.5f}, kLowerPants, 0);
    for (int side = 0; side < 2; ++side) {
        const int base = 1 + side * 3;
        ellipsoid(m, move(0, 0, -d.thigh * 0.5f), {3.3f * d.b, 3.3f * d.b, d.thigh * 0.5f + 1.2f}, kLowerPants, base);
        ellipsoid(m, move(0, 0, -d.shin * 0.45f), {2.7f * d.b, 2.7f * d.b, d.shin * 0.45f + 1.0f}, kLowerPants, base + 1);
    }
    return m;
}

GenMesh lowerBootsMesh(const Build& d) {
    GenMesh m;
    ellipsoid(m, move(0, 0, 3.0f) * faceFront(), {5.6f * d.b, 7.6f * d.b, 1.8f}, kLowerBelt, 0);
    for (int side = 0; side < 2; ++side) {
        const int base = 1 + side * 3;
        ellipsoid(m, move(0, 0, -d.shin + 2.8f), {3.0f * d.b, 3.0f * d.b, 3.4f}, kLowerBoots, base + 1);
        ellipsoid(m, move(1.6f, 0, -1.0f), {4.2f, 2.4f * d.b, 1.3f}, kLowerBoots, base + 2);
    }
    return m;
}

GenMesh upperBodyMesh(const Build& d) {
    GenMesh m;
    ellipsoid(m, move(0, 0, 3.5f) * faceFront(), {4.2f * d.b, 6.2f * d.b, 4.5f}, kUpperArms, 0);
    ellipsoid(m, move(0.3f, 0, 10.0f * d.ht) * faceFront(), {5.2f * d.b, 8.0f * d.b, 6.5f * d.ht}, kUpperChest, 0, 12, 8);
    ellipsoid(m, move(0, 0, 16.8f * d.ht), {2.4f, 2.4f, 2.6f}, kUpperArms, 0, kSmallSlices, kSmallStacks);
    for (int side = 0; side < 2; ++side) {
        const float s = side ? -1.0f : 1.0f;
        const int base = 1 + side * 3;
        ellipsoid(m, move(0, s * 8.3f * d.b, 15.0f * d.ht), {3.8f, 3.6f, 2.6f}, kUpperPads, 0);
        ellipsoid(m, move(0, 0, -d.upperArm * 0.5f), {2.3f * d.b, 2.3f * d.b, d.upperArm * 0.5f + 0.8f}, kUpperArms, base);
        ellipsoid(m, move(0, 0, -d.foreArm * 0.5f), {2.0f * d.b, 2.0f * d.b, d.foreArm * 0.5f + 0.6f}, kUpperArms, base + 1);
        ellipsoid(m, move(0.2f, 0, -1.2f), {1.8f, 1.6f, 2.0f}, kUpperHands, base + 2, kSmallSlices, kSmallStacks);
    }
    return m;
}

GenMesh weaponMesh() {
    GenMesh m;
    const int hand = 6;
    m.addBox(move(1.8f, 0, -4.5f), {1.3f, 1.0f, 5.5f}, 0.0f, 0.0f, 1.0f, 0.8f, hand);
    m.addEllipsoid(move(1.8f, 0, -11.0f), {0.8f, 0.8f, 2.5f}, kSmallSlices, kSmallStacks, 0.0f, 0.8f, 1.0f, hand);
    m.addBox(move(3.4f, 0, -3.0f), {0.5f, 0.6f, 2.0f}, 0.0f, 0.2f, 1.0f, 0.4f, hand);
    return m;
}

GenMesh headMesh(const PlayerStyle& style) {
    GenMesh m;
    const float hs = style.headSize;
    if (style.headGear == 3) {
        // One large eye instead of a face: mapped onto the glowing eye of the face band.
        ellipsoid(m, move(0, 0, 5.0f * hs) * faceFront(), {5.4f * hs, 5.4f * hs, 5.4f * hs}, kHeadHelmet, 0, 12, 8);
        m.addEllipsoid(move(4.2f * hs, 0, 5.5f * hs) * rotY(kGenPi * 0.5f), {2.8f * hs, 2.8f * hs, 1.8f * hs},
                       kSmallSlices, kSmallStacks, 0.42f, 0.30f, 0.32f, 0, 0.02f);
        return m;
    }
    ellipsoid(m, move(0, 0, 5.0f * hs) * faceFront(), {5.0f * hs, 4.6f * hs, 5.6f * hs}, kHeadFace, 0, 12, 8);
    ellipsoid(m, move(-0.8f * hs, 0, 6.8f * hs) * faceFront(), {5.4f * hs, 5.0f * hs, 4.4f * hs}, kHeadHelmet, 0, 12, 6);
    if (style.headGear == 1) {
        m.addBox(move(-0.5f * hs, 0, 11.0f * hs), {4.0f * hs, 0.6f * hs, 1.4f * hs}, 0.45f, kHeadHelmet.t0,
                 0.55f, kHeadHelmet.t1, 0);
    } else if (style.headGear == 2) {
        for (float s : {-1.0f, 1.0f}) {
            const Xform at = move(0, s * 3.6f * hs, 9.5f * hs) * rotX(-s * deg(35));
            ellipsoid(m, at, {1.0f * hs, 1.0f * hs, 3.8f * hs}, kHeadHelmet, 0, kSmallSlices, kSmallStacks);
        }
    }
    return m;
}

// Builds one surface by moving the rest mesh with each frame's bones.
Md3SurfaceData animateSurface(const std::string& name, const std::string& shader, const GenMesh& rest,
                              const std::vector<std::vector<Xform>>& frameBones) {
    Md3SurfaceData s;
    s.name = name;
    s.shader = shader;
    s.st = rest.uvs;
    s.triangles = rest.triangles;
    for (const auto& bones : frameBones) {
        std::vector<Vec3> pos(rest.vertexCount()), nrm(rest.vertexCount());
        for (size_t v = 0; v < rest.vertexCount(); ++v) {
            const Xform& b = bones[static_cast<size_t>(rest.bones[v])];
            pos[v] = b.apply(rest.positions[v]);
            nrm[v] = b.applyDir(rest.normals[v]);
        }
        s.framePositions.push_back(std::move(pos));
        s.frameNormals.push_back(std::move(nrm));
    }
    return s;
}

Md3TagData tagAt(const std::string& name, Vec3 origin) {
    Md3TagData t;
    t.name = name;
    t.origin = origin;
    return t;
}

const PlayerAnimation* findAnimationForFrame(int cfgFrame, const char* prefix) {
    for (const auto& a : PlayerModelBuilder::animations()) {
        if (a.name.rfind(prefix, 0) != 0) continue;
        // DEAD entries overlap the last DEATH frame; the DEATH entry owns it.
        if (a.name.find("DEAD") != std::string::npos) continue;
        if (cfgFrame >= a.firstFrame && cfgFrame < a.firstFrame + a.numFrames) return &a;
    }
    return nullptr;
}

void animationTime(const PlayerAnimation& a, int cfgFrame, float& t, float& phase) {
    const int k = cfgFrame - a.firstFrame;
    t = a.numFrames > 1 ? static_cast<float>(k) / (a.numFrames - 1) : 0.0f;
    phase = static_cast<float>(k) / a.numFrames;  // looping animations: the frame after the last is the first
}

}  // namespace

const std::vector<PlayerAnimation>& PlayerModelBuilder::animations() {
    static const std::vector<PlayerAnimation> table = {
        {"BOTH_DEATH1", 0, 24, 0, 20},    {"BOTH_DEAD1", 23, 1, 0, 20},     {"BOTH_DEATH2", 24, 24, 0, 20},
        {"BOTH_DEAD2", 47, 1, 0, 20},     {"BOTH_DEATH3", 48, 24, 0, 20},   {"BOTH_DEAD3", 71, 1, 0, 20},
        {"TORSO_GESTURE", 72, 32, 0, 16}, {"TORSO_ATTACK", 104, 8, 0, 16},  {"TORSO_ATTACK2", 112, 10, 0, 16},
        {"TORSO_DROP", 122, 6, 0, 16},    {"TORSO_RAISE", 128, 6, 0, 16},   {"TORSO_STAND", 134, 10, 10, 8},
        {"TORSO_STAND2", 144, 10, 10, 8}, {"LEGS_WALKCR", 154, 8, 8, 14},   {"LEGS_WALK", 162, 10, 10, 16},
        {"LEGS_RUN", 172, 8, 8, 18},      {"LEGS_BACK", 180, 10, 10, 16},   {"LEGS_SWIM", 190, 8, 8, 10},
        {"LEGS_JUMP", 198, 10, 0, 16},    {"LEGS_LAND", 208, 6, 0, 16},     {"LEGS_JUMPB", 214, 10, 0, 16},
        {"LEGS_LANDB", 224, 6, 0, 16},    {"LEGS_IDLE", 230, 10, 10, 8},    {"LEGS_IDLECR", 240, 10, 10, 8},
        {"LEGS_TURN", 250, 8, 8, 12},
    };
    return table;
}

int PlayerModelBuilder::bothFrameCount() { return 72; }
int PlayerModelBuilder::torsoFrameCount() { return 154 - 72; }
int PlayerModelBuilder::legsFrameCount() { return 258 - 154; }

const std::vector<PlayerStyle>& PlayerModelBuilder::styles() {
    // name, palette {cloth, armour, trim, skin, glow}, height, bulk, head size, head gear
    static const std::vector<PlayerStyle> table = {
        {"anarki", {{0.20f, 0.20f, 0.28f}, {0.55f, 0.20f, 0.65f}, {0.95f, 0.85f, 0.10f}, {0.85f, 0.66f, 0.52f}, {0.2f, 1.0f, 0.4f}}, 0.85f, 0.85f, 1.10f, 1},
        {"biker", {{0.15f, 0.12f, 0.10f}, {0.40f, 0.30f, 0.22f}, {0.75f, 0.75f, 0.78f}, {0.80f, 0.60f, 0.46f}, {1.0f, 0.5f, 0.1f}}, 1.00f, 1.10f, 1.00f, 0},
        {"bitterman", {{0.25f, 0.30f, 0.22f}, {0.45f, 0.45f, 0.48f}, {0.80f, 0.20f, 0.15f}, {0.78f, 0.58f, 0.45f}, {1.0f, 0.2f, 0.1f}}, 1.05f, 1.20f, 0.95f, 0},
        {"bones", {{0.85f, 0.83f, 0.75f}, {0.70f, 0.68f, 0.62f}, {0.30f, 0.28f, 0.26f}, {0.92f, 0.90f, 0.82f}, {1.0f, 0.1f, 0.0f}}, 1.05f, 0.70f, 1.00f, 2},
        {"doom", {{0.20f, 0.30f, 0.15f}, {0.30f, 0.55f, 0.22f}, {0.60f, 0.60f, 0.55f}, {0.80f, 0.62f, 0.50f}, {1.0f, 0.8f, 0.2f}}, 1.00f, 1.15f, 1.00f, 0},
        {"grunt", {{0.35f, 0.30f, 0.20f}, {0.50f, 0.42f, 0.28f}, {0.20f, 0.20f, 0.20f}, {0.72f, 0.52f, 0.40f}, {0.9f, 0.9f, 0.3f}}, 0.95f, 1.30f, 0.90f, 0},
        {"hunter", {{0.30f, 0.22f, 0.15f}, {0.55f, 0.45f, 0.30f}, {0.85f, 0.80f, 0.65f}, {0.70f, 0.55f, 0.45f}, {0.3f, 0.9f, 1.0f}}, 1.05f, 0.90f, 1.00f, 2},
        {"keel", {{0.25f, 0.28f, 0.35f}, {0.55f, 0.58f, 0.65f}, {0.20f, 0.60f, 0.90f}, {0.60f, 0.62f, 0.68f}, {0.3f, 0.7f, 1.0f}}, 1.00f, 1.05f, 1.05f, 1},
        {"klesk", {{0.40f, 0.45f, 0.10f}, {0.70f, 0.65f, 0.10f}, {0.20f, 0.25f, 0.05f}, {0.55f, 0.60f, 0.20f}, {1.0f, 0.2f, 0.2f}}, 1.10f, 0.80f, 1.20f, 2},
        {"lucy", {{0.55f, 0.15f, 0.25f}, {0.30f, 0.25f, 0.30f}, {0.90f, 0.80f, 0.85f}, {0.88f, 0.70f, 0.58f}, {1.0f, 0.4f, 0.7f}}, 1.00f, 0.95f, 1.00f, 0},
        {"major", {{0.30f, 0.35f, 0.40f}, {0.60f, 0.20f, 0.18f}, {0.85f, 0.85f, 0.80f}, {0.82f, 0.63f, 0.50f}, {1.0f, 0.9f, 0.5f}}, 1.00f, 1.00f, 0.95f, 1},
        {"mynx", {{0.15f, 0.15f, 0.18f}, {0.60f, 0.10f, 0.12f}, {0.80f, 0.75f, 0.20f}, {0.86f, 0.68f, 0.56f}, {0.9f, 0.1f, 0.9f}}, 0.95f, 0.85f, 0.95f, 0},
        {"orbb", {{0.30f, 0.30f, 0.32f}, {0.70f, 0.70f, 0.72f}, {0.30f, 0.60f, 0.30f}, {0.70f, 0.70f, 0.72f}, {1.0f, 0.1f, 0.1f}}, 0.70f, 1.10f, 1.45f, 3},
        {"ranger", {{0.22f, 0.28f, 0.40f}, {0.35f, 0.40f, 0.55f}, {0.85f, 0.70f, 0.30f}, {0.80f, 0.60f, 0.48f}, {0.4f, 0.8f, 1.0f}}, 1.00f, 1.00f, 1.00f, 0},
        {"razor", {{0.20f, 0.18f, 0.15f}, {0.55f, 0.52f, 0.48f}, {0.80f, 0.15f, 0.10f}, {0.75f, 0.56f, 0.45f}, {1.0f, 0.3f, 0.1f}}, 1.10f, 1.10f, 0.95f, 2},
        {"sarge", {{0.25f, 0.32f, 0.18f}, {0.40f, 0.45f, 0.25f}, {0.65f, 0.55f, 0.30f}, {0.78f, 0.58f, 0.46f}, {0.9f, 0.9f, 0.4f}}, 1.00f, 1.20f, 1.00f, 0},
        {"slash", {{0.40f, 0.10f, 0.35f}, {0.20f, 0.65f, 0.70f}, {0.95f, 0.90f, 0.30f}, {0.88f, 0.72f, 0.60f}, {0.3f, 1.0f, 0.9f}}, 0.90f, 0.85f, 1.00f, 1},
        {"sorlag", {{0.20f, 0.40f, 0.20f}, {0.45f, 0.30f, 0.15f}, {0.80f, 0.70f, 0.30f}, {0.35f, 0.60f, 0.30f}, {1.0f, 0.9f, 0.1f}}, 0.95f, 1.05f, 1.15f, 2},
        {"tankjr", {{0.35f, 0.35f, 0.30f}, {0.50f, 0.50f, 0.45f}, {0.90f, 0.60f, 0.10f}, {0.60f, 0.58f, 0.55f}, {1.0f, 0.4f, 0.0f}}, 1.05f, 1.45f, 0.85f, 1},
        {"uriel", {{0.55f, 0.45f, 0.25f}, {0.85f, 0.70f, 0.30f}, {0.95f, 0.95f, 0.90f}, {0.70f, 0.72f, 0.75f}, {0.6f, 0.9f, 1.0f}}, 1.10f, 0.95f, 1.05f, 2},
        {"visor", {{0.25f, 0.20f, 0.35f}, {0.45f, 0.35f, 0.60f}, {0.70f, 0.70f, 0.75f}, {0.65f, 0.55f, 0.60f}, {1.0f, 0.2f, 0.2f}}, 1.05f, 1.10f, 1.00f, 1},
        {"xaero", {{0.12f, 0.10f, 0.10f}, {0.45f, 0.08f, 0.08f}, {0.70f, 0.65f, 0.60f}, {0.80f, 0.75f, 0.72f}, {1.0f, 0.0f, 0.0f}}, 1.05f, 0.90f, 1.00f, 2},
    };
    return table;
}

std::string PlayerModelBuilder::animationConfig(const PlayerStyle& style) {
    std::ostringstream out;
    out << "// animation config file for models/players/" << style.name << "\n";
    out << "\n";
    out << "sex m\n";
    out << "footsteps boot\n";
    out << "headoffset 0 0 0\n";
    out << "\n";
    out << "// first frame, num frames, looping frames, frames per second\n";
    out << "\n";
    std::string previousGroup;
    for (const auto& a : animations()) {
        const std::string group = a.name.substr(0, a.name.find('_'));
        if (!previousGroup.empty() && group != previousGroup) out << "\n";
        previousGroup = group;
        out << a.firstFrame << "\t" << a.numFrames << "\t" << a.loopingFrames << "\t" << a.fps << "\t\t// "
            << a.name << "\n";
    }
    return out.str();
}

PlayerModel PlayerModelBuilder::build(const PlayerStyle& style, bool allFrames) {
    const Build d = dimensions(style);
    PlayerModel model;
    model.directory = "models/players/" + style.name;
    const std::string dir = model.directory + "/";
    const int torsoShift = torsoFrameCount();

    // Poses of every frame of both keyframed parts.
    std::vector<std::vector<Xform>> lowerFrames, upperFrames;
    std::vector<Vec3> torsoTag;
    const int lowerPoses = allFrames ? lowerFrameCount() : 1;
    const int upperPoses = allFrames ? upperFrameCount() : 1;
    for (int f = 0; f < lowerPoses; ++f) {
        LowerPose lo;
        UpperPose up;
        float t = 0, phase = 0;
        if (f < bothFrameCount()) {
            const PlayerAnimation* a = findAnimationForFrame(f, "BOTH_");
            animationTime(*a, f, t, phase);
            deathPose(f / 24, t, lo, up);
        } else {
            const PlayerAnimation* a = findAnimationForFrame(f + torsoShift, "LEGS_");
            animationTime(*a, f + torsoShift, t, phase);
            legsPose(a->name, t, phase, lo);
        }
        const Vec3 pelvis = pelvisPosition(d, lo);
        const auto bones = lowerBones(d, lo, pelvis);
        lowerFrames.push_back(bones);
        // The torso hangs at the waist, moved by the pelvis but not turned by it.
        torsoTag.push_back((Xform::translation(pelvis) * lo.body.matrix()).apply({0, 0, 2.0f}));
    }
    std::vector<Vec3> headTag, weaponTag;
    for (int f = 0; f < upperPoses; ++f) {
        LowerPose lo;
        UpperPose up;
        float t = 0, phase = 0;
        if (f < bothFrameCount()) {
            const PlayerAnimation* a = findAnimationForFrame(f, "BOTH_");
            animationTime(*a, f, t, phase);
            deathPose(f / 24, t, lo, up);
        } else {
            const PlayerAnimation* a = findAnimationForFrame(f, "TORSO_");
            animationTime(*a, f, t, phase);
            torsoPose(a->name, t, phase, up);
        }
        const auto bones = upperBones(d, up);
        upperFrames.push_back(bones);
        headTag.push_back(bones[0].apply({0, 0, d.neckZ}));
        weaponTag.push_back(bones[6].apply({0, 0, 0}));
    }

    model.lower.name = dir + "lower.md3";
    model.lower.frameCount = lowerFrameCount();
    model.lower.tagNames = {"tag_torso"};
    for (int f = 0; f < lowerPoses; ++f) model.lower.frameTags.push_back({tagAt("tag_torso", torsoTag[f])});
    model.lower.surfaces.push_back(animateSurface("l_legs", dir + "lower.tga", lowerLegsMesh(d), lowerFrames));
    model.lower.surfaces.push_back(animateSurface("l_boots", dir + "lower.tga", lowerBootsMesh(d), lowerFrames));

    model.upper.name = dir + "upper.md3";
    model.upper.frameCount = upperFrameCount();
    model.upper.tagNames = {"tag_head", "tag_weapon", "tag_torso"};
    for (int f = 0; f < upperPoses; ++f) {
        model.upper.frameTags.push_back(
            {tagAt("tag_head", headTag[f]), tagAt("tag_weapon", weaponTag[f]), tagAt("tag_torso", {0, 0, 0})});
    }
    model.upper.surfaces.push_back(animateSurface("u_torso", dir + "upper.tga", upperBodyMesh(d), upperFrames));
    model.upper.surfaces.push_back(animateSurface("u_weapon", dir + "weapon.tga", weaponMesh(), upperFrames));

    model.head.name = dir + "head.md3";
    model.head.frameCount = 1;
    model.head.tagNames = {"tag_head"};
    model.head.frameTags.push_back({tagAt("tag_head", {0, 0, 0})});
    model.head.surfaces.push_back(animateSurface("h_head", dir + "head.tga", headMesh(style), {{Xform()}}));

    model.animationConfig = animationConfig(style);
    if (!allFrames) return model;
    model.lowerSkin = TextureSynthesis::playerLower(style.palette, 128);
    model.upperSkin = TextureSynthesis::playerUpper(style.palette, 128);
    model.headSkin = TextureSynthesis::playerHead(style.palette, 128);
    model.weaponSkin = TextureSynthesis::playerWeapon(style.palette, 64);
    return model;
}
