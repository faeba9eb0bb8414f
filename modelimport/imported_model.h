// A model read from another format, as plain arrays: what the converter and
// the viewer take from the model import module, and what the fitting step
// simplifies. Nothing here depends on the import library.
//
// The arrays are in the space the 3DS reader produces (its y and z are the
// file's z and y), with the same front-face winding, and positions are welded
// by its rule: two corners share a vertex exactly when all three coordinates
// compare equal as floats, and the vertex stored is the first one met.
#pragma once

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
    // File name of the first diffuse texture as the model names it; empty when
    // the material has none (or only one embedded in the model file).
    std::string imageName;
};

// Primitives the import left out.
struct DroppedPrimitives {
    std::size_t points = 0;
    std::size_t lines = 0;
    std::size_t degenerateTriangles = 0; // two corners at one welded vertex
};

struct ImportedModel {
    // x, y, z per vertex; every value finite, -0.0 stored as 0.0.
    std::vector<float> positions;
    // Three vertex numbers per triangle, all three different.
    std::vector<std::uint32_t> triangles;
    // u, v of each corner of each triangle (six per triangle), from the first
    // texture coordinate set; 0 where the mesh has none.
    std::vector<float> cornerUvs;
    // Per triangle an index into materials, or -1: the mesh names no material.
    std::vector<std::int32_t> faceMaterials;
    std::vector<ImportedMaterial> materials;
    DroppedPrimitives dropped;
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
