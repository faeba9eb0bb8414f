// Material entries of a 3DS file: diffuse colour, transparency and the first
// texture map. Equal materials are merged and equal image names stored once,
// so a scene's tables hold each only once whatever the files repeat.
#include "converter/import/chunks_3ds.h"
#include "converter/import/material_table.h"
#include "converter/model/scene_model.h"

#include <cmath>

namespace kzo {
namespace {

// value truncated toward zero, low 8 bits kept; a value no integer can hold
// (NaN, infinite, huge) gives 0 instead of undefined behaviour.
std::uint8_t lowByteOfTruncated(double value) {
    if (!(std::fabs(value) < 9.0e18)) {
        return 0;
    }
    return static_cast<std::uint8_t>(static_cast<std::int64_t>(value) & 0xFF);
}

std::uint8_t scaledTo255(float value) {
    return lowByteOfTruncated(static_cast<double>(value) * 255.0);
}

void readDiffuseColour(const Reader3ds& reader, Chunk3ds& colour, Material& material) {
    forEachChild(reader, colour, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kColourFloats) {
            const float r = child.data.f32le();
            const float g = child.data.f32le();
            const float b = child.data.f32le();
            material.red = scaledTo255(r);
            material.green = scaledTo255(g);
            material.blue = scaledTo255(b);
        } else if (child.id == chunk3ds::kColourBytes) {
            const std::uint8_t r = child.data.u8();
            const std::uint8_t g = child.data.u8();
            const std::uint8_t b = child.data.u8();
            material.red = r;
            material.green = g;
            material.blue = b;
        }
    });
}

void readTransparency(const Reader3ds& reader, Chunk3ds& transparency, Material& material) {
    forEachChild(reader, transparency, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kPercentInt) {
            material.transparency = static_cast<std::uint8_t>(child.data.u16le() & 0xFF);
        } else if (child.id == chunk3ds::kPercentFloat) {
            material.transparency = scaledTo255(child.data.f32le());
        }
    });
    if (material.transparency > 0) {
        material.flags |= kMaterialTransparent;
    }
}

void readMapFileName(const Reader3ds& reader, Chunk3ds& chunk, Material& material) {
    material.imageIndex = storeImageName(reader.model, readName(reader, chunk), reader.path);
}

void readTextureMap(const Reader3ds& reader, Chunk3ds& map, Material& material) {
    forEachChild(reader, map, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kMapFileName) {
            readMapFileName(reader, child, material);
        }
    });
}

} // namespace

void readMaterialEntry(const Reader3ds& reader, Chunk3ds& entry) {
    SceneModel& model = reader.model;
    if (model.materialNameCount >= kMaxMaterialNames) {
        fatalError(model.sink, "'%s' has more than %d material names", reader.path.c_str(),
                   kMaxMaterialNames);
    }
    const auto nameSlot = static_cast<std::size_t>(model.materialNameCount);
    // An entry without a name chunk must not inherit an earlier file's name.
    model.materialNames[nameSlot].clear();

    Material material;
    material.red = material.green = material.blue = 128;
    material.transparency = static_cast<std::uint8_t>(model.defaultTransparency & 0xFF);
    material.imageIndex = -1;
    material.flags = 0;

    forEachChild(reader, entry, [&](Chunk3ds& child) {
        switch (child.id) {
        case chunk3ds::kMaterialName:
            model.materialNames[nameSlot] = readName(reader, child);
            break;
        case chunk3ds::kDiffuseColour:
            readDiffuseColour(reader, child, material);
            break;
        case chunk3ds::kTransparency:
            readTransparency(reader, child, material);
            break;
        case chunk3ds::kTextureMap:
            readTextureMap(reader, child, material);
            break;
        default:
            break;
        }
    });
    if (material.imageIndex >= 0) {
        material.flags |= kMaterialTextured | kMaterialTextured40 | kMaterialTextured80;
    }

    model.materialNameMap[nameSlot] = storeMaterial(model, material, reader.path);
    model.materialNameCount += 1;
}

} // namespace kzo
