#include "converter/model/compute_normals.h"

#include <cmath>

namespace kzo {
namespace {

struct Vec3 {
    float x, y, z;
};

Vec3 position(const SceneModel& model, std::uint16_t index) {
    const Vertex& v = model.vertices[index];
    return {v.x, v.y, v.z};
}

Vec3 minus(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// False for a face of zero area.
bool computeFaceNormal(const SceneModel& model, Face& face) {
    const Vec3 p0 = position(model, face.vertexIndex[0]);
    const Vec3 p1 = position(model, face.vertexIndex[1]);
    const Vec3 p2 = position(model, face.vertexIndex[2]);
    const Vec3 n = cross(minus(p0, p1), minus(p2, p1));
    const float length = std::sqrt(dot(n, n));
    if (length == 0.0f) {
        // Written as is for flat shading, so it must not keep an earlier file's value.
        face.normal[0] = face.normal[1] = face.normal[2] = 0.0f;
        face.planeD = 0.0f;
        return false;
    }
    const Vec3 unit = {n.x / length, n.y / length, n.z / length};
    face.normal[0] = unit.x;
    face.normal[1] = unit.y;
    face.normal[2] = unit.z;
    face.planeD = -dot(unit, p0);
    return true;
}

} // namespace

void computeNormals(SceneModel& model) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        v.normal[0] = v.normal[1] = v.normal[2] = 0.0f;
        v.counter = 0;
    }
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        Face& face = model.faces[static_cast<std::size_t>(i)];
        if (!computeFaceNormal(model, face)) {
            continue;
        }
        for (std::uint16_t index : face.vertexIndex) {
            Vertex& v = model.vertices[index];
            v.normal[0] += face.normal[0];
            v.normal[1] += face.normal[1];
            v.normal[2] += face.normal[2];
            ++v.counter;
        }
    }
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        if (v.counter <= 0) {
            continue;
        }
        const float length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                       v.normal[2] * v.normal[2]);
        if (length != 0.0f) {
            v.normal[0] /= length;
            v.normal[1] /= length;
            v.normal[2] /= length;
        }
    }
}

} // namespace kzo
