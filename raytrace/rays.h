// The plain values that cross the ray-casting module's edge: the triangles a
// scene is built over, the rays cast into it and what they meet.
#pragma once

#include <cstdint>

namespace kzo {

// The largest magnitude of a coordinate the ray tracer takes; a triangle
// with a corner beyond it is left out, a ray beyond it meets nothing.
inline constexpr float kLargestRayCoordinate = 1.0e18f;

// Triangles over shared corners: positions holds x, y, z of vertexCount
// points, corners three point numbers (each below vertexCount) per triangle.
// Every coordinate a triangle uses must be finite.
struct RayMesh {
    const float* positions = nullptr;
    std::uint32_t vertexCount = 0;
    const std::uint32_t* corners = nullptr;
    std::uint32_t triangleCount = 0;
};

// A ray meets what lies at origin + t * direction for near <= t <= far (t in
// lengths of direction). Every value must be finite, 0 <= near <= far; a
// ray whose origin or direction has a coordinate beyond kLargestRayCoordinate
// meets nothing.
struct Ray {
    float origin[3];
    float near;
    float direction[3];
    float far;
};

// The nearest triangle a ray meets (its number in the mesh, -1 for none) and
// where: the point is (1 - u - v) times its first corner, plus u times its
// second and v times its third.
struct RayHit {
    std::int32_t triangle;
    float u;
    float v;
};

} // namespace kzo
