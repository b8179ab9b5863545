#pragma once

#include "tools/datagen/GenMath.h"

#include <string>
#include <vector>

struct LwsKey {
    float timeS;
    float value;
    float inTangent;
    float outTangent;
};

struct LwsObject {
    std::string file;                  // object file name, looked up beside the scene
    std::vector<LwsKey> channels[9];   // position x y z, heading pitch bank (radians), scale x y z
    int parent = -1;                   // index of the parent object
};

// LightWave scene text, "LWSC" version 3: per object a "LoadObjectLayer" line, an "ObjectMotion"
// block of nine "Channel" envelopes whose "Key" lines hold value, time, span type and five
// parameters (the fourth and fifth being the incoming and outgoing tangents), and a "ParentItem"
// line for children. Parentless objects are written after every child so that each "ParentItem"
// directly follows its object's channels.
class LwsWriter {
public:
    static std::string write(const std::vector<LwsObject>& objects, int lastFrame, int framesPerSecond);

    // Catmull-Rom style tangents in value units per span, zero at both ends.
    static std::vector<LwsKey> smoothKeys(const std::vector<std::pair<float, float>>& timeValue);

    // Gives the three channels of each group (position, rotation, scale) keys at the same times:
    // readers merge a group's keys by time and take 0 for a component without a key there, which
    // would flatten, say, a constant scale of 1 to 0 between the other components' keys. Missing
    // keys get the channel's value there (linear between its own keys) and flat tangents.
    static void alignGroups(LwsObject& object);

    // The item number a "ParentItem" line gives for object `index`: 1 then seven hex digits.
    static std::string itemNumber(int index);

    // The channel's value at `timeS` as readers play it: the cubic Hermite curve of each span
    // (value0·h1 + value1·h2 + out0·h3 + in1·h4), the first or last value outside the keys.
    static float valueAt(const std::vector<LwsKey>& keys, float timeS);
    // The object's own transform at `timeS` (its position, then bank about z, pitch about x and
    // heading about y) and its scale, as a reader applies them to the object's node.
    static Xform poseAt(const LwsObject& object, float timeS);
    static Vec3 scaleAt(const LwsObject& object, float timeS);
};
