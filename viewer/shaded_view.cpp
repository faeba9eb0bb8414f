#include "viewer/shaded_view.h"

#include "format/large_memory.h"
#include "viewer/front_face.h"
#include "viewer/line_raster.h"
#include "viewer/texture.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kzoview {

namespace {

struct ViewCorner {
    float x, y, z;
    float red, green, blue;
    float u = 0, v = 0;
};

Vec3f toView(const ViewProjection& view, const Vec3f& p) {
    const Vec3f d{p.x - view.origin.x, p.y - view.origin.y, p.z - view.origin.z};
    const auto& r = view.turn.r;
    return {d.x * r[0] + d.y * r[3] + d.z * r[6], d.x * r[1] + d.y * r[4] + d.z * r[7],
            d.x * r[2] + d.y * r[5] + d.z * r[8] + view.depthOffset};
}

Vec3f turned(const Matrix3& m, const Vec3f& v) {
    const auto& r = m.r;
    return {v.x * r[0] + v.y * r[3] + v.z * r[6], v.x * r[1] + v.y * r[4] + v.z * r[7],
            v.x * r[2] + v.y * r[5] + v.z * r[8]};
}

ScreenCorner project(const ViewProjection& view, const ViewCorner& c) {
    const float inverse = 1.0f / c.z;
    return {view.centreX + view.scale * c.x * inverse,
            view.centreY - view.scale * c.y * inverse,
            inverse,
            c.red,
            c.green,
            c.blue,
            c.u * inverse,
            c.v * inverse};
}

ViewCorner between(const ViewCorner& a, const ViewCorner& b, float nearZ) {
    const float t = (nearZ - a.z) / (b.z - a.z);
    const auto at = [t](float u, float v) { return u + (v - u) * t; };
    return {at(a.x, b.x),         at(a.y, b.y),       nearZ,        at(a.red, b.red),
            at(a.green, b.green), at(a.blue, b.blue), at(a.u, b.u), at(a.v, b.v)};
}

// The part of the triangle at or beyond the near plane: 0, 3 or 4 corners.
int clipToNear(const ViewCorner in[3], float nearZ, ViewCorner out[4]) {
    int n = 0;
    for (int k = 0; k < 3; ++k) {
        const ViewCorner& a = in[k];
        const ViewCorner& b = in[(k + 1) % 3];
        const bool aIn = a.z >= nearZ;
        const bool bIn = b.z >= nearZ;
        if (aIn) {
            out[n++] = a;
        }
        if (aIn != bIn) {
            out[n++] = between(a, b, nearZ);
        }
    }
    return n;
}

// texture: the material's, or null.
void fillFront(const ViewProjection& view, const ViewCorner c[3], std::uint8_t opacity,
               const Texture* texture, RasterImage& image, DepthBuffer& depth) {
    ViewCorner polygon[4];
    int n = 3;
    if (c[0].z >= view.nearZ && c[1].z >= view.nearZ && c[2].z >= view.nearZ) {
        std::copy(c, c + 3, polygon);
    } else {
        n = clipToNear(c, view.nearZ, polygon);
    }
    for (int k = 1; k + 1 < n; ++k) {
        const ScreenCorner s[3] = {project(view, polygon[0]), project(view, polygon[k]),
                                   project(view, polygon[k + 1])};
        if (!showsFront(screenWinding(s[0].x, s[0].y, s[1].x, s[1].y, s[2].x, s[2].y))) {
            continue;
        }
        if (texture != nullptr) {
            fillTexturedTriangle(image, depth, s, opacity, texture->view());
        } else {
            fillTriangle(image, depth, s, opacity);
        }
    }
}

Vec3f unit(Vec3f v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f)) {
        return {0, 0, 0};
    }
    return {v.x / length, v.y / length, v.z / length};
}

// The turn of a transform's normals: its cofactor matrix, which keeps them
// square to the surface under uneven scales; a mirror flips them back out.
Matrix3 normalTurnOf(const Matrix3& m) {
    const auto& a = m.r;
    Matrix3 c{{a[4] * a[8] - a[5] * a[7], a[5] * a[6] - a[3] * a[8], a[3] * a[7] - a[4] * a[6],
               a[2] * a[7] - a[1] * a[8], a[0] * a[8] - a[2] * a[6], a[1] * a[6] - a[0] * a[7],
               a[1] * a[5] - a[2] * a[4], a[2] * a[3] - a[0] * a[5], a[0] * a[4] - a[1] * a[3]}};
    const float det = a[0] * c.r[0] + a[1] * c.r[1] + a[2] * c.r[2];
    if (det < 0) {
        for (float& e : c.r) {
            e = -e;
        }
    }
    return c;
}

// Brightness under a light at the eye for a normal in view space: the eye
// looks along +z, so a face towards it has a normal along -z.
float headLight(const Vec3f& viewNormal) {
    return kHeadLightAmbient + (1.0f - kHeadLightAmbient) * std::max(0.0f, -viewNormal.z);
}

struct Shading {
    const ShadedModel& model;
    const ShadedFrame& frame;
    const ViewProjection& view;

    Vec3f viewNormal(const Vec3f& n, std::uint32_t vertex) const {
        Vec3f placed = n;
        const std::int32_t pivot = frame.vertexPivot.empty() ? -1 : frame.vertexPivot[vertex];
        if (pivot >= 0) {
            placed = unit(turned(frame.normalTurns[std::size_t(pivot)], n));
        }
        return turned(view.turn, placed);
    }

    // The texture a material is drawn with, or null.
    const Texture* textureOf(const ShadedMaterial& m) const {
        if (m.image < 0 || std::size_t(m.image) >= model.textures.size()) {
            return nullptr;
        }
        return model.textures[std::size_t(m.image)].get();
    }

    void corners(std::uint32_t t, const std::vector<Vec3f>& at, ViewCorner out[3]) const {
        const ShadedTriangle& tri = model.triangles[t];
        const ShadedMaterial& material = model.materials[tri.material];
        // A textured material's light is not tinted by its colour: the
        // texture under white light.
        const bool textured = textureOf(material) != nullptr;
        const ShadedMaterial white{255, 255, 255, material.opacity, material.image};
        const ShadedMaterial& m = textured ? white : material;
        float faceLight = 1.0f;
        if (model.rule == ShadeRule::litFaceNormal) {
            faceLight = headLight(viewNormal(model.faceNormals[t], tri.v[0]));
        }
        for (int k = 0; k < 3; ++k) {
            const Vec3f& p = at[tri.v[k]];
            ViewCorner& c = out[k];
            c.x = p.x;
            c.y = p.y;
            c.z = p.z;
            switch (model.rule) {
            case ShadeRule::storedCornerColor:
            case ShadeRule::storedFaceColor: {
                const int from = model.rule == ShadeRule::storedFaceColor ? 0 : k;
                c.red = tri.color[from][0];
                c.green = tri.color[from][1];
                c.blue = tri.color[from][2];
                break;
            }
            case ShadeRule::litVertexNormals: {
                const float light = headLight(viewNormal(model.vertexNormals[tri.v[k]], tri.v[k]));
                c.red = m.red * light;
                c.green = m.green * light;
                c.blue = m.blue * light;
                break;
            }
            case ShadeRule::litFaceNormal:
            case ShadeRule::materialFlat:
                c.red = m.red * faceLight;
                c.green = m.green * faceLight;
                c.blue = m.blue * faceLight;
                break;
            }
        }
        if (textured) {
            mapCorners(tri, out);
        }
    }

    // The triangle's texture coordinates, moved by whole repeats to start
    // near 0 (which changes no texel) so they keep their precision.
    static void mapCorners(const ShadedTriangle& tri, ViewCorner out[3]) {
        const auto floorOf = [](float a, float b, float c) {
            const float low = std::floor(std::min({a, b, c}));
            return std::isfinite(low) ? low : 0.0f;
        };
        const float u0 = floorOf(tri.uv[0][0], tri.uv[1][0], tri.uv[2][0]);
        const float v0 = floorOf(tri.uv[0][1], tri.uv[1][1], tri.uv[2][1]);
        for (int k = 0; k < 3; ++k) {
            out[k].u = tri.uv[k][0] - u0;
            out[k].v = tri.uv[k][1] - v0;
        }
    }
};

std::uint32_t markerColor(const kzo::Light& light) {
    const std::uint8_t top = std::max({light.color[0], light.color[1], light.color[2]});
    if (top == 0) {
        return kWhite;
    }
    // As bright as it goes in the light's hue: a dim light stays visible.
    const auto channel = [top](std::uint8_t v) { return std::uint32_t(v * 255 / top); };
    return 0xFF000000u | channel(light.color[0]) << 16 | channel(light.color[1]) << 8 |
           channel(light.color[2]);
}

void drawSegment(const ViewProjection& view, Vec3f a, Vec3f b, std::uint32_t color,
                 RasterImage& image, LinePaint paint = LinePaint::replace) {
    if (a.z < view.nearZ && b.z < view.nearZ) {
        return;
    }
    const auto cut = [&view](Vec3f& behind, const Vec3f& front) {
        const float t = (view.nearZ - behind.z) / (front.z - behind.z);
        behind = {behind.x + (front.x - behind.x) * t, behind.y + (front.y - behind.y) * t,
                  view.nearZ};
    };
    if (a.z < view.nearZ) {
        cut(a, b);
    } else if (b.z < view.nearZ) {
        cut(b, a);
    }
    const ViewCorner ca{a.x, a.y, a.z, 0, 0, 0, 0, 0};
    const ViewCorner cb{b.x, b.y, b.z, 0, 0, 0, 0, 0};
    const ScreenCorner sa = project(view, ca);
    const ScreenCorner sb = project(view, cb);
    const auto x0 = pixelCoordinate(sa.x);
    const auto y0 = pixelCoordinate(sa.y);
    const auto x1 = pixelCoordinate(sb.x);
    const auto y1 = pixelCoordinate(sb.y);
    if (x0 && y0 && x1 && y1) {
        drawLine(image, *x0, *y0, *x1, *y1, color, paint);
    }
}

Vec3f add(Vec3f a, Vec3f b, float s = 1.0f) {
    return {a.x + b.x * s, a.y + b.y * s, a.z + b.z * s};
}

Vec3f cross(Vec3f a, Vec3f b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

ViewProjection turningProjection(const MeshPlacement& placement, const Matrix3& orientation,
                                 int width, int height) {
    ViewProjection view;
    view.origin = {placement.centre[0], placement.centre[1], placement.centre[2]};
    view.turn = orientation;
    view.depthOffset = placement.viewDistance;
    view.scale = 1.5f * float(std::min(width, height));
    view.centreX = float(width / 2);
    view.centreY = float(height / 2);
    // The model lies within sqrt(3) / 4 of viewDistance around its centre, so
    // this cuts only what the animation carries towards the eye.
    view.nearZ = placement.viewDistance * 0.01f;
    return view;
}

ViewProjection cameraProjection(const CameraPose& camera, float sceneSize, int width, int height) {
    ViewProjection view;
    view.origin = camera.position;
    // The rows of the camera's turn are its axes; seen from it, a point's
    // coordinates are its dot products with them: the transpose.
    const auto& r = camera.turn.r;
    view.turn = Matrix3{{r[0], r[3], r[6], r[1], r[4], r[7], r[2], r[5], r[8]}};
    const double halfAngle = kCameraFieldOfViewDegrees * 0.5 * 3.141592653589793 / 180.0;
    view.scale = float(width * 0.5 / std::tan(halfAngle));
    view.centreX = float(width / 2);
    view.centreY = float(height / 2);
    view.nearZ = std::max(sceneSize * 0.001f, 1e-6f);
    return view;
}

void restPose(const ShadedModel& model, ShadedFrame& frame) {
    kzo::reserveLarge(frame.positions, model.positions.size());
    frame.positions = model.positions;
    frame.normalTurns.clear();
    frame.vertexPivot.clear();
}

void animatedPose(const ShadedModel& model, const MotionFile& motion, double frameNumber,
                  ShadedFrame& frame) {
    const std::vector<Affine> world = pivotTransforms(model.pivots, motion, frameNumber);
    frame.vertexPivot.assign(model.positions.size(), -1);
    frame.normalTurns.clear();
    for (std::size_t p = 0; p < model.pivots.size(); ++p) {
        const ShadedPivot& pivot = model.pivots[p];
        frame.normalTurns.push_back(normalTurnOf(world[p].linear));
        for (std::uint32_t v = pivot.firstVertex; v < pivot.firstVertex + pivot.vertexCount; ++v) {
            frame.vertexPivot[v] = std::int32_t(p);
        }
    }
    frame.positions.resize(model.positions.size());
    for (std::size_t v = 0; v < model.positions.size(); ++v) {
        const std::int32_t p = frame.vertexPivot[v];
        frame.positions[v] =
            p < 0 ? model.positions[v] : transformPoint(world[std::size_t(p)], model.positions[v]);
    }
}

void drawShaded(const ShadedModel& model, const ShadedFrame& frame, const ViewProjection& view,
                RasterImage& image, DepthBuffer& depth, ShadedScratch& scratch) {
    kzo::reserveLarge(scratch.view, frame.positions.size());
    scratch.view.resize(frame.positions.size());
    for (std::size_t v = 0; v < frame.positions.size(); ++v) {
        scratch.view[v] = toView(view, frame.positions[v]);
    }
    const Shading shading{model, frame, view};
    scratch.translucent.clear();
    scratch.translucentDepth.clear();
    ViewCorner c[3];
    for (std::uint32_t t = 0; t < model.triangles.size(); ++t) {
        const ShadedTriangle& tri = model.triangles[t];
        const ShadedMaterial& material = model.materials[tri.material];
        const std::uint8_t opacity = material.opacity;
        if (opacity == 0) {
            continue;
        }
        const Texture* texture = shading.textureOf(material);
        if (opacity < 255 || (texture != nullptr && !texture->image.opaque)) {
            scratch.translucent.push_back(t);
            scratch.translucentDepth.push_back(scratch.view[tri.v[0]].z + scratch.view[tri.v[1]].z +
                                               scratch.view[tri.v[2]].z);
            continue;
        }
        shading.corners(t, scratch.view, c);
        fillFront(view, c, 255, texture, image, depth);
    }
    std::vector<std::uint32_t> order(scratch.translucent.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&scratch](std::uint32_t a, std::uint32_t b) {
        return scratch.translucentDepth[a] > scratch.translucentDepth[b];
    });
    for (const std::uint32_t i : order) {
        const std::uint32_t t = scratch.translucent[i];
        const ShadedMaterial& material = model.materials[model.triangles[t].material];
        shading.corners(t, scratch.view, c);
        fillFront(view, c, material.opacity, shading.textureOf(material), image, depth);
    }
}

void drawPosedEdges(const ShadedModel& model, const ShadedFrame& frame, const ViewProjection& view,
                    RasterImage& image) {
    for (const ShadedTriangle& tri : model.triangles) {
        Vec3f v[3];
        ScreenCorner s[3];
        bool allInFront = true;
        for (int k = 0; k < 3; ++k) {
            v[k] = toView(view, frame.positions[tri.v[k]]);
            allInFront = allInFront && v[k].z >= view.nearZ;
            s[k] = project(view, ViewCorner{v[k].x, v[k].y, v[k].z, 0, 0, 0, 0, 0});
        }
        // Facing as the wireframe decides it; a face cut by the near plane
        // is drawn as turned away.
        const bool front =
            allInFront && screenWinding(s[0].x, s[0].y, s[1].x, s[1].y, s[2].x, s[2].y) >= 0.0f;
        for (int k = 0; k < 3; ++k) {
            drawSegment(view, v[k], v[(k + 1) % 3], front ? kWhite : kGrey, image,
                        LinePaint::brighter);
        }
    }
}

void drawLightMarkers(const std::vector<kzo::Light>& lights, float positionScale, float size,
                      const ViewProjection& view, RasterImage& image) {
    for (const kzo::Light& light : lights) {
        const std::uint32_t color = markerColor(light);
        const Vec3f at{light.position[0] * positionScale, light.position[1] * positionScale,
                       light.position[2] * positionScale};
        const auto line = [&](Vec3f a, Vec3f b) {
            drawSegment(view, toView(view, a), toView(view, b), color, image);
        };
        const float half = size * 0.5f;
        const Vec3f axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        if (light.type != kzo::kDistantLight) {
            for (const Vec3f& axis : axes) {
                line(add(at, axis, -half), add(at, axis, half));
            }
        }
        // The light travels against its direction, which points towards it.
        const Vec3f travel = unit({-light.direction[0], -light.direction[1], -light.direction[2]});
        if (travel.x == 0 && travel.y == 0 && travel.z == 0) {
            continue;
        }
        const Vec3f side =
            unit(cross(travel, std::fabs(travel.y) < 0.9f ? Vec3f{0, 1, 0} : Vec3f{1, 0, 0}));
        const Vec3f up = cross(travel, side);
        if (light.type == kzo::kSpotLight) {
            const float cosine = std::clamp(light.coneCos, 0.05f, 1.0f);
            const float spread = std::sqrt(1.0f - cosine * cosine) / cosine;
            const float length = size * 2.0f;
            Vec3f rim[4];
            const Vec3f spokes[4] = {side, up, {-side.x, -side.y, -side.z}, {-up.x, -up.y, -up.z}};
            for (int k = 0; k < 4; ++k) {
                rim[k] = add(add(at, travel, length), spokes[k], length * spread);
                line(at, rim[k]);
            }
            for (int k = 0; k < 4; ++k) {
                line(rim[k], rim[(k + 1) % 4]);
            }
        } else if (light.type == kzo::kDistantLight) {
            const Vec3f tail = add(at, travel, -size * 2.0f);
            line(tail, at);
            line(at, add(add(at, travel, -half), side, half));
            line(at, add(add(at, travel, -half), side, -half));
        }
    }
}

} // namespace kzoview
