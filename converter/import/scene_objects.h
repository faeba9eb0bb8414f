// The main pass over a LightWave scene: the objects (LoadObject with geometry,
// AddNullObject without), one Pivot each with its pivot point, its parent and
// its first motion key.
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

#include <functional>
#include <string>

namespace kzo {

// The object file named by a LoadObject line: path is the token behind the
// keyword, cut at the first blank as the scene format reads it; wholeLine is
// everything behind the keyword without the blanks around it, which differs
// from path when the name itself holds blanks (LightWave writes such names
// as they are).
struct ObjectName {
    std::string path;
    std::string wholeLine;
};

// Loads the geometry of one LoadObject line. The object's vertices belong to
// pivots[pivotCount].
using ObjectLoader = std::function<void(SceneModel& model, const ObjectName& object)>;

// Fills firstKey of pivots[pivotCount]: reads lines from cursor up to the next
// ObjectMotion line, skips its channel and key count lines and parses the
// first key's nine values. The cursor is left behind the key's value line. The
// identity key stands for whatever the scene does not give; when a line the
// main pass acts on (LoadObject, AddNullObject, PivotPoint, ParentObject) comes
// first, the search stops in front of it.
void readObjectFirstKey(SceneModel& model, LineCursor& cursor);

// Runs the main pass and appends one Pivot per object in file order, so that
// the n-th object's Pivot has index n - 1. As the scene format lays it out, a
// PivotPoint line takes the line behind it as its ParentObject line, whatever
// that line holds; a ParentObject line on its own (also that of a light or the
// camera) appends a Pivot of its own. Parent numbers that name no pivot of the
// scene become "no parent", and a cycle of parents is cut where it closes.
// Fatal errors: more pivots than the table holds, a geometry object whose
// pivot index does not fit the vertices' 8 bits, a LoadObject line without a
// path.
void readSceneObjects(SceneModel& model, const SceneText& scene, const ObjectLoader& loadObject);

} // namespace kzo
