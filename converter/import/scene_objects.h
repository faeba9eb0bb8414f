// The objects of a LightWave scene: LoadObject with geometry, AddNullObject
// without, one pivot each with its pivot point, its parent and its first key.
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/messages.h"
#include "converter/model/scene_description.h"

#include <cstddef>
#include <functional>

namespace kzo {

// Loads the geometry of a geometry object as soon as its line is read, so
// that errors come in the order of the scene's lines. object holds its kind
// and name (its pivot, parent and keys follow later lines); its vertices
// belong to pivot index, below 256.
using GeometryLoader = std::function<void(const SceneObject& object, std::size_t index)>;

// The first key of an object: reads lines from cursor up to the next
// ObjectMotion line, skips its channel and key count lines and parses the
// first key's nine values. The cursor is left behind the key's value line. The
// identity key stands for whatever the scene does not give; when a line the
// object pass acts on (LoadObject, AddNullObject, PivotPoint, ParentObject)
// comes first, the search stops in front of it.
MotionKey readObjectFirstKey(LineCursor& cursor);

// Fills scene.objects, one per pivot in file order, so that the n-th object's
// pivot has index n - 1. As the scene format lays it out, a PivotPoint line
// takes the line behind it as its ParentObject line, whatever that line holds;
// a ParentObject line on its own (also that of a light or the camera) appends
// a pivot of its own. Parent numbers that name no pivot of the scene become "no
// parent", and a cycle of parents is cut where it closes.
// Fatal errors: more pivots than the model's table holds, a geometry object
// whose pivot index does not fit the vertices' 8 bits, a LoadObject line
// without a path.
void readSceneObjects(const SceneText& text, const MessageSink& sink,
                      const GeometryLoader& loadGeometry, SceneDescription& scene);

} // namespace kzo
