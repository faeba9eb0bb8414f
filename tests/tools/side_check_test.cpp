#include "tests/tools/engine_file_bytes.h"
#include "tools/dump_check.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kzotest;
using namespace kzo::dump;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void expectProblem(FileKind kind, const Bytes& file, std::size_t offset, const std::string& words) {
    const auto p = checkFile(kind, file.data);
    ASSERT_TRUE(p) << "the file passed";
    EXPECT_EQ(p->offset, offset) << p->description;
    EXPECT_NE(p->description.find(words), std::string::npos) << p->description;
}

const std::vector<KeyDraft> kTwoKeys = {
    KeyDraft{.frame = 0, .position = {2, 4, 6}},
    KeyDraft{.frame = 60, .position = {1, 0, 0}, .rotation = {90, 0, 0}, .scale = {2, 2, 2}}};

// Camera block of one key, no parent, target block of one key and its point.
Bytes cameraWithTarget() {
    Bytes b = blockBytes({KeyDraft{.frame = 0, .position = {0, 0, -10}}});
    b.i32le(-1);
    b.append(blockBytes({KeyDraft{.position = {0, 2, 0}}}));
    b.f32le(2).f32le(2).f32le(0);
    return b;
}

} // namespace

TEST(MotFile, readsLastFrameAndBlocksOfTheSceneExample) {
    // LastFrame 60, an object with two keys, a camera with one: 136 bytes.
    const Bytes file = motBytes(60, {kTwoKeys, {KeyDraft{.frame = 0}}});
    ASSERT_EQ(file.size(), 136u);
    EXPECT_FALSE(checkMot(file.data));
    const MotDump d = parseMot(file.data);
    EXPECT_EQ(d.lastFrame, 60);
    ASSERT_EQ(d.blocks.size(), 2u);
    EXPECT_EQ(d.blocks[1].offset, 8u + 84u);
    EXPECT_EQ(d.blocks[0].keys[1].frame, 60);
    EXPECT_EQ(d.blocks[0].keys[1].heading, 90.0f);
    EXPECT_EQ(d.blocks[0].keys[0].position[2], 6.0f);
    EXPECT_EQ(d.blocks[0].keys[1].scale[1], 2.0f);
}

TEST(MotFile, acceptsEmptyFilesAndEmptyBlocks) {
    EXPECT_FALSE(checkMot(motBytes(0, {}).data)); // a scene without LastFrame: eight zeros
    EXPECT_FALSE(checkMot(motBytes(10, {{}, kTwoKeys}).data));
}

TEST(MotFile, rejectsCountsThatDisagreeWithTheSize) {
    Bytes negative = motBytes(60, {});
    negative.data[4] = negative.data[5] = negative.data[6] = negative.data[7] = 0xFF; // -1
    expectProblem(FileKind::mot, negative, 4, "block count is negative");

    Bytes missingBlock = motBytes(60, {kTwoKeys});
    missingBlock.data[4] = 2;
    expectProblem(FileKind::mot, missingBlock, 92, "block 1");

    Bytes shortKeys = motBytes(60, {kTwoKeys});
    shortKeys.data.resize(shortKeys.size() - 1);
    expectProblem(FileKind::mot, shortKeys, 12, "motion keys of block 0");

    Bytes negativeKeys = motBytes(60, {kTwoKeys});
    negativeKeys.data[8] = 0xFE;
    negativeKeys.data[9] = negativeKeys.data[10] = negativeKeys.data[11] = 0xFF;
    expectProblem(FileKind::mot, negativeKeys, 8, "key count of block 0 is negative (-2)");

    Bytes trailing = motBytes(60, {kTwoKeys});
    trailing.u8(0).u8(0);
    expectProblem(FileKind::mot, trailing, 92, "2 bytes follow the last motion block");

    expectProblem(FileKind::mot, Bytes{}.i32le(60), 0, "8-byte header");
}

TEST(MotFile, rejectsNonFiniteKeyValues) {
    std::vector<KeyDraft> keys = kTwoKeys;
    keys[1].scale[2] = kNaN;
    expectProblem(FileKind::mot, motBytes(60, {keys}), 8 + 4 + 40 + 36, "block 0 key 1: scale z");
}

TEST(CamFile, tellsSectionsApartByTheirFirstNumber) {
    CamDump d = parseCam(cameraWithTarget().data);
    ASSERT_TRUE(d.camera);
    EXPECT_EQ(d.camera->keys[0].position[2], -10.0f);
    EXPECT_FALSE(d.parent.block);
    EXPECT_EQ(d.parent.number, -1);
    ASSERT_TRUE(d.target.block);
    EXPECT_EQ(d.target.block->keys[0].position[1], 2.0f);
    ASSERT_TRUE(d.targetPoint);
    EXPECT_EQ((*d.targetPoint)[0], 2.0f);
    EXPECT_FALSE(checkCam(cameraWithTarget().data));

    // No camera motion in the scene: just the two absent sections.
    d = parseCam(Bytes{}.i32le(-1).i32le(-1).data);
    EXPECT_FALSE(d.camera);
    EXPECT_EQ(d.parent.number, -1);
    EXPECT_EQ(d.target.number, -1);

    // A camera block without keys, then a parent block.
    Bytes emptyCamera;
    emptyCamera.i32le(0).append(blockBytes(kTwoKeys)).i32le(0);
    d = parseCam(emptyCamera.data);
    ASSERT_TRUE(d.camera);
    EXPECT_TRUE(d.camera->keys.empty());
    ASSERT_TRUE(d.parent.block);
    EXPECT_EQ(d.parent.block->keys.size(), 2u);
    EXPECT_EQ(d.target.number, 0);
    // Readable, but a reader that goes by the first number alone would take
    // the camera for absent.
    expectProblem(FileKind::cam, emptyCamera, 0, "camera block holds no keys");
}

TEST(CamFile, rejectsMissingAndExtraBytes) {
    Bytes noPoint = cameraWithTarget();
    noPoint.data.resize(noPoint.size() - 4);
    expectProblem(FileKind::cam, noPoint, 44 + 4 + 44, "target point");

    Bytes noTarget = blockBytes(kTwoKeys).i32le(-1);
    expectProblem(FileKind::cam, noTarget, 88, "target section");

    Bytes extra = cameraWithTarget().i32le(7);
    expectProblem(FileKind::cam, extra, 104, "4 bytes follow the last section");

    Bytes negativeCamera;
    negativeCamera.i32le(-3).i32le(-1).i32le(-1);
    expectProblem(FileKind::cam, negativeCamera, 0, "camera block is negative");

    expectProblem(FileKind::cam, Bytes{}.u8(1), 0, "first section");
}

TEST(CamFile, rejectsNonFiniteTargetPoint) {
    Bytes file = cameraWithTarget();
    file.data.resize(file.size() - 4);
    file.f32le(-std::numeric_limits<float>::infinity());
    expectProblem(FileKind::cam, file, 100, "target point z");
}

TEST(KzlFile, readsEveryFieldOfEveryLight) {
    const Bytes file = kzlBytes({LightDraft{}, LightDraft{.type = 2,
                                                          .position = {1, 2, 3},
                                                          .color = {255, 128, 0},
                                                          .intensity = 0.5f,
                                                          .range = 100,
                                                          .coneCos = 0.866f,
                                                          .edgeCos = 0.857f}});
    ASSERT_EQ(file.size(), 4u + 96u);
    EXPECT_FALSE(checkKzl(file.data));
    const KzlDump d = parseKzl(file.data);
    ASSERT_EQ(d.lights.size(), 2u);
    EXPECT_EQ(d.lights[0].direction[2], -1.0f);
    EXPECT_EQ(d.lights[1].type, 2);
    EXPECT_EQ(d.lights[1].position[2], 3.0f);
    EXPECT_EQ(d.lights[1].color[1], 128);
    EXPECT_EQ(d.lights[1].range, 100.0f);
    EXPECT_EQ(d.lights[1].edgeCos, 0.857f);
}

TEST(KzlFile, rejectsCountsThatDisagreeWithTheSize) {
    expectProblem(FileKind::kzl, Bytes{}.i32le(-1), 0, "light count is negative");
    Bytes missing = kzlBytes({LightDraft{}});
    missing.data[0] = 2;
    expectProblem(FileKind::kzl, missing, 4, "2 light records of 48 bytes");
    Bytes extra = kzlBytes({LightDraft{}}).u8(9);
    expectProblem(FileKind::kzl, extra, 52, "1 byte follow");
    Bytes nan = kzlBytes({LightDraft{.range = kNaN}});
    expectProblem(FileKind::kzl, nan, 4 + 36, "light 0: range");
}

// Every prefix of every valid file, in a fresh allocation of exactly its
// length, is read without touching a byte past it (ASan watches) and either
// passes or is reported.
TEST(AllKinds, truncatedFilesAreReportedNeverOverread) {
    KzoDraft kzo = twoObjects();
    kzo.shadingType = 2;
    kzo.shading = twoFaceNormals();
    const std::vector<std::pair<FileKind, Bytes>> files = {
        {FileKind::kzo, kzoBytes(kzo)},
        {FileKind::mot, motBytes(60, {kTwoKeys, {KeyDraft{}}})},
        {FileKind::cam, cameraWithTarget()},
        {FileKind::kzl, kzlBytes({LightDraft{}, LightDraft{}})}};
    for (const auto& [kind, file] : files) {
        for (std::size_t n = 0; n < file.size(); ++n) {
            const std::vector<std::uint8_t> prefix(file.data.begin(), file.data.begin() + n);
            // A .cam file of eight bytes is the valid "no camera" file.
            if (kind == FileKind::cam && n == 8) {
                continue;
            }
            EXPECT_TRUE(checkFile(kind, prefix)) << "kind " << int(kind) << " length " << n;
        }
        EXPECT_FALSE(checkFile(kind, file.data)) << "kind " << int(kind);
    }
}
