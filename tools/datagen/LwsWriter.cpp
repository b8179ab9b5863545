#include "tools/datagen/LwsWriter.h"

#include <cstdio>
#include <sstream>

namespace {

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

}  // namespace

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
                out << "  Key " << number(k.value) << " " << number(k.timeS) << " 0 0 0 0 " << number(k.inTangent)
                    << " " << number(k.outTangent) << " 0\n";
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
