#include "converter/import/load_3ds.h"

#include "converter/import/chunks_3ds.h"
#include "converter/model/scene_model.h"
#include "format/file_io.h"

#include <vector>

namespace kzo {
namespace {

void readEditor(const Reader3ds& reader, Chunk3ds& editor) {
    // Face material lists look names up only among this file's materials.
    reader.model.materialSearchStart = reader.model.materialNameCount;
    forEachChild(reader, editor, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kMaterialEntry) {
            readMaterialEntry(reader, child);
        } else if (child.id == chunk3ds::kNamedObject) {
            readNamedObject(reader, child);
        }
    });
}

void readMain(const Reader3ds& reader, Chunk3ds& main) {
    forEachChild(reader, main, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kEditor) {
            readEditor(reader, child);
        }
    });
}

} // namespace

void load3dsBuffer(SceneModel& model, std::span<const std::uint8_t> bytes,
                   const std::string& pathForMessages, VertexWelder welder,
                   std::uint8_t pivotIndex) {
    if (bytes.size() < 2 || (bytes[0] | (bytes[1] << 8)) != chunk3ds::kMain) {
        return;
    }
    const Reader3ds reader{model, pathForMessages, welder, pivotIndex};
    // Bytes behind the main chunk are not looked at.
    Chunk3ds main = openFileChunk(reader, bytes);
    handleChunk(reader, main, [&](Chunk3ds& chunk) { readMain(reader, chunk); });
}

void load3dsFile(SceneModel& model, const std::string& path, std::uint8_t pivotIndex) {
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes)) {
        fatalError(model.sink, "cannot open '%s'", path.c_str());
    }
    load3dsBuffer(model, bytes, path, weldVertex, pivotIndex);
}

} // namespace kzo
