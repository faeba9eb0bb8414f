// What a scene file says besides the geometry of its objects, as plain data:
// the objects with their pivots, parents, first keys and motions, the camera,
// the lights and the frame range. An importer of a scene fills it once; the
// side-file encoders (.mot .cam .kzl) turn it into bytes, and the scene's
// importer copies its pivots and lights into the SceneModel for the geometry.
// Nothing here depends on how a scene file lays its text out.
#pragma once

#include "converter/model/scene_model.h"
#include "format/side_formats.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// One key of a motion: the frame and the nine channels (position, heading,
// pitch and bank in degrees, scale) as the scene gives them, before the scale
// factor. line is the 1-based line of the scene text that holds the values,
// which errors about them name (0 when they come from no line of text).
struct SceneKey {
    MotionKey key;
    std::size_t line = 0;
};

// Every key of one motion envelope, in order, exactly the keys its MotionBlock
// stores.
struct SceneMotion {
    std::vector<SceneKey> keys;
};

inline constexpr std::int32_t kNoMotion = -1; // an index into SceneDescription::motions
inline constexpr std::int32_t kNoLayer = -1;

enum class SceneObjectKind {
    geometry,  // an object whose geometry is loaded from a file
    null,      // an object without geometry
    pivotOnly, // a pivot or parent line outside any object (scenes give them
               // for lights and the camera); it still takes a pivot
};

// How a scene names an object file: path is the token behind the keyword, cut
// at the first blank as the scene format reads it; wholeLine is everything
// behind the keyword without the blanks around it, which differs from path
// when the name itself holds blanks.
struct ObjectName {
    std::string path;
    std::string wholeLine;
};

// One node of the object hierarchy; the n-th object (from 0) is pivot n of the
// model and of the KZO file, and owns the vertices tagged with pivotIndex n.
struct SceneObject {
    SceneObjectKind kind = SceneObjectKind::pivotOnly;
    ObjectName name;                  // the geometry file; a null object's name
    std::int32_t layer = kNoLayer;    // the layer of the object file to load
    std::uint32_t itemId = 0;         // the scene's own id of the item, 0 without one
    float pivotPoint[3] = {};         // in the object's own coordinates, unscaled
    std::uint16_t parent = kNoParent; // index into objects; never a cycle
    // The key that places the object in scene space when the hierarchy is
    // baked into the vertices (identity: position 0, rotation 0, scale 1).
    MotionKey firstKey;
    std::int32_t motion = kNoMotion; // index into SceneDescription::motions
};

// The camera and the objects its block links to: parent and target are object
// numbers counted from 1 as the scene writes them, -1 when it gives none; a
// number of 0 or below is written to the .cam file as it stands.
struct SceneCamera {
    std::int32_t motion = kNoMotion;
    std::int32_t parent = -1;
    std::int32_t target = -1;
};

struct SceneDescription {
    std::string path; // the scene file, as errors name it
    std::int32_t lastFrame = 0;
    std::vector<SceneObject> objects;
    std::vector<SceneMotion> motions;
    // The motions the .mot file stores, in its order.
    std::vector<std::int32_t> motionFileBlocks;
    SceneCamera camera;
    // The .kzl records, ready to light the scene.
    std::vector<Light> lights;
    float ambientColor[3] = {}; // already multiplied by the ambient intensity
};

} // namespace kzo
