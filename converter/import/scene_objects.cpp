#include "converter/import/scene_objects.h"

#include "converter/model/pivot_hierarchy.h"

#include <algorithm>
#include <vector>

namespace kzo {
namespace {

// Objects with geometry tag their vertices with the low 8 bits of their pivot
// index, so only the first 256 pivots can own vertices.
constexpr std::int32_t kMaxGeometryPivots = 256;

std::uint16_t parentIndexOf(std::int32_t number) {
    if (number < 1 || number > kMaxPivots) {
        return kNoParent;
    }
    return static_cast<std::uint16_t>(number - 1);
}

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

struct PivotAppender {
    SceneModel& model;
    const SceneText& scene;

    void requireSlot() const {
        if (model.pivotCount >= kMaxPivots) {
            fatalError(model.sink, "'%s' has more than %d objects; the pivot table holds %d",
                       scene.path.c_str(), kMaxPivots, kMaxPivots);
        }
    }

    // The record at pivotCount already holds the object's first key.
    void append(const float point[3], std::uint16_t parentIndex) const {
        requireSlot();
        Pivot& pivot = model.pivots[static_cast<std::size_t>(model.pivotCount)];
        for (int i = 0; i < 3; ++i) {
            pivot.pivotPoint[i] = point[i];
        }
        pivot.parentIndex = parentIndex;
        pivot.matrixReady = 0;
        model.pivotCount += 1;
        // The next slot starts fresh, so nothing of an earlier file's pivots
        // reaches this one (a ParentObject of the camera reads no key).
        if (model.pivotCount < kMaxPivots) {
            model.pivots[static_cast<std::size_t>(model.pivotCount)] = Pivot{};
        }
    }

    void appendDefault() const {
        const float origin[3] = {0, 0, 0};
        append(origin, kNoParent);
    }
};

} // namespace

void readObjectFirstKey(SceneModel& model, LineCursor& cursor) {
    float* key = model.pivots[static_cast<std::size_t>(model.pivotCount)].firstKey;
    const float identity[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    std::copy(identity, identity + 9, key);
    // An object without a motion block keeps the identity key; the search
    // stops in front of any line the main pass acts on (the next object, or
    // this object's own pivot and parent lines) rather than taking another
    // object's key and swallowing those lines.
    std::string_view line;
    while (!cursor.atEnd()) {
        line = cursor.scene->lines[cursor.next];
        if (startsWithKeyword(line, "LoadObject") || startsWithKeyword(line, "AddNullObject") ||
            startsWithKeyword(line, "PivotPoint") || startsWithKeyword(line, "ParentObject")) {
            return;
        }
        ++cursor.next;
        if (startsWithKeyword(line, "ObjectMotion")) {
            break;
        }
    }
    if (!startsWithKeyword(line, "ObjectMotion")) {
        return;
    }
    if (cursor.read(line) && cursor.read(line) && cursor.read(line)) {
        scanFloats(line, key, 9);
    }
}

void readSceneObjects(SceneModel& model, const SceneText& scene, const ObjectLoader& loadObject) {
    const PivotAppender pivots{model, scene};
    if (model.pivotCount < kMaxPivots) {
        model.pivots[static_cast<std::size_t>(model.pivotCount)] = Pivot{};
    }
    // True while the object in progress already has its Pivot, and before the
    // first object.
    bool pivotStored = true;
    LineCursor cursor = startOf(scene);
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, "LoadObject")) {
            if (!pivotStored) {
                pivots.appendDefault();
            }
            pivots.requireSlot();
            if (model.pivotCount >= kMaxGeometryPivots) {
                fatalError(model.sink,
                           "'%s': object %d has geometry, but only the first %d objects can",
                           scene.path.c_str(), model.pivotCount + 1, kMaxGeometryPivots);
            }
            ObjectName object;
            if (!scanAfter(line, "LoadObject").scan(object.path)) {
                fatalError(model.sink, "'%s' line %zu: LoadObject names no object file",
                           scene.path.c_str(), cursor.next);
            }
            object.wholeLine = trimmed(line.substr(std::string_view("LoadObject").size()));
            loadObject(model, object);
            readObjectFirstKey(model, cursor);
            pivotStored = false;
        } else if (startsWithKeyword(line, "AddNullObject")) {
            if (!pivotStored) {
                pivots.appendDefault();
            }
            pivots.requireSlot();
            readObjectFirstKey(model, cursor);
            pivotStored = false;
        } else if (startsWithKeyword(line, "PivotPoint")) {
            float values[9] = {};
            scanFloats(line.substr(10), values, 9);
            std::int32_t parent = 0;
            std::string_view next;
            if (cursor.read(next) && startsWithKeyword(next, "ParentObject")) {
                scanAfter(next, "ParentObject").scan(parent);
            }
            pivots.append(values, parentIndexOf(parent));
            pivotStored = true;
        } else if (startsWithKeyword(line, "ParentObject")) {
            std::int32_t parent = 0;
            scanAfter(line, "ParentObject").scan(parent);
            const float origin[3] = {0, 0, 0};
            pivots.append(origin, parentIndexOf(parent));
            pivotStored = true;
        }
    }
    if (!pivotStored) {
        pivots.appendDefault();
    }
    // Stored as mended, so the written hierarchy and the transforms agree.
    const std::vector<std::uint16_t> parents = effectiveParents(model);
    for (std::size_t i = 0; i < parents.size(); ++i) {
        model.pivots[i].parentIndex = parents[i];
    }
}

} // namespace kzo
