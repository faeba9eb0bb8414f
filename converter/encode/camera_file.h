// The .cam file: the camera's motion, the motion of the object it is attached
// to, and the motion and position of the object it looks at. Three sections,
// no header:
//   camera: its MotionBlock, present only when the camera has a motion with at
//           least one key; without one, the file is just two absent sections
//   parent: the parent object's MotionBlock, or an int32 <= 0 (absent)
//   target: the target object's MotionBlock and three floats (the target
//           point), or an int32 <= 0 (absent)
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/messages.h"
#include "converter/model/scene_description.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// Prints "'<path>' Writing..." and returns the .cam file. The target point is
// the target's pivot point times the scale factor plus the unscaled position
// of its first key. A parent or target number with no matching object, or
// whose motion holds no keys, writes its section as absent (-1); a number of 0
// or below is written as it stands. Values that are not finite numbers are
// fatal errors (see encodeMotionBlock).
std::vector<std::uint8_t> encodeCameraFile(const SceneDescription& scene,
                                           const ConversionSettings& settings,
                                           const std::string& path, const MessageSink& sink);

} // namespace kzo
