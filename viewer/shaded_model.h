// What the shaded and the animated views draw: a mesh of triangles with the
// colours and normals its file stores, and the object hierarchy its vertices
// belong to. Kept apart from ViewerMesh, which the wireframe turns in place,
// so these positions stay as the file has them.
#pragma once

#include "viewer/viewer_document.h"
#include "viewer/viewer_mesh.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kzoview {

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

// How a triangle takes its colour.
enum class ShadeRule : std::uint8_t {
    materialFlat,      // the material colour, unlit (shading type 0)
    litVertexNormals,  // material colour under the head light, per vertex (type 1)
    litFaceNormal,     // material colour under the head light, per face (type 2)
    storedCornerColor, // the baked colour of each corner, interpolated (type 3)
    storedFaceColor,   // the baked colour of the face (type 4)
};

struct ShadedMaterial {
    std::uint8_t red = 128, green = 128, blue = 128;
    // 255 draws the material solid; anything less blends it over what lies
    // behind. Only a material marked transparent is ever below 255.
    std::uint8_t opacity = 255;
    // The image record of a textured material (flag 0x0008 and an image
    // index the file has), else -1. Its colour does not tint the texture.
    std::int32_t image = -1;
};

struct ShadedTriangle {
    std::uint32_t v[3];            // vertex numbers, in the file's winding
    std::uint32_t material;        // index into ShadedModel::materials
    std::uint32_t face;            // the file's face the triangle comes from
    std::uint8_t color[3][3] = {}; // red, green, blue per corner (stored colours)
    float uv[3][2] = {};           // mapping coordinates per corner, 0..1 across the image
};

struct Texture;

struct ShadedPivot {
    Vec3f point;                   // pivot point, already scaled as the file stores it
    std::uint16_t parent = 65535;  // 65535: no parent
    std::uint32_t firstVertex = 0; // its run of vertices
    std::uint32_t vertexCount = 0;
};

struct ShadedModel {
    ShadeRule rule = ShadeRule::litFaceNormal;
    std::vector<Vec3f> positions;
    std::vector<ShadedTriangle> triangles;
    std::vector<ShadedMaterial> materials;
    // Unit normals in the model's space: per vertex for LitVertexNormals, per
    // triangle otherwise (computed when the file stores none).
    std::vector<Vec3f> vertexNormals;
    std::vector<Vec3f> faceNormals;
    std::vector<ShadedPivot> pivots;
    // The image records' file names, and per record its texture once read
    // (model_textures.h); null where it was not read or could not be.
    std::vector<std::string> imageNames;
    std::vector<std::shared_ptr<const Texture>> textures;
    // Per record the image file's bytes where the model holds the image;
    // empty (or shorter than imageNames) where it names a file.
    std::vector<std::vector<std::uint8_t>> imageBytes;
};

// Reads a .kzo file whole: image names, materials and their runs, vertices,
// faces with their texture coordinates, pivots and shading data. Faces of
// four corners become two triangles. Texture coordinates are stored in texels
// of a 256-texel map; the model holds them divided by 255. Throws
// FatalError naming the file and the fault; it refuses exactly the files
// that LoadKZO refuses, in the same words.
ShadedModel loadShadedKzo(std::span<const std::uint8_t> bytes, const std::string& name);
ShadedModel loadShadedKzoFile(const std::string& name);

// The faces of a loaded mesh of any other format as triangles of one grey
// material lit by their face normals. Call before anything turns the mesh.
// With the surfaces its loader kept, the triangles of a textured material
// take a material of their own that the texture's record names, and their
// corners' u and v.
ShadedModel shadedModelFromMesh(const ViewerMesh& mesh, const MeshSurfaces* surfaces = nullptr);

} // namespace kzoview
