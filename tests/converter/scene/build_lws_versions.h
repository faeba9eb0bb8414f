// One scene spelled in the layout of each LightWave scene version: version 1
// keys by frame with angles in degrees and colours 0..255; version 2 per
// channel in seconds; version 3 in channel envelope blocks with radians and
// colours 0..1; versions 4 and 5 with ids on the item lines as well.
//
//   SceneOutline outline; outline.objects.push_back({...}); sceneInVersion(outline, 3)
#pragma once

#include "tests/converter/scene/build_lws.h"

#include <array>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace kzotest {

struct SpecObject {
    std::string path; // empty for a null object
    std::array<float, 3> pivot{};
    int parent = 0; // object number from 1, 0 for none
    std::vector<Key> keys;
    std::uint32_t id = 0; // version 4 on; 0 gives 0x10000000 + ordinal
};

struct SpecLight {
    int type = 1;
    std::array<int, 3> color{255, 255, 255};
    float intensity = 1.0f;
    float range = -1.0f;
    float cone = 0.0f;
    float edge = 0.0f;
    Key key;
};

struct SceneOutline {
    int lastFrame = 60;
    double framesPerSecond = 30.0;
    std::vector<SpecObject> objects;
    std::vector<SpecLight> lights;
    std::array<int, 3> ambient{255, 255, 255};
    float ambientIntensity = 1.0f;
    std::vector<Key> cameraKeys;
    // Object numbers from 1. A version 1 camera's ParentObject line also adds
    // a pivot, as every ParentObject line there does.
    int cameraParent = 0;
    int cameraTarget = 0;
};

// Shortest text that reads back as the same float.
inline std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(v)));
    return text;
}

inline std::string hexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

namespace lwsdetail {

// Version 3 numbers items by their order; later versions declare the ids.
inline std::uint32_t objectId(const SceneOutline& outline, int number, int version) {
    const SpecObject& o = outline.objects[std::size_t(number - 1)];
    return o.id && version >= 4 ? o.id : 0x10000000u + std::uint32_t(number - 1);
}

// The value of channel c of a key in the version's units.
inline double channelValue(const Key& k, int c, int version) {
    const bool angle = c >= 3 && c <= 5;
    return angle && version >= 3 ? k.v[c] * (std::numbers::pi / 180.0) : k.v[c];
}

inline std::string motion(const std::string& keyword, const std::vector<Key>& keys,
                          const SceneOutline& outline, int version) {
    std::string out = keyword;
    if (version == 1) {
        out += " (unnamed)\n9\n" + std::to_string(keys.size()) + "\n";
        for (const Key& k : keys) {
            for (int c = 0; c < 9; ++c) {
                out += (c ? " " : "") + num(k.v[c]);
            }
            out += "\n" + std::to_string(k.frameNumber) + " 0 0.0 0.0 0.0\n";
        }
        return out + "EndBehavior 1\n";
    }
    out += version == 2 ? " (unnamed)\n  9\n" : "\nNumChannels 9\n";
    for (int c = 0; c < 9; ++c) {
        if (version == 2) {
            out += "  " + std::to_string(keys.size()) + "\n";
        } else {
            out += "Channel " + std::to_string(c) + "\n{ Envelope\n  " +
                   std::to_string(keys.size()) + "\n";
        }
        for (const Key& k : keys) {
            const std::string value = num(channelValue(k, c, version));
            const std::string time = num(k.frameNumber / outline.framesPerSecond);
            out += version == 2 ? "  " + value + " " + time + " 0 0 0 0\n"
                                : "  Key " + value + " " + time + " 0 0 0 0 0 0 0\n";
        }
        out += version == 2 ? "" : "  Behaviors 1 1\n}\n";
    }
    return out;
}

inline std::string parentLine(const SceneOutline& outline, int number, int version,
                              const char* oldKeyword, const char* newKeyword) {
    if (number == 0) {
        return "";
    }
    return version <= 2
               ? std::string(oldKeyword) + " " + std::to_string(number) + "\n"
               : std::string(newKeyword) + " " + hexId(objectId(outline, number, version)) + "\n";
}

inline std::string colour(const std::array<int, 3>& c, int version) {
    std::string out;
    for (int i = 0; i < 3; ++i) {
        out += " " + (version >= 3 ? num(c[i] / 255.0) : std::to_string(c[i]));
    }
    return out + "\n";
}

} // namespace lwsdetail

inline Lws sceneInVersion(const SceneOutline& outline, int version) {
    using namespace lwsdetail;
    std::string out = "LWSC\n" + std::to_string(version) + "\n\nFirstFrame 1\nLastFrame " +
                      std::to_string(outline.lastFrame) + "\nFrameStep 1\n";
    if (version >= 2) {
        out += "FramesPerSecond " + num(outline.framesPerSecond) + "\n";
    }
    for (std::size_t i = 0; i < outline.objects.size(); ++i) {
        const SpecObject& o = outline.objects[i];
        const std::string id =
            version >= 4 ? hexId(objectId(outline, int(i + 1), version)) + " " : "";
        if (o.path.empty()) {
            out += "AddNullObject " + id + "Null\n";
        } else if (version <= 2) {
            out += "LoadObject " + o.path + "\n";
        } else {
            out += "LoadObjectLayer 1 " + id + o.path + "\n";
        }
        out += "ShowObject 6 7\n" + motion("ObjectMotion", o.keys, outline, version);
        // Version 1 reads the line behind PivotPoint as its ParentObject line,
        // whatever it holds.
        out += (version <= 2 ? "PivotPoint " : "PivotPosition ") + num(o.pivot[0]) + " " +
               num(o.pivot[1]) + " " + num(o.pivot[2]) + "\n";
        const std::string parent =
            parentLine(outline, o.parent, version, "ParentObject", "ParentItem");
        out += parent.empty() ? "ShadowOptions 7\n" : parent;
    }
    out += "AmbientColor" + colour(outline.ambient, version);
    out += (version <= 2 ? "AmbIntensity " : "AmbientIntensity ") + num(outline.ambientIntensity) +
           "\n";
    for (std::size_t i = 0; i < outline.lights.size(); ++i) {
        const SpecLight& l = outline.lights[i];
        out += "AddLight" + (version >= 4 ? " " + hexId(0x20000000u + std::uint32_t(i)) : "") +
               "\nLightName Light\n" + motion("LightMotion", {l.key}, outline, version);
        out += "LightColor" + colour(l.color, version);
        out += (version <= 2 ? "LgtIntensity " : "LightIntensity ") + num(l.intensity) + "\n";
        out += "LightType " + std::to_string(l.type) + "\n";
        if (l.range >= 0.0f) {
            out += version <= 2 ? "" : "LightFalloffType 1\n";
            out += "LightRange " + num(l.range) + "\n";
        }
        out += (version == 1 ? "ConeAngle " : "LightConeAngle ") + num(l.cone) + "\n";
        out += (version == 1 ? "EdgeAngle " : "LightEdgeAngle ") + num(l.edge) + "\n";
    }
    if (version >= 3) {
        out += "AddCamera" + (version >= 4 ? std::string(" 30000000") : "") + "\nCameraName C\n";
    }
    out += "ShowCamera 1 2\n" + motion("CameraMotion", outline.cameraKeys, outline, version);
    out += parentLine(outline, outline.cameraParent, version, "ParentObject", "ParentItem");
    out += parentLine(outline, outline.cameraTarget, version, "TargetObject", "TargetItem");
    return Lws{out};
}

} // namespace kzotest
