// The import library's scene as plain arrays (imported_model.h).
//
// The library's scene space is y-up and right-handed with counter-clockwise
// front faces; the 3DS reader's space has the same picture with z pointing the
// other way (a 3DS file is z-up and right-handed, and the reader exchanges y
// and z). A point (x, y, z) of the library's space is therefore (x, y, -z)
// here, and the corner order stays as the library gives it.
#pragma once

#include "modelimport/imported_model.h"

#include <cstddef>
#include <stdexcept>

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
};

// Bakes every node's transform into every mesh it holds (a mesh held by two
// nodes is emitted twice), keeps the triangles, counts and drops points, lines
// and triangles that welding makes degenerate, and maps materials. A node
// whose transform mirrors keeps its front faces in front. Throws MappingError.
ImportedModel mapScene(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits);

} // namespace kzo
