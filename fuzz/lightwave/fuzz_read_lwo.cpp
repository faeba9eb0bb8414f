// Any bytes fed to the LightWave object reader are read or refused with
// LwoError; what is read keeps every index inside its table.
#include "lightwave/read_lwo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void checkObject(const kzo::LwoObject& object) {
    for (const kzo::LwoLayer& layer : object.layers) {
        check(layer.cornerUvs.size() == layer.corners.size());
        for (std::uint32_t point : layer.corners) {
            check(point < layer.points.size());
        }
        for (const kzo::LwoPolygon& polygon : layer.polygons) {
            check(polygon.firstCorner <= layer.corners.size() &&
                  polygon.cornerCount <= layer.corners.size() - polygon.firstCorner);
            check(polygon.surface >= -1 &&
                  (polygon.surface < 0 || std::size_t(polygon.surface) < object.surfaces.size()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        checkObject(kzo::readLwoObject({data, size}));
    } catch (const kzo::LwoError&) {
    }
    return 0;
}
