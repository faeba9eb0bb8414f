// A model read from another format, as plain arrays: what the converter and
// the viewer take from the model import module, and what the fitting step
// simplifies. Nothing here depends on the import library, and every field is a
// plain value or array, so the record can also cross a pipe from a reader
// process.
//
// The arrays are in the space the 3DS reader produces (its y and z are the
// file's z and y), with the same front-face winding, and positions are welded
// by its rule: two corners share a vertex exactly when all three coordinates
// compare equal as floats (and, in a hierarchy, belong to the same object),
// and the vertex stored is the first one met.
//
// The scene (objects, motion, camera, lights) is in the engine's space, which
// is LightWave's: y up, left-handed. A y-up right-handed point (x, y, z) is
// (x, y, -z) there, the same turn of z the geometry gets; angles are degrees,
// heading about y, pitch about x, bank about z, applied bank, then pitch, then
// heading.
#pragma once

#include "format/side_formats.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

struct ImportedMaterial {
    // Diffuse colour, 0..255.
    std::uint8_t red = 128;
    std::uint8_t green = 128;
    std::uint8_t blue = 128;
    // 0 opaque .. 255 fully transparent.
    std::uint8_t transparency = 0;
    // The first diffuse texture's file name without its folders (URI escapes
    // decoded); empty when the material has none, or when the texture is
    // embedded (embeddedImage then names it).
    std::string imageName;
    // Index into ImportedModel::embeddedImages of the first diffuse texture
    // when the model file holds it, -1 otherwise.
    std::int32_t embeddedImage = -1;
};

// A texture stored inside the model file, as stored there (a compressed image
// file's bytes), or re-encoded by the reader where the file holds raw texels.
struct EmbeddedImage {
    std::string extension; // "png", "jpg", ..., without the dot, lower case
    std::vector<std::uint8_t> bytes;
};

// Largest mesh a program can take.
struct FitLimits {
    std::size_t maxVertices = 0;
    std::size_t maxFaces = 0;
};

struct FitReport {
    std::size_t verticesBefore = 0;
    std::size_t facesBefore = 0;
    std::size_t verticesAfter = 0;
    std::size_t facesAfter = 0;
};

// Primitives the import left out.
struct DroppedPrimitives {
    std::size_t points = 0;
    std::size_t lines = 0;
    std::size_t degenerateTriangles = 0; // two corners at one welded vertex
};

// One object of the scene: a node of the file that holds meshes, in the order
// of a depth-first walk of the node tree (parents before children, children
// in file order).
struct ImportedObject {
    std::string name; // the node's name, possibly empty
    // The nearest earlier object among the node's ancestors; -1 for a root.
    std::int32_t parent = -1;
    // The object's place relative to its parent (for a root: in the engine's
    // scene space), the transforms of the nodes without meshes between them
    // folded in: position (unscaled), heading, pitch, bank, scale, at whole
    // frames in increasing order. An object that does not move has one key,
    // its rest place, at frame 0. Empty only without a hierarchy: when the
    // motion was not asked for (ModelReadOptions::motion), or when not even
    // the nodes' rest places fit a key (a warning says so).
    std::vector<MotionKey> keys;
};

// The scene's camera: its place in scene space (it has no parent), keyed as
// an object is.
struct ImportedCamera {
    std::string name;
    std::vector<MotionKey> keys; // empty only when the objects' are
};

struct ImportedModel {
    // x, y, z per vertex; every value finite, -0.0 stored as 0.0. Without a
    // hierarchy (ModelReadOptions::hierarchy false) in scene space, every
    // node's rest transform applied; with one, each in its object's own space.
    std::vector<float> positions;
    // Three vertex numbers per triangle, all three different.
    std::vector<std::uint32_t> triangles;
    // u, v of each corner of each triangle (six per triangle), from the first
    // texture coordinate set; 0 where the mesh has none.
    std::vector<float> cornerUvs;
    // Per triangle an index into materials, or -1: the mesh names no material.
    std::vector<std::int32_t> faceMaterials;
    std::vector<ImportedMaterial> materials;
    std::vector<EmbeddedImage> embeddedImages;
    DroppedPrimitives dropped;

    // The scene. objects is filled whenever the file has nodes that hold
    // meshes, with or without a hierarchy; vertexObjects only with one (the
    // object of each vertex, so its triangles' too).
    std::vector<ImportedObject> objects;
    std::vector<std::uint32_t> vertexObjects;
    bool hasCamera = false;
    ImportedCamera camera;
    // The .kzl records, ready to light the scene (engine axes, direction from
    // the surface towards the light, colour bytes, intensity 0..1).
    std::vector<Light> lights;
    float ambientColor[3] = {}; // 0..255 per channel; 0 when the file has none
    // The frame of the last key of any object or of the camera (0 without
    // animation), and the frame rate the keys were placed at.
    std::int32_t lastFrame = 0;
    double framesPerSecond = 30.0;

    // What fitting did (ModelReadOptions::fit); all zero when it was not asked.
    FitReport fit;

    // Lines for the user about what was read differently or left out, without
    // the file's name.
    std::vector<std::string> warnings;
    // The model file and every file the library opened beside it (a material
    // library, a buffer), each once, in the order opened.
    std::vector<std::string> filesRead;

    std::size_t vertexCount() const { return positions.size() / 3; }
    std::size_t faceCount() const { return triangles.size() / 3; }
};

} // namespace kzo
