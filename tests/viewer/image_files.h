// Image files for the texture tests, written in the tests: TGA and BMP by
// hand, byte for byte; PNG through libpng and JPEG through stb_image_write,
// encoders other than the decoder the viewer uses.
#pragma once

#include "tests/support/bytes.h"

#include <png.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdint>
#include <vector>

namespace kzotest {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// Texels row after row, the top row first, as a picture is seen.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> texels;
    const Rgba& at(int x, int y) const { return texels[std::size_t(y * width + x)]; }
};

struct TgaLayout {
    int bits = 24;         // 8 (grey, from red), 24 or 32
    bool rle = false;      // run-length packets: one run of each row's first texel, then raw
    bool topFirst = false; // the descriptor's origin bit; else the bottom row comes first
};

inline void tgaTexel(Bytes& out, const Rgba& t, int bits) {
    if (bits == 8) {
        out.u8(t.r);
        return;
    }
    out.u8(t.b).u8(t.g).u8(t.r);
    if (bits == 32) {
        out.u8(t.a);
    }
}

inline Bytes tgaFile(const Picture& p, TgaLayout layout) {
    Bytes out;
    const std::uint8_t type = std::uint8_t((layout.bits == 8 ? 3 : 2) + (layout.rle ? 8 : 0));
    out.u8(0).u8(0).u8(type).zeros(5).u16le(0).u16le(0);
    out.u16le(std::uint16_t(p.width)).u16le(std::uint16_t(p.height)).u8(std::uint8_t(layout.bits));
    out.u8(std::uint8_t((layout.bits == 32 ? 8 : 0) | (layout.topFirst ? 0x20 : 0)));
    for (int row = 0; row < p.height; ++row) {
        const int y = layout.topFirst ? row : p.height - 1 - row;
        if (!layout.rle) {
            for (int x = 0; x < p.width; ++x) {
                tgaTexel(out, p.at(x, y), layout.bits);
            }
            continue;
        }
        // A run of one and a raw packet of the rest, so both kinds are read.
        out.u8(0x80);
        tgaTexel(out, p.at(0, y), layout.bits);
        if (p.width > 1) {
            out.u8(std::uint8_t(p.width - 2));
            for (int x = 1; x < p.width; ++x) {
                tgaTexel(out, p.at(x, y), layout.bits);
            }
        }
    }
    return out;
}

// 24 bits, bottom row first, rows padded to four bytes.
inline Bytes bmpFile(const Picture& p) {
    const std::uint32_t stride = (std::uint32_t(p.width) * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = stride * std::uint32_t(p.height);
    Bytes out;
    out.str("BM", false).u32le(54 + dataSize).u32le(0).u32le(54);
    out.u32le(40).i32le(p.width).i32le(p.height).u16le(1).u16le(24).u32le(0).u32le(dataSize);
    out.i32le(2835).i32le(2835).u32le(0).u32le(0);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x) {
            out.u8(p.at(x, y).b).u8(p.at(x, y).g).u8(p.at(x, y).r);
        }
        out.zeros(stride - std::uint32_t(p.width) * 3);
    }
    return out;
}

inline std::vector<std::uint8_t> rgbaBytes(const Picture& p) {
    std::vector<std::uint8_t> bytes;
    for (const Rgba& t : p.texels) {
        bytes.insert(bytes.end(), {t.r, t.g, t.b, t.a});
    }
    return bytes;
}

inline Bytes pngFile(const Picture& p) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(p.width);
    image.height = png_uint_32(p.height);
    image.format = PNG_FORMAT_RGBA;
    const std::vector<std::uint8_t> rgba = rgbaBytes(p);
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    Bytes out;
    out.data.resize(size);
    png_image_write_to_memory(&image, out.data.data(), &size, 0, rgba.data(), 0, nullptr);
    out.data.resize(size);
    return out;
}

// Quality 100: no chroma subsampling, every quantiser step 1.
inline Bytes jpegFile(const Picture& p) {
    Bytes out;
    const std::vector<std::uint8_t> rgba = rgbaBytes(p);
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* bytes = static_cast<std::uint8_t*>(data);
            static_cast<Bytes*>(context)->data.insert(static_cast<Bytes*>(context)->data.end(),
                                                      bytes, bytes + size);
        },
        &out, p.width, p.height, 4, rgba.data(), 100);
    return out;
}

} // namespace kzotest
