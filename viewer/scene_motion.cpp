#include "viewer/scene_motion.h"

#include "viewer/load_support.h"
#include "viewer/viewer_error.h"

#include <algorithm>
#include <cmath>

namespace kzoview {

namespace {

[[noreturn]] void fail(std::string_view reader, const std::string& name, const std::string& fault) {
    fatalError(detail::fileMessage(reader, name, fault));
}

MotionTrack readTrack(kzo::ByteReader& in, std::int32_t keyCount, std::string_view reader,
                      const std::string& name) {
    if (keyCount < 0 || !in.has(std::size_t(keyCount) * kzo::kMotionKeySize)) {
        fail(reader, name,
             "announces " + std::to_string(keyCount) + " keys at byte " +
                 std::to_string(in.position() - 4) + ", more than the file holds");
    }
    MotionTrack track;
    track.reserve(std::size_t(keyCount));
    for (std::int32_t k = 0; k < keyCount; ++k) {
        track.push_back(kzo::readMotionKey(in));
    }
    return track;
}

// One section of a camera file: a block when its first number is a key
// count, nothing when it is 0 or below.
std::optional<MotionTrack> readSection(kzo::ByteReader& in, const std::string& name) {
    const std::int32_t first = in.i32le();
    if (first <= 0) {
        return std::nullopt;
    }
    return readTrack(in, first, "LoadCAM", name);
}

bool readCameraSections(kzo::ByteReader in, bool withCamera, const std::string& name,
                        CameraFile& out) {
    CameraFile file;
    try {
        if (withCamera) {
            file.camera = readTrack(in, in.i32le(), "LoadCAM", name);
        }
        file.parent = readSection(in, name);
        file.target = readSection(in, name);
        if (file.target) {
            const float x = in.f32le();
            const float y = in.f32le();
            const float z = in.f32le();
            file.targetPoint = {x, y, z};
        }
    } catch (const kzo::OutOfData&) {
        return false;
    } catch (const FatalError&) {
        return false;
    }
    if (!in.atEnd()) {
        return false;
    }
    out = std::move(file);
    return true;
}

float lerp(float a, float b, double t) {
    return float(double(a) + (double(b) - double(a)) * t);
}

Vec3f unit(Vec3f v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f)) {
        return v;
    }
    return {v.x / length, v.y / length, v.z / length};
}

// Rz(bank) x Rx(pitch) x Ry(heading), degrees converted with the converter's
// 3.141592 / 180.
Matrix3 turnOf(double heading, double pitch, double bank) {
    const double toRadians = 3.141592 / 180.0;
    const auto rx = [](double a) {
        return Matrix3{{1, 0, 0, 0, float(std::cos(a)), float(std::sin(a)), 0, float(-std::sin(a)),
                        float(std::cos(a))}};
    };
    const auto ry = [](double a) {
        return Matrix3{{float(std::cos(a)), 0, float(-std::sin(a)), 0, 1, 0, float(std::sin(a)), 0,
                        float(std::cos(a))}};
    };
    const auto rz = [](double a) {
        return Matrix3{{float(std::cos(a)), float(std::sin(a)), 0, float(-std::sin(a)),
                        float(std::cos(a)), 0, 0, 0, 1}};
    };
    Matrix3 turn;
    MultiplyMatrix(turn, rz(bank * toRadians), rx(pitch * toRadians));
    MultiplyMatrix(turn, turn, ry(heading * toRadians));
    return turn;
}

Vec3f row(const Matrix3& m, int r) {
    return {m.r[3 * r], m.r[3 * r + 1], m.r[3 * r + 2]};
}

} // namespace

MotionFile parseMotionFile(std::span<const std::uint8_t> bytes, const std::string& name) {
    try {
        kzo::ByteReader in(bytes);
        MotionFile file;
        file.lastFrame = in.i32le();
        const std::int32_t count = in.i32le();
        if (count < 0 || !in.has(std::size_t(count) * 4)) {
            fail("LoadMOT", name, "announces " + std::to_string(count) + " motion blocks");
        }
        for (std::int32_t b = 0; b < count; ++b) {
            file.tracks.push_back(readTrack(in, in.i32le(), "LoadMOT", name));
        }
        return file;
    } catch (const kzo::OutOfData& e) {
        fail("LoadMOT", name, "is truncated at byte " + std::to_string(e.offset));
    }
}

CameraFile parseCameraFile(std::span<const std::uint8_t> bytes, const std::string& name) {
    // The camera's own block is there only when the scene had a camera, and
    // nothing marks it: the reading that spans the file exactly is the one.
    kzo::ByteReader in(bytes);
    CameraFile file;
    if (readCameraSections(in, true, name, file) || readCameraSections(in, false, name, file)) {
        return file;
    }
    fail("LoadCAM", name, "holds no camera, parent and target sections that end with the file");
}

std::vector<kzo::Light> parseLightFile(std::span<const std::uint8_t> bytes,
                                       const std::string& name) {
    try {
        kzo::ByteReader in(bytes);
        const std::int32_t count = in.i32le();
        if (count < 0 || !in.has(std::size_t(count) * kzo::kLightRecordSize)) {
            fail("LoadKZL", name,
                 "announces " + std::to_string(count) + " lights, more than the file holds");
        }
        std::vector<kzo::Light> lights;
        for (std::int32_t i = 0; i < count; ++i) {
            lights.push_back(kzo::readLight(in));
        }
        return lights;
    } catch (const kzo::OutOfData& e) {
        fail("LoadKZL", name, "is truncated at byte " + std::to_string(e.offset));
    }
}

std::string sideFileName(const std::string& objectFile, const char* extension) {
    const std::size_t keep = objectFile.size() >= 3 ? objectFile.size() - 3 : 0;
    return objectFile.substr(0, keep) + extension;
}

kzo::MotionKey keyAt(const MotionTrack& track, double frame) {
    if (track.empty()) {
        return kzo::MotionKey{};
    }
    if (frame <= track.front().frame) {
        return track.front();
    }
    for (std::size_t k = 0; k + 1 < track.size(); ++k) {
        const kzo::MotionKey& a = track[k];
        const kzo::MotionKey& b = track[k + 1];
        if (frame >= b.frame) {
            continue;
        }
        if (b.frame <= a.frame) {
            return a;
        }
        const double t = (frame - a.frame) / (double(b.frame) - double(a.frame));
        kzo::MotionKey key;
        key.frame = a.frame;
        for (int i = 0; i < 3; ++i) {
            key.position[i] = lerp(a.position[i], b.position[i], t);
            key.scale[i] = lerp(a.scale[i], b.scale[i], t);
        }
        key.heading = lerp(a.heading, b.heading, t);
        key.pitch = lerp(a.pitch, b.pitch, t);
        key.bank = lerp(a.bank, b.bank, t);
        return key;
    }
    return track.back();
}

Vec3f transformPoint(const Affine& a, const Vec3f& p) {
    const auto& r = a.linear.r;
    return {p.x * r[0] + p.y * r[3] + p.z * r[6] + a.translation.x,
            p.x * r[1] + p.y * r[4] + p.z * r[7] + a.translation.y,
            p.x * r[2] + p.y * r[5] + p.z * r[8] + a.translation.z};
}

Affine compose(const Affine& first, const Affine& second) {
    Affine out;
    MultiplyMatrix(out.linear, first.linear, second.linear);
    out.translation = transformPoint(second, first.translation);
    return out;
}

Affine keyTransform(const kzo::MotionKey& key, const Vec3f& pivot) {
    Affine scale;
    scale.linear = Matrix3{{key.scale[0], 0, 0, 0, key.scale[1], 0, 0, 0, key.scale[2]}};
    scale.translation = {-pivot.x * key.scale[0], -pivot.y * key.scale[1], -pivot.z * key.scale[2]};
    Affine turn;
    turn.linear = turnOf(key.heading, key.pitch, key.bank);
    turn.translation = {key.position[0], key.position[1], key.position[2]};
    return compose(scale, turn);
}

std::vector<Affine> pivotTransforms(const std::vector<ShadedPivot>& pivots,
                                    const MotionFile& motion, double frame) {
    const std::size_t count = pivots.size();
    std::vector<Affine> local(count);
    for (std::size_t p = 0; p < count; ++p) {
        const kzo::MotionKey key =
            p < motion.tracks.size() ? keyAt(motion.tracks[p], frame) : kzo::MotionKey{};
        local[p] = keyTransform(key, pivots[p].point);
    }
    // Each pivot's chain of ancestors, walked up until a root, a link to no
    // pivot, or a pivot met before on the same chain.
    std::vector<Affine> world(count);
    std::vector<std::uint8_t> onChain(count, 0);
    std::vector<std::size_t> chain;
    for (std::size_t p = 0; p < count; ++p) {
        chain.clear();
        std::size_t at = p;
        for (;;) {
            chain.push_back(at);
            onChain[at] = 1;
            const std::size_t parent = pivots[at].parent;
            if (parent >= count || onChain[parent] != 0) {
                break;
            }
            at = parent;
        }
        Affine total = local[chain.back()];
        for (std::size_t i = chain.size() - 1; i-- > 0;) {
            total = compose(local[chain[i]], total);
        }
        world[p] = total;
        for (const std::size_t c : chain) {
            onChain[c] = 0;
        }
    }
    return world;
}

CameraPose cameraAt(const CameraFile& camera, double frame) {
    kzo::MotionKey own = camera.camera ? keyAt(*camera.camera, frame) : kzo::MotionKey{};
    // A camera's scale changes nothing it sees.
    own.scale[0] = own.scale[1] = own.scale[2] = 1;
    Affine placed = keyTransform(own, {});
    if (camera.parent) {
        // The file does not keep the parent's pivot point: it turns about its origin.
        placed = compose(placed, keyTransform(keyAt(*camera.parent, frame), {}));
    }
    CameraPose pose;
    pose.position = placed.translation;
    Vec3f rows[3];
    for (int r = 0; r < 3; ++r) {
        rows[r] = unit(row(placed.linear, r));
    }
    pose.turn = Matrix3{{rows[0].x, rows[0].y, rows[0].z, rows[1].x, rows[1].y, rows[1].z,
                         rows[2].x, rows[2].y, rows[2].z}};
    if (camera.target && !camera.target->empty()) {
        const kzo::MotionKey now = keyAt(*camera.target, frame);
        const kzo::MotionKey& first = camera.target->front();
        const Vec3f target{camera.targetPoint.x + (now.position[0] - first.position[0]),
                           camera.targetPoint.y + (now.position[1] - first.position[1]),
                           camera.targetPoint.z + (now.position[2] - first.position[2])};
        const Vec3f toward{target.x - pose.position.x, target.y - pose.position.y,
                           target.z - pose.position.z};
        const double length = std::sqrt(double(toward.x) * toward.x + double(toward.y) * toward.y +
                                        double(toward.z) * toward.z);
        if (length > 0) {
            // The heading and pitch that turn the viewing axis +z onto the
            // target; the camera keeps its own bank.
            const double heading = std::atan2(double(toward.x), double(toward.z));
            const double pitch = std::asin(std::clamp(-double(toward.y) / length, -1.0, 1.0));
            const double toDegrees = 180.0 / 3.141592;
            pose.turn = turnOf(heading * toDegrees, pitch * toDegrees, own.bank);
        }
    }
    return pose;
}

} // namespace kzoview
