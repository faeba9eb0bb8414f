// Loading one object file (.kzo, LightWave .lwo, .3ds, or a model of any other
// format the model import library reads) into a ViewerDocument.
//
// Every entry either fills doc (mesh normalised, captionText written) or throws
// FatalError with the message to show after "ERROR: "; on failure doc is left
// empty with all of its memory released. The *Bytes entries parse a buffer and
// use name only for the messages and the caption.
//
// A summary load reads and checks the file exactly as a whole load does and
// fails with the same messages, but keeps only the caption and the vertex and
// face counts: no vertex, corner or edge array is made.
#pragma once

#include "viewer/model_reading.h"
#include "viewer/viewer_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace kzoview {

// summary: the counts and bounds only (--info); withoutEdges: the whole mesh
// but no edges, for a view that draws no wireframe (a shaded or played
// snapshot), which saves a large mesh's largest arrays.
enum class LoadScope { wholeMesh, withoutEdges, summary };

// Chooses the loader by the name's last three characters, in any letter case;
// any other name whose extension (after the last dot) the model import
// library reads goes to LoadModel.
void LoadObjectFile(const std::string& name, ViewerDocument& doc,
                    LoadScope scope = LoadScope::wholeMesh, const ModelReading& reading = {});

void LoadKZO(const std::string& name, ViewerDocument& doc, LoadScope scope = LoadScope::wholeMesh);
void LoadLWO(const std::string& name, ViewerDocument& doc, LoadScope scope = LoadScope::wholeMesh);
void Load3DS(const std::string& name, ViewerDocument& doc, LoadScope scope = LoadScope::wholeMesh);
// Through the model import module: the converter's triangles, welded, in the
// 3DS reader's space.
void LoadModel(const std::string& name, ViewerDocument& doc, LoadScope scope = LoadScope::wholeMesh,
               const ModelReading& reading = {});

void LoadKZOBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope = LoadScope::wholeMesh);
void LoadLWOBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope = LoadScope::wholeMesh);
void Load3DSBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope = LoadScope::wholeMesh);

} // namespace kzoview
