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

void storeNormal(Face& face, Vec3 unit, float planeD) {
    face.normal[0] = unit.x;
    face.normal[1] = unit.y;
    face.normal[2] = unit.z;
    face.planeD = planeD;
}

// Float squares overflow for corners beyond about 1e19 apart and vanish for
// triangles smaller than about 1e-19; double holds every such product of
// floats. Used only where the float result is unusable, so ordinary faces keep
// their float bits.
bool computeFaceNormalInDouble(Face& face, Vec3 p0, Vec3 p1, Vec3 p2) {
    const double ax = double(p0.x) - p1.x, ay = double(p0.y) - p1.y, az = double(p0.z) - p1.z;
    const double bx = double(p2.x) - p1.x, by = double(p2.y) - p1.y, bz = double(p2.z) - p1.z;
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length == 0.0 || !std::isfinite(length)) {
        // Written as is for flat shading, so it must not keep an earlier file's value.
        storeNormal(face, {0.0f, 0.0f, 0.0f}, 0.0f);
        return false;
    }
    const Vec3 unit = {static_cast<float>(nx / length), static_cast<float>(ny / length),
                       static_cast<float>(nz / length)};
    storeNormal(face, unit, -dot(unit, p0));
    return true;
}

// False for a face of zero area.
bool computeFaceNormal(const SceneModel& model, Face& face) {
    const Vec3 p0 = position(model, face.vertexIndex[0]);
    const Vec3 p1 = position(model, face.vertexIndex[1]);
    const Vec3 p2 = position(model, face.vertexIndex[2]);
    const Vec3 n = cross(minus(p0, p1), minus(p2, p1));
    const float length = std::sqrt(dot(n, n));
    if (length == 0.0f || !std::isfinite(length)) {
        return computeFaceNormalInDouble(face, p0, p1, p2);
    }
    const Vec3 unit = {n.x / length, n.y / length, n.z / length};
    storeNormal(face, unit, -dot(unit, p0));
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
