// The converter's 3D Studio reader: appends a .3ds file's materials, texture
// image names, welded vertices and triangles to the scene model.
//
// Only the mesh-editor data is read (materials with their diffuse colour,
// transparency and first texture map; objects' vertex lists, face lists, face
// material lists and mapping coordinates); every other chunk is skipped by its
// length. All objects of a scene accumulate in the same tables; each vertex
// carries the pivotIndex it is given: the index of the scene object whose file
// it is, 0 for a plain 3DS file. Faces that no material list names keep
// materialIndex -1.
#pragma once

#include "converter/import/weld_vertex.h"

#include <cstdint>
#include <span>
#include <string>

namespace kzo {

struct SceneModel;

// Reads the file at path. A file that cannot be opened is a fatal error.
void load3dsFile(SceneModel& model, const std::string& path, std::uint8_t pivotIndex = 0);

// Reads a .3ds file held in memory; pathForMessages names it in errors. Data
// that does not start with the main chunk id 0x4D4D adds nothing and is no
// error. A damaged file (a bad chunk length, data ending inside a chunk or a
// record, an unterminated name, a face naming a vertex or face the object does
// not have) or one that overflows a table of the model is a fatal error
// (FatalErrorSignal after an "ERROR: " line naming the file and the fault); the
// model then holds a partial file and must be reset before it is used again.
void load3dsBuffer(SceneModel& model, std::span<const std::uint8_t> bytes,
                   const std::string& pathForMessages, VertexWelder welder = weldVertex,
                   std::uint8_t pivotIndex = 0);

} // namespace kzo
