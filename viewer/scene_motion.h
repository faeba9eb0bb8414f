// The side files a scene converted with its animation brings along (.mot,
// .cam, .kzl) and the poses they give the objects and the camera at a frame.
//
// Keys are interpolated linearly between the two around a frame, angles in
// degrees like positions; before the first key the first one holds, after the
// last the last. A track without keys stands still at the identity key.
#pragma once

#include "format/side_formats.h"
#include "viewer/shaded_model.h"
#include "viewer/view_matrix.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kzoview {

using MotionTrack = std::vector<kzo::MotionKey>;

struct MotionFile {
    std::int32_t lastFrame = 0;
    std::vector<MotionTrack> tracks; // track i moves pivot i; a camera's track comes last
};

struct CameraFile {
    std::optional<MotionTrack> camera;
    std::optional<MotionTrack> parent; // the object the camera rides on
    std::optional<MotionTrack> target; // the object the camera looks at
    Vec3f targetPoint;                 // where the target stands at its first key
};

// Each throws FatalError naming the file and the fault.
MotionFile parseMotionFile(std::span<const std::uint8_t> bytes, const std::string& name);
CameraFile parseCameraFile(std::span<const std::uint8_t> bytes, const std::string& name);
std::vector<kzo::Light> parseLightFile(std::span<const std::uint8_t> bytes,
                                       const std::string& name);

// The side file's name: the object file's with its last three characters
// replaced, the way the converter names them.
std::string sideFileName(const std::string& objectFile, const char* extension);

kzo::MotionKey keyAt(const MotionTrack& track, double frame);

// p' = p x linear + translation, points as rows.
struct Affine {
    Matrix3 linear = kIdentityMatrix;
    Vec3f translation;
};

Vec3f transformPoint(const Affine& a, const Vec3f& p);
// first, then second.
Affine compose(const Affine& first, const Affine& second);

// The object's transform for a key: about its pivot point, scaled by the key,
// turned by bank, then pitch, then heading, and moved to the key's position.
Affine keyTransform(const kzo::MotionKey& key, const Vec3f& pivot);

// Every pivot's transform at the frame, its parents' included. A pivot
// without a track keeps the identity key; a parent link that names no pivot,
// or closes a cycle, ends the chain there.
std::vector<Affine> pivotTransforms(const std::vector<ShadedPivot>& pivots,
                                    const MotionFile& motion, double frame);

// Where the camera stands and how it is turned at the frame: the rows of
// turn are its right, up and viewing directions in the scene.
struct CameraPose {
    Vec3f position;
    Matrix3 turn = kIdentityMatrix;
};
CameraPose cameraAt(const CameraFile& camera, double frame);

} // namespace kzoview
