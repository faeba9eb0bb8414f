#include "converter/import/scene_motions.h"

#include <algorithm>
#include <map>

namespace kzo {
namespace {

bool startsEnvelope(std::string_view line) {
    return startsWithKeyword(line, "ObjectMotion") || startsWithKeyword(line, "CameraMotion");
}

// Envelopes by the line of their keyword: each is read once, however many
// walks over the scene meet it.
struct Envelopes {
    const SceneText& text;
    SceneDescription& scene;
    std::map<std::size_t, std::pair<std::int32_t, std::size_t>> byLine; // index, end

    std::int32_t at(std::size_t keywordLine, std::size_t* end) {
        auto found = byLine.find(keywordLine);
        if (found == byLine.end()) {
            std::size_t motionEnd = 0;
            scene.motions.push_back(readEnvelope(text, keywordLine, &motionEnd));
            const auto index = static_cast<std::int32_t>(scene.motions.size() - 1);
            found = byLine.emplace(keywordLine, std::make_pair(index, motionEnd)).first;
        }
        *end = found->second.second;
        return found->second.first;
    }

    // Calls met(line, index) for every envelope met from line `from` on, each
    // envelope's own lines passed over (they may start like keywords).
    template <class Met>
    void walk(std::size_t from, Met&& met) {
        for (std::size_t i = from; i < text.lines.size();) {
            if (!startsEnvelope(text.lines[i])) {
                ++i;
                continue;
            }
            std::size_t end = 0;
            const std::int32_t index = at(i, &end);
            met(text.lines[i], index);
            i = end;
        }
    }
};

void readCamera(const SceneText& text, Envelopes& envelopes, SceneCamera& camera) {
    LineCursor cursor = startOf(text);
    if (!skipToKeyword(cursor, "CameraMotion")) {
        return;
    }
    std::size_t end = 0;
    camera.motion = envelopes.at(cursor.next - 1, &end);
    // Only lines behind the CameraMotion line count: the objects' own
    // ParentObject lines stand before it.
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, "ParentObject")) {
            scanAfter(line, "ParentObject").scan(camera.parent);
        } else if (startsWithKeyword(line, "TargetObject")) {
            scanAfter(line, "TargetObject").scan(camera.target);
        }
    }
}

} // namespace

MotionKey readKeyValues(std::string_view valueLine) {
    MotionKey key;
    float* const channels[9] = {&key.position[0], &key.position[1], &key.position[2],
                                &key.heading,     &key.pitch,       &key.bank,
                                &key.scale[0],    &key.scale[1],    &key.scale[2]};
    LineScanner s(valueLine);
    for (float* c : channels) {
        s.scan(*c);
    }
    return key;
}

SceneMotion readEnvelope(const SceneText& text, std::size_t keywordLine, std::size_t* end) {
    LineCursor cursor{&text, keywordLine + 1};
    std::string_view line;
    cursor.read(line); // channel count
    std::int32_t declared = 0;
    if (cursor.read(line)) {
        LineScanner(line).scan(declared);
    }
    SceneMotion motion;
    // Bounded by the lines that remain, so a huge declared count costs nothing.
    while (static_cast<std::int64_t>(motion.keys.size()) < declared && cursor.read(line)) {
        SceneKey key{readKeyValues(line), cursor.next};
        std::string_view frameLine;
        if (cursor.read(frameLine)) {
            LineScanner(frameLine).scan(key.key.frame);
        }
        motion.keys.push_back(key);
    }
    *end = std::min(cursor.next, text.lines.size());
    return motion;
}

void readSceneMotions(const SceneText& text, SceneDescription& scene) {
    scene.motions.clear();
    scene.motionFileBlocks.clear();
    Envelopes envelopes{text, scene, {}};

    std::size_t objectNumber = 0;
    envelopes.walk(0, [&](std::string_view keyword, std::int32_t index) {
        if (startsWithKeyword(keyword, "ObjectMotion")) {
            if (objectNumber < scene.objects.size()) {
                scene.objects[objectNumber].motion = index;
            }
            ++objectNumber;
        }
    });

    scene.camera = SceneCamera{};
    readCamera(text, envelopes, scene.camera);

    scene.lastFrame = 0;
    LineCursor cursor = startOf(text);
    // Only envelopes behind the first LastFrame line go into the .mot file;
    // without one the file holds none.
    if (skipToKeyword(cursor, "LastFrame")) {
        scanAfter(text.lines[cursor.next - 1], "LastFrame").scan(scene.lastFrame);
        envelopes.walk(cursor.next, [&](std::string_view, std::int32_t index) {
            scene.motionFileBlocks.push_back(index);
        });
    }
}

} // namespace kzo
