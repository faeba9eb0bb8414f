// Scene text builders: every test spells out the LightWave scene it feeds in.
//
//   lws({"LastFrame 60", "LoadObject box.lwo"}) +
//   envelope("ObjectMotion", {key(1, 2, 3).frame(0)})
#pragma once

#include "converter/import/scene_text.h"

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace kzotest {

struct Lws {
    std::string text;
};

inline Lws lws(std::initializer_list<std::string> lines) {
    Lws s;
    for (const auto& l : lines) {
        s.text += l;
        s.text += '\n';
    }
    return s;
}

inline Lws operator+(Lws a, const Lws& b) {
    a.text += b.text;
    return a;
}

// One key: nine values (position, heading, pitch, bank, scale) and its frame.
struct Key {
    float v[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    int frameNumber = 0;
    Key& frame(int f) {
        frameNumber = f;
        return *this;
    }
    Key& hpb(float h, float p, float b) {
        v[3] = h;
        v[4] = p;
        v[5] = b;
        return *this;
    }
    Key& scale(float x, float y, float z) {
        v[6] = x;
        v[7] = y;
        v[8] = z;
        return *this;
    }
};

inline Key key(float x, float y, float z) {
    Key k;
    k.v[0] = x;
    k.v[1] = y;
    k.v[2] = z;
    return k;
}

// An envelope as LightWave writes it: keyword, channel count, key count, and
// per key a value line and a line starting with the frame number.
inline Lws envelope(const std::string& keyword, std::initializer_list<Key> keys) {
    std::ostringstream out;
    out << keyword << "\n9\n" << keys.size() << "\n";
    for (const Key& k : keys) {
        for (int i = 0; i < 9; ++i) {
            out << (i ? " " : "") << k.v[i];
        }
        out << "\n" << k.frameNumber << " 0 0.0 0.0 0.0\n";
    }
    return Lws{out.str()};
}

inline kzo::SceneText sceneOf(const Lws& s, std::string path = "test.lws") {
    return kzo::makeSceneText(std::move(path), s.text);
}

} // namespace kzotest
