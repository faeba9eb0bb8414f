// The KZO file of a converted model. The encoder only reads the model: the
// geometry steps have already placed, lit and scaled it.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"
#include "format/kzo_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// Checks what the geometry steps and the encoder index or narrow, before the
// geometry touches the model: counts within the tables, face vertex indices
// below the vertex count, image names that fit their record. A fault is a
// fatal error naming input, the file converted, so a reader's slip becomes an
// error instead of a bad file.
void checkKzoEncodable(const SceneModel& model, const std::string& input);

// Prints "'<path>' Writing..." and the summary, and returns the file: with the
// object hierarchy (one pivot record per pivot with its run of vertices) when
// the settings keep it, otherwise without pivot records. Expects the faces
// sorted by material and the material flags marked. Every float the file
// would hold must be a number (input NaNs, or a scale that overflows, are
// fatal errors naming input, raised before anything is printed).
std::vector<std::uint8_t> encodeKzo(const SceneModel& model, const ConversionSettings& settings,
                                    const std::string& path, const std::string& input);

// The summary block of a written file, one line per message.
void printKzoSummary(const MessageSink& sink, const KzoHeader& header);

} // namespace kzo
