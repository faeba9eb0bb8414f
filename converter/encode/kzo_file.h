// The converter's KZO writers. They run the geometry processing on the model,
// print "'<path>' Writing..." and the summary, and add the finished file to
// model.pendingOutputs; the dispatch writes it to disk once the whole input has
// converted. Both expect the faces sorted by material and the material flags
// marked.
#pragma once

#include "converter/model/scene_model.h"
#include "format/kzo_format.h"

#include <string>

namespace kzo {

// The scene as one object: pivot transforms are baked into the vertex
// positions and no pivot section is written.
void writeKzo(SceneModel& model, const std::string& path);

// The scene with its object hierarchy: vertices stay in their objects' own
// space and every pivot is written with its run of vertices.
void writeKzoWithPivots(SceneModel& model, const std::string& path);

// The summary block of a written file, one line per message.
void printKzoSummary(const MessageSink& sink, const KzoHeader& header);

} // namespace kzo
