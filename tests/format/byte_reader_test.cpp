#include "format/byte_reader.h"
#include "format/byte_writer.h"
#include "tests/support/bytes.h"

#include <gtest/gtest.h>

using kzo::ByteReader;
using kzo::OutOfData;
using kzotest::Bytes;

TEST(ByteReader, readsBothByteOrders) {
    Bytes b;
    b.u16le(0x1234).u32le(0x89ABCDEF).f32le(1.5f).u16be(0x1234).u32be(0x89ABCDEF).f32be(-2.0f);
    ByteReader r(b.data);
    EXPECT_EQ(r.u16le(), 0x1234);
    EXPECT_EQ(r.u32le(), 0x89ABCDEFu);
    EXPECT_EQ(r.f32le(), 1.5f);
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_EQ(r.i32be(), static_cast<std::int32_t>(0x89ABCDEF));
    EXPECT_EQ(r.f32be(), -2.0f);
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, throwsInsteadOfReadingPastTheEnd) {
    const std::vector<std::uint8_t> three = {1, 2, 3};
    ByteReader r(three);
    EXPECT_EQ(r.u16le(), 0x0201);
    try {
        r.u16le();
        FAIL() << "expected OutOfData";
    } catch (const OutOfData& e) {
        EXPECT_EQ(e.offset, 2u);
        EXPECT_EQ(e.wanted, 2u);
    }
    // A failed read does not move the position.
    EXPECT_EQ(r.position(), 2u);
    EXPECT_EQ(r.u8(), 3);
    EXPECT_THROW(r.u8(), OutOfData);
}

TEST(ByteReader, seekAndSkipAreBounded) {
    const std::vector<std::uint8_t> four = {1, 2, 3, 4};
    ByteReader r(four);
    r.seek(4); // the end itself is a valid position
    EXPECT_TRUE(r.atEnd());
    EXPECT_THROW(r.seek(5), OutOfData);
    r.seek(1);
    EXPECT_THROW(r.skip(4), OutOfData);
    EXPECT_THROW(r.skip(SIZE_MAX), OutOfData); // no overflow in the check
    r.skip(3);
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, cStringStopsAtNulOrLimit) {
    Bytes b;
    b.str("abc").str("defgh", false).u8(0);
    ByteReader r(b.data);
    bool terminated = false;
    EXPECT_EQ(r.cString(256, &terminated), "abc");
    EXPECT_TRUE(terminated);
    EXPECT_EQ(r.cString(3, &terminated), "def");
    EXPECT_FALSE(terminated);
    EXPECT_EQ(r.position(), 7u);
    EXPECT_EQ(r.cString(256, &terminated), "gh");
    ByteReader unterminated(b.data.data(), 6);
    unterminated.skip(4);
    EXPECT_THROW(unterminated.cString(256), OutOfData);
}

TEST(ByteWriter, writesLittleEndianAndPatches) {
    kzo::ByteWriter w;
    w.i32le(0);
    w.u16le(0xBEEF);
    w.f32le(1.0f);
    w.fixedString("ab", 5);
    w.patchI32le(0, -2);
    const std::vector<std::uint8_t> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xBE, 0x00, 0x00,
                                                0x80, 0x3F, 'a',  'b',  0,    0,    0};
    EXPECT_EQ(w.bytes(), expected);
}
