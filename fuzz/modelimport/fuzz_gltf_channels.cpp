// The reading of a glTF file's animation channels, on any bytes as the .gltf
// text or the .glb file, with a buffer file made of the same bytes. Whatever
// the input, the reader returns channels whose parts agree in length.
#include "modelimport/module/gltf_channels.h"

#include <cstdint>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool binary = (data[0] & 1) != 0;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    const kzo::GltfChannels read = kzo::readGltfChannels(file, binary, [&](const std::string& uri) {
        return uri.empty() ? std::nullopt
                           : std::optional(std::vector<std::uint8_t>(file.begin(), file.end()));
    });
    for (const kzo::ChannelOverride& o : read.channels) {
        const kzo::ChannelTrack& t = o.track;
        const std::size_t width = o.channel == kzo::kRotation ? 4 : 3;
        if (t.interpolation == kzo::Interpolation::step) {
            check(t.seconds.empty());
            continue;
        }
        check(t.interpolation == kzo::Interpolation::cubicSpline);
        check(t.values.size() == width * t.seconds.size());
        check(t.inTangents.size() == t.values.size() && t.outTangents.size() == t.values.size());
    }
    return 0;
}
