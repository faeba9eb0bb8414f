// The converter's one scene: fixed-capacity tables of plain records with a
// count beside each, allocated once per converter and emptied before each
// input file. The large tables (fixed_table.h) touch only the records a file
// reaches, so that a small file costs no more than its records. Importers
// append, the geometry processing derives fields in place, the KZO encoder
// streams records out.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/fixed_table.h"
#include "converter/model/messages.h"
#include "converter/model/shadow_index.h"
#include "converter/model/vertex_weld_index.h"
#include "format/side_formats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

inline constexpr int kMaxImages = 256;
inline constexpr int kMaxMaterials = 256;
inline constexpr int kMaxVertices = 20000;
inline constexpr int kMaxFaces = 20000;
inline constexpr int kMaxPivots = 1000;
inline constexpr int kMaxLights = 2000;
inline constexpr int kMaxMaterialNames = 1024;
inline constexpr int kMaxTextureCoords = 20000;
inline constexpr std::uint16_t kNoParent = 65535;
// Names stored in the scene (3DS material and map names) hold at most 255
// characters; a KZO image record holds at most 127 and the terminator.
inline constexpr std::size_t kMaxNameLength = 255;

struct Image {
    std::string name;
};

// Its eight bytes are the first eight of the KZO material record.
struct Material {
    std::uint8_t red = 128;
    std::uint8_t green = 128;
    std::uint8_t blue = 128;
    std::uint8_t transparency = 128;
    std::int16_t imageIndex = -1;
    std::uint16_t flags = 0;
};

struct Vertex {
    float x = 0, y = 0, z = 0;
    float normal[3] = {};
    std::uint8_t pivotIndex = 0;
    float colorSum[3] = {};
    // Faces added into normal; then lit (1) / unlit (0) for the light being
    // applied; then faces added into colorSum.
    std::int32_t counter = 0;
};

struct Face {
    std::uint16_t vertexIndex[3] = {};
    float normal[3] = {};
    float planeD = 0;
    float center[3] = {};
    float radiusSquared = 0;
    float texU[3] = {};
    float texV[3] = {};
    std::uint8_t colorR[3] = {255, 255, 255};
    std::uint8_t colorG[3] = {255, 255, 255};
    std::uint8_t colorB[3] = {255, 255, 255};
    std::int16_t materialIndex = -1;
    float lightSum[9] = {}; // red[3], green[3], blue[3]
};

struct Pivot {
    float pivotPoint[3] = {};
    // position x, y, z; heading, pitch, bank (degrees); scale x, y, z
    float firstKey[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    std::uint16_t parentIndex = kNoParent;
    float matrix[4][4] = {}; // row-major, row vectors: p' = p * matrix
    std::uint16_t matrixReady = 0;
};

struct TextureCoord {
    float u = 0, v = 0;
};

struct SceneModel {
    SceneModel();
    SceneModel(const SceneModel&) = delete;
    SceneModel& operator=(const SceneModel&) = delete;

    // Tables, sized once to their capacities (size()); valid records are
    // [0, count).
    std::vector<Image> images;
    std::int32_t imageCount = 0;
    std::vector<Material> materials;
    std::int32_t materialCount = 0;
    FixedTable<Vertex> vertices;
    std::int32_t vertexCount = 0;
    FixedTable<Face> faces;
    std::int32_t faceCount = 0;
    FixedTable<Pivot> pivots;
    std::int32_t pivotCount = 0;
    FixedTable<Light> lights;
    std::int32_t lightCount = 0;
    std::vector<std::string> materialNames;
    std::vector<std::int16_t> materialNameMap;
    std::int32_t materialNameCount = 0;
    FixedTable<TextureCoord> textureCoords;
    std::int32_t textureCoordCount = 0;
    // Table index of each vertex number of the 3DS object being read.
    std::vector<std::uint16_t> vertexRemap;

    // State of the 3DS object being read.
    std::int32_t objectFaceBase = 0;
    std::int32_t objectVertexNumber = 0;
    std::int32_t materialSearchStart = 0;
    // Positions of vertices [0, vertexCount) for the 3DS reader's welding. It
    // notices when vertexCount no longer matches and rebuilds itself, so a
    // reset needs no extra step.
    VertexWeldIndex vertexWeldIndex;
    // The shadow marking's indexes, one per thread that marks lights; each is
    // built anew for every file but keeps its memory.
    std::vector<ShadowIndex> shadowIndexes;

    float ambientColor[3] = {}; // already multiplied by the ambient intensity
    std::int32_t defaultTransparency = 128;

    // Where printMessage and fatalError send their lines.
    MessageSink sink;
};

// Empties every table, so that every record a file reaches starts as a fresh
// one (a face's material index -1, no material), and sets the default
// transparency to 128. Lights and the ambient colour are reset too: a file's
// output depends only on that file and the options.
void resetSceneModel(SceneModel& model);

// Sets the flags that depend on the shading type and the texture (after the
// faces are sorted, before encoding).
void markMaterialFlags(SceneModel& model, const ConversionSettings& settings);

} // namespace kzo
