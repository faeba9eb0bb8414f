// The shadow marking written as plainly as it is described: every light
// against every face against every vertex, no index, with the classic or the
// relative tolerances. The fast markLitVertices must leave exactly the same
// counters; the tests and the benchmark compare the two.
#pragma once

#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "converter/model/shadow_options.h"

namespace kzotest {

inline void literalMarkLitVertices(kzo::SceneModel& model, int lightIndex,
                                   kzo::ShadowTest test = kzo::ShadowTest::classic) {
    const kzo::Light& light = model.lights[static_cast<std::size_t>(lightIndex)];
    const double qx = light.position[0];
    const double qy = light.position[1];
    const double qz = light.position[2];
    const double range = light.range;
    const bool relative = test == kzo::ShadowTest::relative;
    double threshold = static_cast<double>(0.00001f);
    double nearLight = 0.0001;

    for (int i = 0; i < model.vertexCount; ++i) {
        kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        v.counter = 1;
        if (light.range >= 0) {
            const double x = v.x, y = v.y, z = v.z;
            if (!(x >= qx - range && x <= qx + range && y >= qy - range && y <= qy + range &&
                  z >= qz - range && z <= qz + range)) {
                v.counter = 0;
            }
        }
    }

    auto inside = [&](const kzo::Face& f, double px, double py, double pz) {
        const kzo::Vertex& k0 = model.vertices[f.vertexIndex[0]];
        const kzo::Vertex& k1 = model.vertices[f.vertexIndex[1]];
        const kzo::Vertex& k2 = model.vertices[f.vertexIndex[2]];
        const double ax = k0.x - px, ay = k0.y - py, az = k0.z - pz;
        const double bx = k1.x - px, by = k1.y - py, bz = k1.z - pz;
        const double cx = k2.x - px, cy = k2.y - py, cz = k2.z - pz;
        // X1 = c x a, X2 = a x b, X3 = b x c
        const double x1x = cy * az - cz * ay, x1y = cz * ax - cx * az, x1z = cx * ay - cy * ax;
        const double x2x = ay * bz - az * by, x2y = az * bx - ax * bz, x2z = ax * by - ay * bx;
        const double x3x = by * cz - bz * cy, x3y = bz * cx - bx * cz, x3z = bx * cy - by * cx;
        return x1x * x2x + x1y * x2y + x1z * x2z > threshold &&
               x2x * x3x + x2y * x3y + x2z * x3z > threshold &&
               x3x * x1x + x3y * x1y + x3z * x1z > threshold;
    };

    for (int fi = 0; fi < model.faceCount; ++fi) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(fi)];
        if (model.vertices[f.vertexIndex[0]].counter < 1 &&
            model.vertices[f.vertexIndex[1]].counter < 1 &&
            model.vertices[f.vertexIndex[2]].counter < 1) {
            continue;
        }
        const double nx = f.normal[0], ny = f.normal[1], nz = f.normal[2], d = f.planeD;
        if (relative) {
            // 0.00001 times |(K1 - K0) x (K2 - K0)|^2; 0.0001 times the
            // squared bounding radius.
            const kzo::Vertex& k0 = model.vertices[f.vertexIndex[0]];
            const kzo::Vertex& k1 = model.vertices[f.vertexIndex[1]];
            const kzo::Vertex& k2 = model.vertices[f.vertexIndex[2]];
            const double ex = static_cast<double>(k1.x) - k0.x,
                         ey = static_cast<double>(k1.y) - k0.y,
                         ez = static_cast<double>(k1.z) - k0.z;
            const double gx = static_cast<double>(k2.x) - k0.x,
                         gy = static_cast<double>(k2.y) - k0.y,
                         gz = static_cast<double>(k2.z) - k0.z;
            const double ax = ey * gz - ez * gy, ay = ez * gx - ex * gz, az = ex * gy - ey * gx;
            threshold = static_cast<double>(0.00001f) * (ax * ax + ay * ay + az * az);
            nearLight = 0.0001 * static_cast<double>(f.radiusSquared);
        }
        double tx = 0, ty = 0, tz = 0, nt = 0;
        int side = 0;
        if (light.type == kzo::kDistantLight) {
            tx = -static_cast<double>(light.direction[0]);
            ty = -static_cast<double>(light.direction[1]);
            tz = -static_cast<double>(light.direction[2]);
            nt = nx * tx + ny * ty + nz * tz;
            if (nt > -0.0001 && nt < 0.0001) {
                continue;
            }
        } else {
            side = nx * qx + ny * qy + nz * qz + d > 0 ? 1 : -1;
        }
        for (int vi = 0; vi < model.vertexCount; ++vi) {
            kzo::Vertex& v = model.vertices[static_cast<std::size_t>(vi)];
            if (v.counter <= 0 || vi == f.vertexIndex[0] || vi == f.vertexIndex[1] ||
                vi == f.vertexIndex[2]) {
                continue;
            }
            const double vx = v.x, vy = v.y, vz = v.z;
            if (light.type == kzo::kDistantLight) {
                const double t = -(nx * vx + ny * vy + nz * vz + d) / nt;
                if (t >= 0) {
                    continue;
                }
                if (inside(f, vx + t * tx, vy + t * ty, vz + t * tz)) {
                    v.counter = 0;
                }
                continue;
            }
            const double s = nx * vx + ny * vy + nz * vz + d;
            if ((side == 1 && s >= 0) || (side == -1 && s <= 0)) {
                continue;
            }
            const double dx = qx - vx, dy = qy - vy, dz = qz - vz;
            const double dd = dx * dx + dy * dy + dz * dz;
            if (relative ? dd <= nearLight : dd > -nearLight && dd < nearLight) {
                continue;
            }
            if (range >= 0 && range * range <= dd) {
                v.counter = 0;
                continue;
            }
            const double wx = f.center[0] - vx, wy = f.center[1] - vy, wz = f.center[2] - vz;
            const double k = (wx * dx + wy * dy + wz * dz) / dd;
            const double ox = wx - k * dx, oy = wy - k * dy, oz = wz - k * dz;
            if (ox * ox + oy * oy + oz * oz > f.radiusSquared) {
                continue;
            }
            const double t = -(nx * vx + ny * vy + nz * vz + d) / (nx * dx + ny * dy + nz * dz);
            if (inside(f, vx + t * dx, vy + t * dy, vz + t * dz)) {
                v.counter = 0;
            }
        }
    }
}

// precalculateColors with the literal marking in place of the fast one.
inline void literalPrecalculateColors(kzo::SceneModel& model,
                                      const kzo::ConversionSettings& settings) {
    if (!kzo::colorsAreLit(model, settings)) {
        kzo::setWhiteColors(model);
        return;
    }
    kzo::prepareFacesForLighting(model);
    for (int i = 0; i < model.lightCount; ++i) {
        if (!kzo::lightAddsLight(model.lights[static_cast<std::size_t>(i)])) {
            continue;
        }
        literalMarkLitVertices(model, i, settings.shadows.test);
        kzo::applyLight(model, i);
    }
    kzo::storeColors(model, settings);
}

} // namespace kzotest
