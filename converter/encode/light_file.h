// The .kzl file: int32 lightCount, lightCount x Light (48 bytes).
#pragma once

#include "converter/model/messages.h"
#include "format/side_formats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// Prints "'<path>' Writing..." and returns the .kzl file of the lights. A light
// value that is not a finite number (the scene says "nan", or an angle is
// infinite) is a fatal error naming input, the scene that gave the lights.
std::vector<std::uint8_t> encodeLightFile(const std::vector<Light>& lights, const std::string& path,
                                          const std::string& input, const MessageSink& sink);

} // namespace kzo
