// Whatever kzodump --check refuses in a .kzo file, the viewer's loaders refuse
// too, in the checker's words, unless one of the loader's own messages (a
// version other than 1.0, no vertex or no face) comes first.
#include "format/kzo_check.h"
#include "tests/viewer/build_kzo.h"
#include "tests/viewer/viewer_test_support.h"
#include "viewer/loaders.h"
#include "viewer/shaded_model.h"
#include "viewer/viewer_error.h"

#include <gtest/gtest.h>

using namespace kzotest;

namespace {

// One image, two materials, a quad and a triangle over five vertices, two
// pivots and vertex normals: every section a file can have.
Bytes wellFormed() {
    KzoInput in;
    in.images = {"hull.bmp"};
    in.materials = 2;
    in.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}};
    in.faces = {{0, 1, 2, 3}, {0, 1, 4}};
    in.pivots = 2;
    in.shadingType = 1;
    return kzoFile(in);
}

bool isLoadersOwnMessage(const std::string& text) {
    return text.find("'version 1.0'") != std::string::npos ||
           text == "Object vertex count or face count is zero !!!";
}

void expectRefusedInTheCheckersWords(const std::vector<std::uint8_t>& bytes,
                                     const std::string& fault, const std::string& what) {
    const std::string words = "LoadKZO: (f.kzo) byte " + fault + "\n";
    const std::string message = loadError(kzoview::LoadKZOBytes, Bytes{bytes}, "f.kzo");
    EXPECT_TRUE(message == words || isLoadersOwnMessage(message)) << what << ": " << message;
    try {
        kzoview::loadShadedKzo(bytes, "f.kzo");
        ADD_FAILURE() << what << ": the shaded model loaded";
    } catch (const kzoview::FatalError& e) {
        EXPECT_TRUE(e.what() == words || isLoadersOwnMessage(e.what())) << what << ": " << e.what();
    }
}

} // namespace

TEST(KzoRefusal, everyFileTheCheckerRefusesIsRefusedByEveryLoader) {
    const Bytes good = wellFormed();
    ASSERT_FALSE(kzo::checkKzoFile(good.data));
    kzoview::ViewerDocument doc;
    kzoview::LoadKZOBytes(good.data, "f.kzo", doc);
    kzoview::loadShadedKzo(good.data, "f.kzo");

    std::vector<std::vector<std::uint8_t>> damaged;
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::vector<std::uint8_t> bytes = good.data;
            bytes[at] = bytes[at] == value ? std::uint8_t(value ^ 0x40) : value;
            damaged.push_back(std::move(bytes));
        }
        damaged.emplace_back(good.data.begin(), good.data.begin() + std::ptrdiff_t(at));
    }
    std::vector<std::uint8_t> longer = good.data;
    longer.push_back(0);
    damaged.push_back(longer);

    std::size_t refused = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::optional<kzo::KzoFault> fault = kzo::checkKzoFile(damaged[i]);
        if (fault) {
            ++refused;
            expectRefusedInTheCheckersWords(
                damaged[i], std::to_string(fault->offset) + ": " + fault->description,
                "damage " + std::to_string(i));
        }
    }
    EXPECT_GT(refused, damaged.size() / 4);
}
