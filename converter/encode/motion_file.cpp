#include "converter/import/motion_file.h"

#include "format/side_formats.h"

#include <cmath>

namespace kzo {
namespace {

MotionKey readKey(std::string_view valueLine) {
    // A key the line does not give in full keeps the identity key's values.
    float v[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    scanFloats(valueLine, v, 9);
    MotionKey key;
    key.position[0] = v[0];
    key.position[1] = v[1];
    key.position[2] = v[2];
    key.heading = v[3];
    key.pitch = v[4];
    key.bank = v[5];
    key.scale[0] = v[6];
    key.scale[1] = v[7];
    key.scale[2] = v[8];
    return key;
}

bool isFinite(const MotionKey& key) {
    const float values[9] = {key.position[0], key.position[1], key.position[2],
                             key.heading,     key.pitch,       key.bank,
                             key.scale[0],    key.scale[1],    key.scale[2]};
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::int32_t writeMotionBlock(const SceneModel& model, const std::string& path, LineCursor& cursor,
                              ByteWriter& out) {
    std::string_view line;
    cursor.read(line); // channel count
    std::int32_t declared = 0;
    if (cursor.read(line)) {
        LineScanner(line).scan(declared);
    }
    const std::size_t countAt = out.size();
    out.i32le(0);
    // Bounded by the lines that remain, so a huge declared count costs nothing.
    std::int32_t written = 0;
    while (written < declared && cursor.read(line)) {
        const std::size_t lineNumber = cursor.next;
        MotionKey key = readKey(line);
        std::string_view frameLine;
        if (cursor.read(frameLine)) {
            LineScanner(frameLine).scan(key.frame);
        }
        for (float& c : key.position) {
            c = c * model.settings.scaleFactor;
        }
        if (!isFinite(key)) {
            fatalError(model.sink,
                       "cannot write '%s': the key on line %zu of '%s' is not a finite number",
                       path.c_str(), lineNumber, cursor.scene->path.c_str());
        }
        writeMotionKey(out, key);
        ++written;
    }
    out.patchI32le(countAt, written);
    return written;
}

void writeMotFile(SceneModel& model, const SceneText& scene, const std::string& path) {
    ByteWriter out;
    LineCursor cursor = startOf(scene);
    std::int32_t lastFrame = 0;
    // Only envelopes behind the first LastFrame line are written; without one
    // the search reaches the end and the file holds two zeros.
    if (skipToKeyword(cursor, "LastFrame")) {
        scanAfter(scene.lines[cursor.next - 1], "LastFrame").scan(lastFrame);
    }
    out.i32le(lastFrame);
    const std::size_t countAt = out.size();
    out.i32le(0);
    std::int32_t motionCount = 0;
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, "ObjectMotion") || startsWithKeyword(line, "CameraMotion")) {
            writeMotionBlock(model, path, cursor, out);
            ++motionCount;
        }
    }
    out.patchI32le(countAt, motionCount);
    model.pendingOutputs.push_back(OutputFile{path, out.take()});
}

} // namespace kzo
