#include "converter/import/camera_file.h"

#include "converter/import/motion_file.h"
#include "format/byte_writer.h"

#include <cmath>

namespace kzo {
namespace {

constexpr std::int32_t kAbsent = -1;

struct CameraLinks {
    std::int32_t parent = kAbsent;
    std::int32_t target = kAbsent;
};

// Only lines behind the CameraMotion line count: the objects' own ParentObject
// lines stand before it.
CameraLinks findCameraLinks(const SceneText& scene) {
    CameraLinks links;
    LineCursor cursor = startOf(scene);
    if (!skipToKeyword(cursor, "CameraMotion")) {
        return links;
    }
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, "ParentObject")) {
            scanAfter(line, "ParentObject").scan(links.parent);
        } else if (startsWithKeyword(line, "TargetObject")) {
            scanAfter(line, "TargetObject").scan(links.target);
        }
    }
    return links;
}

// Positions a cursor behind the n-th (1-based) ObjectMotion line; false when
// the scene has fewer.
bool findObjectMotion(const SceneText& scene, std::int32_t n, LineCursor& cursor) {
    cursor = startOf(scene);
    for (std::int32_t seen = 0; seen < n;) {
        if (!skipToKeyword(cursor, "ObjectMotion")) {
            return false;
        }
        ++seen;
    }
    return true;
}

// An envelope's block, or nothing when the envelope holds no keys: a block
// must start with a key count of at least 1, or a reader takes it for an
// absent section and misreads the rest of the file.
bool writeKeyedBlock(const SceneModel& model, const std::string& path, LineCursor& cursor,
                     ByteWriter& out) {
    ByteWriter block;
    if (writeMotionBlock(model, path, cursor, block) == 0) {
        return false;
    }
    out.raw(block.bytes().data(), block.size());
    return true;
}

// An object section: the object's block, or the number itself when it names no
// object (0 or below as written; -1 for a number beyond the scene's objects or
// an object whose envelope has no keys, so that a reader never takes it for a
// key count).
bool writeObjectSection(const SceneModel& model, const SceneText& scene, const std::string& path,
                        std::int32_t number, ByteWriter& out) {
    if (number <= 0) {
        out.i32le(number);
        return false;
    }
    LineCursor cursor;
    if (!findObjectMotion(scene, number, cursor) || !writeKeyedBlock(model, path, cursor, out)) {
        out.i32le(kAbsent);
        return false;
    }
    return true;
}

} // namespace

void writeCamFile(SceneModel& model, const SceneText& scene, const std::string& path) {
    if (model.settings.cameraFile == 0) {
        return;
    }
    printMessage(model.sink, "'%s' Writing...", path.c_str());
    ByteWriter out;
    // A camera envelope without keys counts as no camera motion: the file is
    // then the two absent sections, the one layout a reader can tell from a
    // file that starts with the camera's block.
    LineCursor cursor = startOf(scene);
    if (!skipToKeyword(cursor, "CameraMotion") || !writeKeyedBlock(model, path, cursor, out)) {
        out.i32le(kAbsent);
        out.i32le(kAbsent);
        model.pendingOutputs.push_back(OutputFile{path, out.take()});
        return;
    }

    const CameraLinks links = findCameraLinks(scene);
    writeObjectSection(model, scene, path, links.parent, out);

    // The target point needs the target's pivot too; without one the section
    // is absent like any other unknown object.
    const bool targetHasPivot = links.target > 0 && links.target <= model.pivotCount;
    if (links.target > 0 && !targetHasPivot) {
        out.i32le(kAbsent);
    } else if (writeObjectSection(model, scene, path, links.target, out)) {
        const Pivot& pivot = model.pivots[static_cast<std::size_t>(links.target - 1)];
        for (int i = 0; i < 3; ++i) {
            const float point = pivot.pivotPoint[i] + pivot.firstKey[i];
            if (!std::isfinite(point)) {
                fatalError(model.sink,
                           "cannot write '%s': the target point of object %d is not a finite "
                           "number",
                           path.c_str(), links.target);
            }
            out.f32le(point);
        }
    }
    model.pendingOutputs.push_back(OutputFile{path, out.take()});
}

} // namespace kzo
