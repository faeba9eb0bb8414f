// DrawWireframe on arbitrary vertex coordinates, rotations, eye distances and
// client sizes: infinities, NaNs and huge projections must neither hang nor
// write outside the image.
#include "tests/viewer/wire_mesh.h"
#include "viewer/wireframe.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    float f32() {
        std::uint8_t b[4] = {byte(), byte(), byte(), byte()};
        float v = 0;
        std::memcpy(&v, b, 4);
        return v;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    const int width = in.byte() % 96;
    const int height = in.byte() % 96;
    const int vertexCount = 1 + in.byte() % 16;
    const int faceCount = in.byte() % 16;
    kzoview::ViewState view;
    for (float& r : view.rotation.r) {
        r = in.f32();
    }
    const float eye = in.f32();
    std::vector<std::array<float, 3>> points(static_cast<std::size_t>(vertexCount));
    for (auto& p : points) {
        p = {in.f32(), in.f32(), in.f32()};
    }
    std::vector<std::vector<int>> faces;
    for (int f = 0; f < faceCount; ++f) {
        const int corners = 3 + in.byte() % 2;
        std::vector<int> face;
        for (int c = 0; c < corners; ++c) {
            face.push_back(in.byte() % vertexCount);
        }
        faces.push_back(face);
    }
    auto mesh = kzotest::makeWireMesh(points, faces, eye);
    kzoview::RasterImage image;
    kzoview::DrawWireframe(mesh->mesh, view, width, height, image);
    kzoview::DrawWireframe(mesh->mesh, view, height, width, image);
    return 0;
}
