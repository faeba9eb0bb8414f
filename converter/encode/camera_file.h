// The .cam file: the camera's motion, the motion of the object it is attached
// to, and the motion and position of the object it looks at. Three sections,
// no header:
//   camera: its MotionBlock, present only when the scene has a CameraMotion
//           envelope with at least one key; without one, the file is just
//           two absent sections
//   parent: the parent object's MotionBlock, or an int32 <= 0 (absent)
//   target: the target object's MotionBlock and three floats (the target
//           point), or an int32 <= 0 (absent)
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

namespace kzo {

// Appends the .cam file to model.pendingOutputs, with its "Writing..." line,
// when the camera file option is on. Runs after the KZO writer: the target
// point is the target's pivot point as the writer left it (scaled) plus the
// unscaled position of its first key. A ParentObject or TargetObject number
// with no matching object, or whose envelope holds no keys, writes its section
// as absent (-1). Non-finite values are fatal errors (see writeMotionBlock).
void writeCamFile(SceneModel& model, const SceneText& scene, const std::string& path);

} // namespace kzo
