#include "converter/encode/light_file.h"

#include "format/byte_writer.h"

#include <cmath>

namespace kzo {
namespace {

bool isFinite(const Light& light) {
    const float values[10] = {light.position[0],  light.position[1],  light.position[2],
                              light.direction[0], light.direction[1], light.direction[2],
                              light.intensity,    light.range,        light.coneCos,
                              light.edgeCos};
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> encodeLightFile(const std::vector<Light>& lights, const std::string& path,
                                          const std::string& input, const MessageSink& sink) {
    printMessage(sink, "'%s' Writing...", path.c_str());
    for (std::size_t i = 0; i < lights.size(); ++i) {
        if (!isFinite(lights[i])) {
            fatalError(sink, "'%s': light %zu holds a value that is not a finite number",
                       input.c_str(), i);
        }
    }
    ByteWriter out;
    out.reserve(4 + kLightRecordSize * lights.size());
    out.i32le(static_cast<std::int32_t>(lights.size()));
    for (const Light& light : lights) {
        writeLight(out, light);
    }
    return out.take();
}

} // namespace kzo
