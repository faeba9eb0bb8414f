// The messages between the programs and the model reader, decoded as a
// hostile file would be: the whole record both ways, and every damage a
// reader gone wrong could send refused with a RecordError instead of a model
// that points outside its tables.
#include "modelimport/imported_model_codec.h"
#include "modelimport/model_reader_protocol.h"
#include "tests/modelimport/full_record.h"
#include "tests/modelimport/imported_model_expect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

using kzo::ImportedModel;
using kzo::ModelReadReply;
using kzo::ModelReadRequest;

ModelReadRequest fullRequest() {
    ModelReadRequest request;
    request.workingDirectory = "/work/models";
    request.path = "tank \xc3\xa9.gltf";
    request.options.hierarchy = true;
    request.options.motion = true;
    request.options.framesPerSecond = 25;
    request.options.searchPaths = {"/shared/buffers", "", "/x"};
    request.options.fit = {20000, 19999};
    return request;
}

std::vector<std::uint8_t> replyBytes(const ImportedModel& model, bool read = true) {
    ModelReadReply reply;
    reply.read = read;
    reply.model = model;
    return kzo::encodeReply(reply);
}

std::string refusal(const std::vector<std::uint8_t>& bytes) {
    try {
        kzo::decodeReply(bytes);
    } catch (const kzo::RecordError& e) {
        return e.what();
    }
    return "decoded";
}

TEST(ReaderProtocolTest, requestAndReplyCrossWholeEveryField) {
    const ModelReadRequest request = fullRequest();
    const std::vector<std::uint8_t> frame = kzo::encodeRequestFrame(request);
    ASSERT_EQ(kzo::loadU32le(frame.data()), frame.size() - 4);
    const ModelReadRequest back = kzo::decodeRequest({frame.data() + 4, frame.size() - 4});
    EXPECT_EQ(back.workingDirectory, request.workingDirectory);
    EXPECT_EQ(back.path, request.path);
    EXPECT_EQ(back.options.hierarchy, true);
    EXPECT_EQ(back.options.motion, true);
    EXPECT_EQ(back.options.framesPerSecond, 25);
    EXPECT_EQ(back.options.searchPaths, request.options.searchPaths);
    EXPECT_EQ(back.options.fit.maxVertices, 20000u);
    EXPECT_EQ(back.options.fit.maxFaces, 19999u);

    const ImportedModel model = kzotest::fullRecord(request);
    ModelReadReply reply;
    reply.read = false;
    reply.stage = kzo::ModelErrorStage::fit;
    reply.error = "cannot be fitted";
    reply.model = model;
    const ModelReadReply decoded = kzo::decodeReply(kzo::encodeReply(reply));
    EXPECT_FALSE(decoded.read);
    EXPECT_EQ(decoded.stage, kzo::ModelErrorStage::fit);
    EXPECT_EQ(decoded.error, "cannot be fitted");
    kzotest::expectSameRecord(decoded.model, model);
    // An empty model (a failed read) crosses too.
    EXPECT_EQ(kzo::decodeReply(replyBytes(ImportedModel{}, false)).model.faceCount(), 0u);
}

TEST(ReaderProtocolTest, everyShortenedOrLengthenedMessageIsRefused) {
    const std::vector<std::uint8_t> whole = replyBytes(kzotest::fullRecord(fullRequest()));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        // A fresh allocation of exactly that length, so that the sanitizer
        // sees any read past it.
        const std::vector<std::uint8_t> cut(whole.begin(),
                                            whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_NE(refusal(cut), "decoded") << "cut to " << length << " bytes";
    }
    std::vector<std::uint8_t> longer = whole;
    longer.push_back(0);
    EXPECT_EQ(refusal(longer), "1 bytes follow the model");

    const std::vector<std::uint8_t> frame = kzo::encodeRequestFrame(fullRequest());
    for (std::size_t length = 4; length < frame.size(); ++length) {
        const std::vector<std::uint8_t> cut(frame.begin() + 4,
                                            frame.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(kzo::decodeRequest(cut), kzo::RecordError) << "cut to " << length;
    }
    std::vector<std::uint8_t> hello = kzo::encodeHello({kzo::kReaderProtocolVersion, false, "x"});
    EXPECT_EQ(kzo::decodeHello(hello).failure, "x");
    hello.pop_back();
    EXPECT_THROW(kzo::decodeHello(hello), kzo::RecordError);
    std::vector<std::uint8_t> limits = kzo::encodeLimits({64, 1, true});
    EXPECT_EQ(kzo::decodeLimits(limits), (kzo::ReadLimits{64, 1, true}));
    limits.push_back(0);
    EXPECT_THROW(kzo::decodeLimits(limits), kzo::RecordError);
    std::vector<std::uint8_t> ended = kzo::encodeEnded({false, true, 11, true});
    EXPECT_EQ(kzo::decodeEnded(ended).code, 11);
    EXPECT_TRUE(kzo::decodeEnded(ended).reused);
    ended[9] = 2; // the signal flag
    EXPECT_THROW(kzo::decodeEnded(ended), kzo::RecordError);
}

TEST(ReaderProtocolTest, countsPastTheEndAreRefusedBeforeAnythingIsAllocated) {
    // Header (8), flag (1), stage (4), empty error text (8): then the count
    // of position values.
    std::vector<std::uint8_t> bytes = replyBytes(ImportedModel{});
    constexpr std::size_t kPositionCount = 21;
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[kPositionCount + i] = 0xff;
    }
    EXPECT_EQ(refusal(bytes),
              "a count of 18446744073709551615 position values runs past the end (at byte 29)");
    // A count that fits the bytes as one-byte entries, but not as values.
    bytes = replyBytes(ImportedModel{});
    bytes[kPositionCount] = static_cast<std::uint8_t>(bytes.size() - kPositionCount - 8);
    EXPECT_NE(refusal(bytes), "decoded");

    // A byte that carries no meaning is 0, so that every reply that decodes
    // is the one encoding of what it holds.
    const ImportedModel lit = kzotest::fullRecord(fullRequest());
    bytes = replyBytes(lit);
    kzo::ByteWriter light;
    kzo::writeLight(light, lit.lights[0]);
    const auto at =
        std::search(bytes.begin(), bytes.end(), light.bytes().begin(), light.bytes().end());
    ASSERT_NE(at, bytes.end());
    at[31] = 0x72;
    EXPECT_TRUE(refusal(bytes).starts_with("a light's pad byte is not 0")) << refusal(bytes);

    std::vector<std::uint8_t> otherVersion = replyBytes(ImportedModel{});
    otherVersion[4] = kzo::kReaderProtocolVersion + 1;
    EXPECT_EQ(refusal(otherVersion), "a model reply of protocol version " +
                                         std::to_string(kzo::kReaderProtocolVersion + 1) +
                                         ", not " + std::to_string(kzo::kReaderProtocolVersion));
    std::vector<std::uint8_t> notReply = replyBytes(ImportedModel{});
    notReply[0] = 'X';
    EXPECT_EQ(refusal(notReply), "this is not a model reply");
}

TEST(ReaderProtocolTest, aModelThatPointsOutsideItsTablesIsRefused) {
    const ImportedModel good = kzotest::fullRecord(fullRequest());
    const std::vector<std::pair<std::string, std::function<void(ImportedModel&)>>> damages = {
        {"triangle 1 names a vertex twice or past the 4 vertices",
         [](ImportedModel& m) { m.triangles[5] = 4; }},
        {"triangle 0 names a vertex twice or past the 4 vertices",
         [](ImportedModel& m) { m.triangles[1] = 0; }},
        {"triangle 1 names a material that does not exist",
         [](ImportedModel& m) { m.faceMaterials[1] = 2; }},
        {"texture coordinates or face materials do not match the triangles",
         [](ImportedModel& m) { m.cornerUvs.pop_back(); }},
        {"positions or triangles do not come in threes",
         [](ImportedModel& m) { m.positions.pop_back(); }},
        {"a position is not a finite number",
         [](ImportedModel& m) { m.positions[4] = std::numeric_limits<float>::quiet_NaN(); }},
        {"a material names an embedded image that does not exist",
         [](ImportedModel& m) { m.materials[0].embeddedImage = 1; }},
        {"object 0 has a parent that does not come before it",
         [](ImportedModel& m) { m.objects[0].parent = 0; }},
        {"object 1 has a parent that does not come before it",
         [](ImportedModel& m) { m.objects[1].parent = 2; }},
        {"a vertex names an object that does not exist",
         [](ImportedModel& m) { m.vertexObjects[3] = 2; }},
        {"the vertices' objects do not match the vertices",
         [](ImportedModel& m) { m.vertexObjects.pop_back(); }},
        {"the frame rate or the last frame is out of range",
         [](ImportedModel& m) { m.framesPerSecond = 0; }},
    };
    for (const auto& [why, damage] : damages) {
        ImportedModel model = good;
        damage(model);
        const std::string text = refusal(replyBytes(model));
        EXPECT_TRUE(text.starts_with(why + " (at byte ")) << text;
    }
}

} // namespace
