// Scenes of versions 2 to 5 into the description every scene version shares:
// the items of lws_items.h with their links followed through the declared
// ids, their motions sampled into .mot keys, and the lights and the camera
// mapped onto the records version 1 scenes give.
//
// Scene keyword (versions 2-5)              becomes
//   LoadObject / LoadObjectLayer            an object with geometry (its layer)
//   AddNullObject                           an object without geometry
//   PivotPoint / PivotPosition              the object's pivot point
//   ParentObject / ParentItem (of an object) its parent; only objects can be one
//   ObjectMotion                            its .mot block, whose first key places it
//   AddLight                                a light record, in file order
//   LightType                               type (0 distant, 1 point, 2 spot)
//   LightColor                              color: 0..1 x 255 rounded from version 3
//                                           on, 0..255 in version 2
//   LightIntensity / LgtIntensity           intensity; an envelope's value at the
//                                           time of the light's first key
//   LightFalloffType, LightRange            range: LightRange, or -1 (no limit)
//                                           when the falloff type is 0
//   LightConeAngle, LightEdgeAngle          cone and edge angles, degrees
//   LightMotion                             position, and direction from heading
//                                           and pitch, of its first key
//   AmbientColor (as LightColor) x
//   AmbientIntensity / AmbIntensity         the ambient colour (with lights only)
//   AddCamera, CameraMotion                 the .cam camera block (first camera)
//   ParentItem / ParentObject (camera)      the .cam parent section
//   TargetItem / TargetObject (camera)      the .cam target section
//   FramesPerSecond                         seconds to frames (30 when absent)
//   LastFrame                               the .mot file's last frame
// Bones, further cameras, parents and targets that are no object, morphs,
// motion plug-ins and channel modifiers are named in warning lines.
#pragma once

#include "converter/import/scene_objects.h"
#include "converter/import/scene_text.h"
#include "converter/model/messages.h"
#include "converter/model/scene_description.h"

namespace kzo {

// Reads a scene of version 2 or later. Geometry objects are loaded through
// loadGeometry in object order. Fatal errors: more objects or lights than the
// model's tables hold, a geometry object beyond the first 256 objects, a key
// time whose frame does not fit 32 bits, a version 2 motion whose counts do
// not match its lines.
SceneDescription parseItemScene(const SceneText& text, int version, const MessageSink& sink,
                                const GeometryLoader& loadGeometry);

} // namespace kzo
