// The import library's scene as plain arrays (imported_model.h).
//
// The library's scene space is y-up and right-handed with counter-clockwise
// front faces; the 3DS reader's space has the same picture with z pointing the
// other way (a 3DS file is z-up and right-handed, and the reader exchanges y
// and z). A point (x, y, z) of the library's space is therefore (x, y, -z)
// here, and the corner order stays as the library gives it.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"
#include "modelimport/module/animation_tracks.h"
#include "modelimport/module/motion_keys.h"

#include <cstddef>
#include <stdexcept>
#include <vector>

struct aiScene;

namespace kzo {

// The scene breaks a rule of its own structure (a count without its array, an
// index beyond its table), is too large, or holds a value that is not a finite
// number. The text says which; the model is left unusable.
class MappingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MappingLimits {
    std::size_t maxTriangles = 4'000'000; // after instancing, before welding
    std::size_t maxNodeDepth = 256;
    std::size_t maxNodeVisits = 1'000'000;
    std::int64_t maxFrame = KeyLimits{}.maxFrame;
    std::size_t maxKeys = KeyLimits{}.maxKeys;
    std::size_t maxNodeSamples = KeyLimits{}.maxNodeSamples;
};

// A basis change applied above the root node: row i holds output axis i in
// the file's coordinates (identity for formats the library already turns
// y-up).
struct SceneAxes {
    float rows[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// What the reader knows of the file beyond its scene.
struct SceneFacts {
    SceneAxes axes;
    // A material the library adds to every scene of the file's format for the
    // meshes that name none (-1: none, or only the one it names
    // "DefaultMaterial"). Meshes with it get the engine's default material.
    std::int64_t addedMaterial = -1;
    // The frame rate the file states; 0 when it states none.
    double framesPerSecond = 0;
    // A glTF file: texture names are URIs, a spot light's cone angles are
    // measured from its axis, and the library repeats a camera node's
    // translation as the camera's own position, which is therefore not used.
    bool gltf = false;
    // The file's cameras look along their node's -z with y up, as 3ds Max's
    // do, while the library hands them with its default frame (looking along
    // +z): ASE files.
    bool maxCameras = false;
    // The ambient colour of the file's settings, 0..1.
    float ambient[3] = {};
    // Channels of the first animation read from the file itself, with the
    // interpolation the library drops.
    std::vector<ChannelOverride> channels;
};

// Every node that holds meshes is an object (a mesh held by two nodes is
// emitted twice). Without options.hierarchy each node's transform is baked
// into its meshes and all positions are welded together; with it each
// object's positions stay in its own space and are welded within it. Keeps
// the triangles, counts and drops points, lines and triangles that welding
// makes degenerate, and maps materials. A node whose transform mirrors keeps
// its front faces in front. The objects' keys, the camera and the lights come
// from the nodes, the first animation and the frame rate (the file's, else
// options.framesPerSecond, else 30). Throws MappingError; without a hierarchy
// a scene whose motion or lights cannot be mapped keeps its geometry and says
// so in a warning.
ImportedModel mapScene(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                       const ModelReadOptions& options = {});

} // namespace kzo
