// The converter's LightWave object reader: appends an .lwo file's (LWO2, LWOB
// or LWLO) surfaces, images, welded points and triangles to the scene model.
//
// Points keep LightWave's axes and polygons its corner order (the order the
// 3DS reader's exchange of y and z gives a .3ds twin, so both convert alike).
// Only FACE polygons of three or more corners become faces, each as a fan of
// triangles from its first corner; every other polygon is named in a warning.
// Points are welded as the 3DS reader welds vertices, and carry the
// pivotIndex they are given (the scene object whose file it is). A surface becomes a material
// (merged with an equal one) when a face uses it; faces without a surface keep materialIndex -1.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kzo {

struct SceneModel;
struct LwoObject;

// Every layer of the file, rather than one.
inline constexpr std::int32_t kAllLayers = -1;

// Reads the file at path. layer is the
// number scenes give the layer to take (from 1), or kAllLayers. A file that
// cannot be opened, a damaged one, a missing layer and a table overflow are
// fatal errors naming the file.
void loadLwoFile(SceneModel& model, const std::string& path, std::int32_t layer,
                 std::uint8_t pivotIndex = 0);

// The same for a file held in memory; pathForMessages names it in messages.
void loadLwoBuffer(SceneModel& model, std::span<const std::uint8_t> bytes,
                   const std::string& pathForMessages, std::int32_t layer,
                   std::uint8_t pivotIndex = 0);

} // namespace kzo
