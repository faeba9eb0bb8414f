#include "converter/import/scene_objects.h"

#include "converter/import/scene_motions.h"
#include "converter/model/pivot_hierarchy.h"

#include <vector>

namespace kzo {
namespace {

constexpr std::string_view kLoadObject = "LoadObject";
constexpr std::string_view kAddNullObject = "AddNullObject";
constexpr std::string_view kPivotPoint = "PivotPoint";
constexpr std::string_view kParentObject = "ParentObject";

// Objects with geometry tag their vertices with their pivot index in 8 bits,
// so only the first 256 pivots can own vertices.
constexpr std::size_t kMaxGeometryPivots = 256;

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

// The object pass's state: the object in progress is `current`, whose pivot is
// appended when the scene gives its pivot or parent, or when the next object
// starts. Before the first object, and after each append, current is a fresh
// pivot-only record.
struct ObjectPass {
    const SceneText& text;
    const MessageSink& sink;
    SceneDescription& scene;
    SceneObject current;
    // True while the object in progress already has its pivot, and before the
    // first object.
    bool pivotStored = true;

    void requireSlot() const {
        if (scene.objects.size() >= static_cast<std::size_t>(kMaxPivots)) {
            fatalError(sink, "'%s' has more than %d objects; the pivot table holds %d",
                       text.path.c_str(), kMaxPivots, kMaxPivots);
        }
    }

    void append(const float point[3], std::uint16_t parent) {
        requireSlot();
        for (int i = 0; i < 3; ++i) {
            current.pivotPoint[i] = point[i];
        }
        current.parent = parent;
        scene.objects.push_back(current);
        current = SceneObject{};
        pivotStored = true;
    }

    void appendPending() {
        if (!pivotStored) {
            const float origin[3] = {0, 0, 0};
            append(origin, kNoParent);
        }
    }

    // A new object starts: the one before it gets its pivot if it has none yet.
    void start(SceneObjectKind kind) {
        appendPending();
        requireSlot();
        current = SceneObject{};
        current.kind = kind;
    }
};

} // namespace

MotionKey readObjectFirstKey(LineCursor& cursor) {
    // An object without a motion block keeps the identity key; the search
    // stops in front of any line the object pass acts on (the next object, or
    // this object's own pivot and parent lines) rather than taking another
    // object's key and swallowing those lines.
    std::string_view line;
    while (!cursor.atEnd()) {
        line = cursor.scene->lines[cursor.next];
        if (startsWithKeyword(line, kLoadObject) || startsWithKeyword(line, kAddNullObject) ||
            startsWithKeyword(line, kPivotPoint) || startsWithKeyword(line, kParentObject)) {
            return MotionKey{};
        }
        ++cursor.next;
        if (startsWithKeyword(line, "ObjectMotion")) {
            break;
        }
    }
    if (startsWithKeyword(line, "ObjectMotion") && cursor.read(line) && cursor.read(line) &&
        cursor.read(line)) {
        return readKeyValues(line);
    }
    return MotionKey{};
}

void readSceneObjects(const SceneText& text, const MessageSink& sink,
                      const GeometryLoader& loadGeometry, SceneDescription& scene) {
    scene.objects.clear();
    ObjectPass pass{text, sink, scene, SceneObject{}};
    LineCursor cursor = startOf(text);
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, kLoadObject)) {
            pass.start(SceneObjectKind::geometry);
            const std::size_t index = scene.objects.size();
            if (index >= kMaxGeometryPivots) {
                fatalError(sink,
                           "'%s': object %zu has geometry, but only the first %zu objects can",
                           text.path.c_str(), index + 1, kMaxGeometryPivots);
            }
            ObjectName& name = pass.current.name;
            if (!scanAfter(line, kLoadObject).scan(name.path)) {
                fatalError(sink, "'%s' line %zu: LoadObject names no object file",
                           text.path.c_str(), cursor.next);
            }
            name.wholeLine = trimmed(line.substr(kLoadObject.size()));
            loadGeometry(pass.current, index);
            pass.current.firstKey = readObjectFirstKey(cursor);
            pass.pivotStored = false;
        } else if (startsWithKeyword(line, kAddNullObject)) {
            pass.start(SceneObjectKind::null);
            pass.current.name.wholeLine = trimmed(line.substr(kAddNullObject.size()));
            pass.current.name.path = pass.current.name.wholeLine;
            pass.current.firstKey = readObjectFirstKey(cursor);
            pass.pivotStored = false;
        } else if (startsWithKeyword(line, kPivotPoint)) {
            float values[9] = {};
            scanFloats(line.substr(kPivotPoint.size()), values, 9);
            std::int32_t parent = 0;
            std::string_view next;
            if (cursor.read(next) && startsWithKeyword(next, kParentObject)) {
                scanAfter(next, kParentObject).scan(parent);
            }
            pass.append(values, parentIndexOf(parent));
        } else if (startsWithKeyword(line, kParentObject)) {
            std::int32_t parent = 0;
            scanAfter(line, kParentObject).scan(parent);
            const float origin[3] = {0, 0, 0};
            pass.append(origin, parentIndexOf(parent));
        }
    }
    pass.appendPending();

    // Stored as mended, so the written hierarchy and the transforms agree.
    std::vector<std::uint16_t> parents;
    for (const SceneObject& object : scene.objects) {
        parents.push_back(object.parent);
    }
    parents = effectiveParents(parents);
    for (std::size_t i = 0; i < parents.size(); ++i) {
        scene.objects[i].parent = parents[i];
    }
}

} // namespace kzo
