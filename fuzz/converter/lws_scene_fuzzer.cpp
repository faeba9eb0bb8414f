// Scene text in, the whole scene path run over it: lights, objects and pivots,
// the geometry processing, the KZO encoder and every side file. The first byte
// picks the options. An object whose name starts with 't' is a tiny 3DS file,
// one starting with 'l' a tiny LightWave object of two layers (a quad and a
// curve in layer 1, a triangle in layer 2), one starting with 'e' an empty
// file, every other object is missing. Every file
// a scene that converts encodes for writing must pass kzodump's checker.
#include "converter/import/import_lws_scene.h"
#include "converter/import/load_3ds.h"
#include "converter/import/load_lwo.h"
#include "converter/pipeline/convert_file.h"
#include "format/byte_writer.h"
#include "tools/dump_check.h"
#include "tools/file_kind.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// One triangle: main, editor, object "t", mesh, three vertices, one face.
std::vector<std::uint8_t> triangle3ds() {
    kzo::ByteWriter w;
    auto header = [&w](std::uint16_t id, std::uint32_t length) {
        w.u16le(id);
        w.u32le(length);
    };
    header(0x4D4D, 86);
    header(0x3D3D, 80);
    header(0x4000, 74);
    w.u8('t');
    w.u8(0);
    header(0x4100, 66);
    header(0x4110, 44);
    w.u16le(3);
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (float c : corners) {
        w.f32le(c);
    }
    header(0x4120, 16);
    w.u16le(1);
    w.u16le(0);
    w.u16le(1);
    w.u16le(2);
    w.u16le(0);
    return w.take();
}

const std::vector<std::uint8_t> kTriangle3ds = triangle3ds();

// Big-endian IFF spelled out in 16-bit words: "FORM" size "LWO2", then per
// chunk its id, 32-bit size and data.
std::vector<std::uint8_t> twoLayerLwo() {
    std::vector<std::uint8_t> chunks;
    const auto words = [&](std::initializer_list<unsigned> values) {
        for (unsigned v : values) {
            chunks.push_back(std::uint8_t(v >> 8));
            chunks.push_back(std::uint8_t(v));
        }
    };
    const auto id = [&](const char* text) { chunks.insert(chunks.end(), text, text + 4); };
    const auto points = [&](std::initializer_list<float> xyz) {
        id("PNTS");
        words({0, unsigned(xyz.size() * 4)});
        for (float v : xyz) {
            const std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
            words({bits >> 16, bits & 0xFFFF});
        }
    };
    // Layer: number, flags, pivot, empty name.
    id("LAYR");
    words({0, 18, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    id("POLS");
    words({0, 14});
    id("FACE");
    words({4, 0, 1, 2, 3});
    id("POLS");
    words({0, 10});
    id("CURV");
    words({2, 0, 1});
    id("LAYR");
    words({0, 18, 1, 0, 0, 0, 0, 0, 0, 0, 0});
    points({0, 0, 1, 1, 0, 1, 0, 1, 1});
    id("POLS");
    words({0, 12});
    id("FACE");
    words({3, 0, 1, 2});
    std::vector<std::uint8_t> file = {'F', 'O', 'R', 'M'};
    const std::uint32_t size = std::uint32_t(chunks.size() + 4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        file.push_back(std::uint8_t(size >> shift));
    }
    file.insert(file.end(), {'L', 'W', 'O', '2'});
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

const std::vector<std::uint8_t> kTwoLayerLwo = twoLayerLwo();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::unique_ptr<kzo::SceneModel> model = std::make_unique<kzo::SceneModel>();
    if (size == 0) {
        return 0;
    }
    const std::uint8_t options = data[0];
    kzo::ConversionSettings settings;
    settings.animation = options & 1;
    settings.cameraFile = (options >> 1) & 1;
    settings.lightFile = (options >> 2) & 1;
    settings.shadingType = (options >> 3) % 5;
    settings.scaleFactor = (options & 0x80) ? 2.0f : 1.0f;
    const kzo::SceneText text = kzo::makeSceneText(
        "fuzz.lws", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    kzo::SceneModel& m = *model;
    std::vector<kzo::OutputFile> outputs;
    try {
        kzo::resetSceneModel(m);
        kzo::ImportedInput imported;
        imported.scene = kzo::parseSceneText(
            text, m.sink, [&m](const kzo::SceneObject& object, std::size_t index) {
                const std::string& name = object.name.path;
                if (!name.empty() && name[0] == 't') {
                    kzo::load3dsBuffer(m, kTriangle3ds, name, kzo::weldVertex,
                                       static_cast<std::uint8_t>(index));
                } else if (!name.empty() && name[0] == 'l') {
                    kzo::loadLwoBuffer(m, kTwoLayerLwo, name, object.layer,
                                       static_cast<std::uint8_t>(index));
                } else if (name.empty() || name[0] != 'e') {
                    kzo::fatalError(m.sink, "cannot open '%s'", name.c_str());
                }
            });
        kzo::placeSceneInModel(*imported.scene, m);
        kzo::prepareModel(m, settings, "fuzz.lws");
        kzo::processGeometry(m, settings);
        outputs = kzo::encodeOutputs(m, imported, settings, "fuzz.lws", "fuzz.kzo");
    } catch (const kzo::FatalErrorSignal&) {
        return 0;
    }
    for (const kzo::OutputFile& file : outputs) {
        const auto kind = kzo::dump::fileKindFromPath(file.path);
        const auto problem = kind ? kzo::dump::checkFile(*kind, file.bytes) : std::nullopt;
        if (!kind || problem) {
            std::fprintf(stderr, "%s fails the check: %s\n", file.path.c_str(),
                         problem ? problem->description.c_str() : "unknown kind");
            std::abort();
        }
    }
    return 0;
}
