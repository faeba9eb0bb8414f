// The image decoder on hostile bytes, and how the fill reads a texture: in
// perspective, and from the level its size on screen calls for.
#include "viewer/texture.h"
#include "viewer/texture_image.h"

#include "tests/viewer/image_files.h"

#include <gtest/gtest.h>

using namespace kzotest;
using namespace kzoview;

namespace {

const Picture kChecker{2, 2, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255, 7}}};

std::string faultOf(const Bytes& bytes) {
    const DecodedImage d = decodeTextureImage(bytes.data);
    EXPECT_EQ(d.image.texels == nullptr, !d.fault.empty());
    return d.fault;
}

} // namespace

TEST(TextureImage, aCheckerDecodesBottomRowFirstAndHostileFilesAreRefusedWithoutAnImage) {
    const std::vector<Bytes> files = {pngFile(kChecker), tgaFile(kChecker, {32, false, false}),
                                      tgaFile(kChecker, {32, true, true}), bmpFile(kChecker),
                                      jpegFile(kChecker)};
    const DecodedImage tga = decodeTextureImage(files[2].data);
    ASSERT_EQ(tga.fault, "");
    EXPECT_EQ(tga.image.width, 2);
    EXPECT_FALSE(tga.image.opaque);
    const std::uint32_t bottomFirst[4] = {0xFF0000FFu, 0x07FFFFFFu, 0xFFFF0000u, 0xFF00FF00u};
    EXPECT_TRUE(std::equal(bottomFirst, bottomFirst + 4, tga.image.texels.get()));

    // Every file cut short anywhere is refused, never decoded from zeros;
    // only a cut after the last texel (a PNG's end chunk, a BMP row's
    // padding) still gives the whole image.
    for (const Bytes& file : files) {
        const DecodedImage whole = decodeTextureImage(file.data);
        ASSERT_EQ(whole.fault, "");
        const std::uint32_t* texels = whole.image.texels.get();
        for (std::size_t size = 0; size < file.size(); ++size) {
            Bytes cut;
            cut.data.assign(file.data.begin(), file.data.begin() + std::ptrdiff_t(size));
            const DecodedImage d = decodeTextureImage(cut.data);
            EXPECT_EQ(d.image.texels == nullptr, !d.fault.empty());
            EXPECT_TRUE(!d.image.texels || std::equal(texels, texels + 4, d.image.texels.get()))
                << "file " << (&file - files.data()) << " cut at " << size;
        }
    }

    // Headers that claim 60000 x 60000 pixels, refused before decoding.
    Bytes png;
    png.u8(0x89).str("PNG\r\n\x1a\n", false);
    png.u32be(13).str("IHDR", false).u32be(60000).u32be(60000).u8(8).u8(6).u8(0).u8(0).u8(0);
    png.u32be(0);
    Bytes tgaHeader;
    tgaHeader.u8(0).u8(0).u8(2).zeros(9).u16le(60000).u16le(60000).u8(24).u8(0);
    Bytes bmp = bmpFile(kChecker);
    bmp.data[18] = bmp.data[22] = 0x60;
    bmp.data[19] = bmp.data[23] = 0xEA;
    Bytes jpeg;
    jpeg.u8(0xFF).u8(0xD8).u8(0xFF).u8(0xC0).u16be(11).u8(8).u16be(60000).u16be(60000).u8(1);
    jpeg.u8(1).u8(0x11).u8(0);
    for (const Bytes& header : {png, tgaHeader, bmp, jpeg}) {
        const std::string fault = faultOf(header);
        EXPECT_EQ(fault.rfind("claims 60000 x 60000 pixels", 0), 0u) << fault;
    }
    // A JPEG Huffman table of more than 256 codes, before the frame header
    // and after fill bytes, is refused before the decoder builds it; so is a
    // scan that names a table the file never gives.
    const std::string damaged = "has damaged Huffman tables: one of more than 256 codes, or a "
                                "scan that uses one never given";
    Bytes overfull;
    overfull.u8(0xFF).u8(0xFF).u8(0xD8).u8(0xFF).u8(0xC4).u16be(2 + 17 + 300).u8(0x00);
    overfull.zeros(14).u8(150).u8(150).zeros(300);
    EXPECT_EQ(faultOf(overfull), damaged);
    Bytes noTable;
    noTable.u8(0xFF).u8(0xD8).u8(0xFF).u8(0xC0).u16be(11).u8(8).u16be(8).u16be(8).u8(1);
    noTable.u8(1).u8(0x11).u8(0);
    noTable.u8(0xFF).u8(0xDA).u16be(8).u8(1).u8(1).u8(0x00).u8(0).u8(63).u8(0);
    noTable.u8(0x12).u8(0x34).u8(0xFF).u8(0xD9);
    EXPECT_EQ(faultOf(noTable), damaged);
    // A PNG chunk that claims more than the file holds is refused before the
    // decoder makes room for it.
    Bytes longChunk = pngFile(kChecker);
    longChunk.data.insert(longChunk.data.begin() + 33,
                          {0x7F, 0xFF, 0xFF, 0xF0, 'I', 'D', 'A', 'T'});
    EXPECT_EQ(faultOf(longChunk), "is truncated");
    // A PNG whose first image data chunk is empty still decodes.
    Bytes emptyChunk = pngFile(kChecker);
    const Bytes empty = Bytes().u32be(0).str("IDAT", false).u32be(0x35AF061E);
    emptyChunk.data.insert(emptyChunk.data.begin() + 33, empty.data.begin(), empty.data.end());
    const DecodedImage again = decodeTextureImage(emptyChunk.data);
    ASSERT_EQ(again.fault, "");
    EXPECT_TRUE(std::equal(bottomFirst, bottomFirst + 4, again.image.texels.get()));

    // Also within the sides, too many pixels in all.
    tgaHeader.data[12] = tgaHeader.data[14] = 0x00;
    tgaHeader.data[13] = tgaHeader.data[15] = 0x20; // 8192 x 8192
    EXPECT_EQ(faultOf(tgaHeader).rfind("claims 8192 x 8192 pixels", 0), 0u);
}

TEST(TextureRaster, texelsFollowThePerspectiveAndATriangleReadsTheLevelItsSizeCallsFor) {
    // A strip of ten texels, grey 0, 25, 50, ... 225 from left to right.
    std::vector<std::uint32_t> strip;
    for (std::uint32_t i = 0; i < 10; ++i) {
        strip.push_back(0xFF000000u | (i * 25) * 0x010101u);
    }
    const TexelMap stripMap{strip.data(), 10, 1};
    // A wall seen at a slant: its left edge at 1 / z = 1, its right edge four
    // times as far. Halfway across the screen the surface is a fifth of the
    // way along: u = 0.2, between texels 1 and 2 (not 0.5, between texels 4
    // and 5).
    const auto corner = [](float x, float y, float inverse, float u) {
        return ScreenCorner{x, y, inverse, 255, 255, 255, u * inverse, 0.5f * inverse};
    };
    const ScreenCorner wall[2][3] = {
        {corner(0, 0, 1, 0), corner(40, 0, 0.25f, 1), corner(40, 40, 0.25f, 1)},
        {corner(0, 0, 1, 0), corner(40, 40, 0.25f, 1), corner(0, 40, 1, 0)}};
    RasterImage image;
    resetImage(image, 40, 40, kBlack);
    DepthBuffer depth;
    resetDepth(depth, 40, 40);
    for (const auto& triangle : wall) {
        fillTexturedTriangle(image, depth, triangle, 255, {{&stripMap, 1}, true});
    }
    // Pixel 19's centre, 19.5 of 40 across, is at u = 0.192: texel position
    // 1.42, 42% of the way from 25 to 50.
    EXPECT_NEAR(int(image.at(19, 20) & 0xFF), 35, 1);
    EXPECT_EQ(depth.inverseDepth[20 * 40 + 19] > 0.62f, true);

    // Levels of one colour each: 64, 32, 16, 8 texels a side. A square of
    // 16 x 16 pixels showing the whole texture has 16 level-0 texels per
    // pixel: level 2, one texel a pixel.
    std::vector<std::vector<std::uint32_t>> texels;
    std::vector<TexelMap> levels;
    for (int level = 0, side = 64; level < 4; ++level, side /= 2) {
        texels.emplace_back(std::size_t(side * side), 0xFF000000u | std::uint32_t(level + 1));
    }
    for (int level = 0, side = 64; level < 4; ++level, side /= 2) {
        levels.push_back({texels[std::size_t(level)].data(), side, side});
    }
    for (const auto& [side, level] : {std::pair{16.0f, 2u}, {64.0f, 0u}, {2.0f, 3u}}) {
        const auto flat = [](float x, float y, float u, float v) {
            return ScreenCorner{x, y, 1, 255, 255, 255, u, v};
        };
        const ScreenCorner square[2][3] = {
            {flat(0, 0, 0, 1), flat(side, 0, 1, 1), flat(side, side, 1, 0)},
            {flat(0, 0, 0, 1), flat(side, side, 1, 0), flat(0, side, 0, 0)}};
        resetImage(image, 64, 64, kBlack);
        resetDepth(depth, 64, 64);
        for (const auto& triangle : square) {
            fillTexturedTriangle(image, depth, triangle, 255, {levels, true});
        }
        EXPECT_EQ(image.at(0, 0) & 0xFF, level + 1) << side;
    }

    // The levels a texture makes: halved, rounded down, at least one texel,
    // each texel the rounded mean of the four above it.
    TextureImage wide;
    wide.width = 4;
    wide.height = 2;
    wide.texels.reset(static_cast<std::uint32_t*>(std::malloc(8 * sizeof(std::uint32_t))));
    const std::uint32_t values[8] = {0, 2, 8, 8, 1, 1, 8, 9};
    std::copy(values, values + 8, wide.texels.get());
    const Texture t = makeTexture(std::move(wide));
    ASSERT_EQ(t.levels.size(), 3u);
    EXPECT_EQ(t.levels[1].width, 2);
    EXPECT_EQ(t.levels[1].height, 1);
    EXPECT_EQ(t.levels[1].texels[0], 1u);
    EXPECT_EQ(t.levels[1].texels[1], 8u);
    EXPECT_EQ(t.levels[2].texels[0], 5u); // (1 + 8 + 1 + 8) / 4, rounded
}
