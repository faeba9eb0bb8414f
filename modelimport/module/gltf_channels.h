// What the import library drops of a glTF file's first animation: which
// channels step and which follow splines, with the splines' tangents. Read
// from the file itself, beside the library's reading.
#pragma once

#include "modelimport/module/animation_tracks.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kzo {

struct GltfChannels {
    // STEP channels (interpolation only) and CUBICSPLINE ones (whole, with
    // times, values and tangents), named by the node names the library gives.
    std::vector<ChannelOverride> channels;
    // The animation drives something other than nodes' places.
    bool animatesProperties = false;
    // Why a channel could not be read (it is then taken as the library gives
    // it).
    std::vector<std::string> warnings;
};

// The bytes of a file the model names by URI, relative to the model's folder;
// nothing when it cannot be opened.
using GltfFileLoader = std::function<std::optional<std::vector<std::uint8_t>>(const std::string&)>;

// file: the .gltf text, or the whole .glb when binary. Never throws for the
// file's faults: the library has read the file already, and what cannot be
// read here is left to the library's reading with a warning.
GltfChannels readGltfChannels(std::span<const std::uint8_t> file, bool binary,
                              const GltfFileLoader& loadFile);

} // namespace kzo
