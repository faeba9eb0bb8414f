// The scene model's image and material tables as the object readers fill
// them: an image name is stored once, and a material equal in colour,
// transparency, image and flags to a stored one is that one, so a scene's
// tables hold each only once whatever its files repeat.
#pragma once

#include <cstdint>
#include <string>

namespace kzo {

struct SceneModel;
struct Material;

// The index of the image of that name, stored now when it is new. A full
// table is a fatal error naming path, the file being read.
std::int16_t storeImageName(SceneModel& model, std::string name, const std::string& path);

// The index of the first stored material equal to material, stored now when
// there is none. A full table is a fatal error naming path.
std::int16_t storeMaterial(SceneModel& model, const Material& material, const std::string& path);

} // namespace kzo
