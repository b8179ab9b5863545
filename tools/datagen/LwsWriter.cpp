#include "tools/datagen/LwsWriter.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/datagen/DecimalText.h"

void LwsWriter::alignGroups(LwsObject& object) {
    for (int group = 0; group < 9; group += 3) {
        std::vector<float> times;
        for (int c = group; c < group + 3; ++c)
            for (const LwsKey& k : object.channels[c]) times.push_back(k.timeS);
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        for (int c = group; c < group + 3; ++c) {
            const std::vector<LwsKey> own = object.channels[c];
            if (own.empty()) continue;
            std::vector<LwsKey> aligned;
            for (float t : times) {
                auto hit = std::find_if(own.begin(), own.end(), [&](const LwsKey& k) { return k.timeS == t; });
                if (hit != own.end()) {
                    aligned.push_back(*hit);
                    continue;
                }
                auto after = std::find_if(own.begin(), own.end(), [&](const LwsKey& k) { return k.timeS > t; });
                float value;
                if (after == own.begin()) value = own.front().value;
                else if (after == own.end()) value = own.back().value;
                else {
                    const LwsKey& a = *(after - 1);
                    value = a.value + (after->value - a.value) * (t - a.timeS) / (after->timeS - a.timeS);
                }
                aligned.push_back({t, value, 0.0f, 0.0f});
            }
            object.channels[c] = aligned;
        }
    }
}

std::string LwsWriter::itemNumber(int index) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "1%07X", static_cast<unsigned>(index));
    return buf;
}

std::vector<LwsKey> LwsWriter::smoothKeys(const std::vector<std::pair<float, float>>& tv) {
    std::vector<LwsKey> keys;
    for (size_t i = 0; i < tv.size(); ++i) {
        LwsKey k{tv[i].first, tv[i].second, 0, 0};
        if (i > 0 && i + 1 < tv.size()) {
            const float slope = (tv[i + 1].second - tv[i - 1].second) / (tv[i + 1].first - tv[i - 1].first);
            k.inTangent = slope * (tv[i].first - tv[i - 1].first);
            k.outTangent = slope * (tv[i + 1].first - tv[i].first);
        }
        keys.push_back(k);
    }
    return keys;
}

float LwsWriter::valueAt(const std::vector<LwsKey>& keys, float timeS) {
    if (keys.empty()) return 0.0f;
    if (timeS <= keys.front().timeS) return keys.front().value;
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        const LwsKey& a = keys[i];
        const LwsKey& b = keys[i + 1];
        if (timeS > b.timeS) continue;
        const float u = (timeS - a.timeS) / (b.timeS - a.timeS);
        const float u2 = u * u, u3 = u2 * u;
        return a.value * (2 * u3 - 3 * u2 + 1) + b.value * (3 * u2 - 2 * u3) + a.outTangent * (u3 - 2 * u2 + u) +
               b.inTangent * (u3 - u2);
    }
    return keys.back().value;
}

Xform LwsWriter::poseAt(const LwsObject& o, float timeS) {
    auto value = [&](int channel) { return valueAt(o.channels[channel], timeS); };
    return Xform::translation({value(0), value(1), value(2)}) * Xform::rotation({0, 0, 1}, value(5)) *
           Xform::rotation({1, 0, 0}, value(4)) * Xform::rotation({0, 1, 0}, value(3));
}

Vec3 LwsWriter::scaleAt(const LwsObject& o, float timeS) {
    return {valueAt(o.channels[6], timeS), valueAt(o.channels[7], timeS), valueAt(o.channels[8], timeS)};
}

std::string LwsWriter::write(const std::vector<LwsObject>& objects, int lastFrame, int fps) {
    std::ostringstream out;
    out << "LWSC\n3\n\n";
    out << "FirstFrame 0\nLastFrame " << lastFrame << "\nFrameStep 1\nPreviewFirstFrame 0\nPreviewLastFrame "
        << lastFrame << "\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond " << fps << "\n\n";
    for (size_t i = 0; i < objects.size(); ++i) {
        const LwsObject& o = objects[i];
        out << "LoadObjectLayer 1 " << o.file << "\n";
        out << "ShowObject 6 7\n";
        out << "ObjectMotion\n";
        out << "NumChannels 9\n";
        for (int c = 0; c < 9; ++c) {
            out << "Channel " << c << "\n";
            out << "{ Envelope\n";
            out << "  " << o.channels[c].size() << "\n";
            for (const LwsKey& k : o.channels[c]) {
                out << "  Key " << decimalText(k.value) << " " << decimalText(k.timeS) << " 0 0 0 0 " << decimalText(k.inTangent)
                    << " " << decimalText(k.outTangent) << " 0\n";
            }
            out << "  Behaviors 1 1\n";
            out << "}\n";
        }
        if (o.parent >= 0) out << "ParentItem " << itemNumber(o.parent) << "\n";
        out << "ShadowOptions 7\n\n";
    }
    out << "AmbientColor 1 1 1\nAmbientIntensity 0.25\n";
    return out.str();
}
