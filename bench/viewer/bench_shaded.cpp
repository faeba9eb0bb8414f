// The shaded paint of a 20000-triangle sphere with baked corner colours (the
// interpolated fill, the heaviest) into a 1280 x 720 client area, seen from
// the viewer's distance and from near enough to fill the frame, turning by
// the form's initial timer step every frame as the idle spin does. One core:
// the paint runs on the window's thread.
#include "format/byte_writer.h"
#include "format/kzo_format.h"
#include "viewer/shaded_view.h"
#include "viewer/view_state.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// rings x segments quads, each two triangles, wound so their outside faces out.
std::vector<std::uint8_t> bakedSphere(int rings, int segments) {
    kzo::ByteWriter out;
    const int vertices = (rings + 1) * segments;
    const int faces = 2 * rings * segments;
    kzo::KzoHeader header;
    header.materialCount = 1;
    header.vertexCount = vertices;
    header.faceCount = faces;
    header.shadingType = kzo::kPrecalcGouraud;
    kzo::writeKzoHeader(out, header);
    kzo::KzoMaterialRecord material;
    material.materialFaceCount = faces;
    kzo::writeKzoMaterial(out, material);
    for (int r = 0; r <= rings; ++r) {
        const double phi = 3.141592 * (0.05 + 0.9 * r / rings);
        for (int g = 0; g < segments; ++g) {
            const double theta = 2 * 3.141592 * g / segments;
            kzo::writeKzoVertex(out, {float(std::sin(phi) * std::cos(theta)), float(std::cos(phi)),
                                      float(std::sin(phi) * std::sin(theta))});
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int g = 0; g < segments; ++g) {
            const auto a = std::uint16_t(r * segments + g);
            const auto b = std::uint16_t(r * segments + (g + 1) % segments);
            const auto c = std::uint16_t(a + segments);
            const auto d = std::uint16_t(b + segments);
            for (const auto& tri : {std::array{a, b, c}, std::array{b, d, c}}) {
                kzo::KzoFaceRecord face;
                for (int k = 0; k < 4; ++k) {
                    face.vertexIndex[k] = tri[std::size_t(std::min(k, 2))];
                }
                kzo::writeKzoFace(out, face);
            }
        }
    }
    for (int f = 0; f < faces; ++f) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int k = 0; k < 4; ++k) {
                out.u8(std::uint8_t((f * 7 + channel * 85 + k * 60) & 0xFF));
            }
        }
    }
    return out.take();
}

void BM_DrawShaded(benchmark::State& state) {
    const std::vector<std::uint8_t> file = bakedSphere(100, 100);
    const kzoview::ShadedModel model = kzoview::loadShadedKzo(file, "sphere.kzo");
    kzoview::ShadedFrame frame;
    kzoview::restPose(model, frame);
    kzoview::MeshPlacement place;
    // 4: the viewer's own distance for a unit sphere; 2.2: near enough that
    // the sphere covers the frame's whole height.
    place.viewDistance = float(state.range(0)) / 10;
    kzoview::ViewState view;
    kzoview::FormCreate(view);
    kzoview::Matrix3 orientation = kzoview::kIdentityMatrix;
    kzoview::RasterImage image;
    kzoview::DepthBuffer depth;
    kzoview::ShadedScratch scratch;
    constexpr int kWidth = 1280;
    constexpr int kHeight = 720;
    for (auto _ : state) {
        kzoview::Timer1Timer(view);
        kzoview::MultiplyMatrix(orientation, orientation, view.rotation);
        view.rotation = kzoview::kIdentityMatrix;
        kzoview::resetImage(image, kWidth + 1, kHeight + 1, kzoview::kBlack);
        kzoview::resetDepth(depth, image.width, image.height);
        kzoview::drawShaded(model, frame,
                            kzoview::turningProjection(place, orientation, kWidth, kHeight), image,
                            depth, scratch);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["faces"] = double(model.triangles.size());
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawShaded)->Arg(40)->Arg(22)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
