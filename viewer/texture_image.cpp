#include "viewer/texture_image.h"

#include "format/byte_reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Every block the decoder asks for is bounded by what the largest image the
// viewer takes can need (a 4096 x 4096 PNG of 16-bit channels and its
// compressed data), so that a file that claims more, or whose compressed data
// would grow without end, fails instead of taking the memory.
constexpr std::size_t kMaxDecoderBlock = std::size_t(1) << 28;

void* decoderMalloc(std::size_t size) {
    return size <= kMaxDecoderBlock ? std::malloc(size) : nullptr;
}

void* decoderRealloc(void* block, std::size_t size) {
    return size <= kMaxDecoderBlock ? std::realloc(block, size) : nullptr;
}

} // namespace

// stb_image is compiled here, into this one file and with its functions
// private to it, rather than linked from the system's shared libstb: so it
// reads only the four kinds of file the viewer needs and only from memory,
// and is built with the project's sanitizers and the fuzzers' coverage like
// the rest of our code. Its own limit on the sides stays above ours, so that
// the header's sides reach our check and its message.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#define STBI_MALLOC(size) decoderMalloc(size)
#define STBI_REALLOC(block, size) decoderRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#include <stb_image.h>

namespace kzoview {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> head) {
    return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

// The decoder reads zeros past the end of a TGA or BMP file and calls the
// image whole; these walk the data as it reads it and say whether all of it
// is there.
bool tgaDataComplete(std::span<const std::uint8_t> bytes, std::uint64_t pixels) {
    kzo::ByteReader in(bytes);
    const std::uint8_t idLength = in.u8();
    const std::uint8_t colorMapped = in.u8();
    const std::uint8_t type = in.u8();
    const std::uint16_t mapStart = in.u16le();
    const std::uint16_t mapLength = in.u16le();
    const std::uint8_t mapBits = in.u8();
    in.skip(8); // origin, width, height
    const std::uint8_t bits = in.u8();
    in.skip(1 + std::size_t(idLength));
    const auto bytesOf = [](int b) { return b == 15 ? 2u : unsigned(b + 7) / 8; };
    std::size_t pixelBytes = bytesOf(bits);
    if (colorMapped != 0) {
        in.skip(mapStart);
        in.skip(std::size_t(mapLength) * bytesOf(mapBits));
        pixelBytes = bits == 8 ? 1 : 2;
    }
    if (type < 8) {
        return pixels <= in.remaining() / pixelBytes;
    }
    for (std::uint64_t done = 0; done < pixels;) {
        const std::uint8_t packet = in.u8();
        const unsigned count = (packet & 0x7Fu) + 1;
        in.skip((packet & 0x80u) != 0 ? pixelBytes : count * pixelBytes);
        done += count;
    }
    return true;
}

// The decoder builds each Huffman table of a JPEG into room for 256 codes
// without checking that the table's counts stay within it, and decodes a
// scan with whatever tables its header names, given or not (their memory
// then holds whatever it held). This walks every marker segment, between the
// scans and after them, reading the tables as the decoder does, and says
// whether every table fits and every scan's tables were given before it: the
// DC ones of a scan that starts at coefficient 0, the AC ones of a scan that
// reaches beyond it.
bool jpegTablesSound(std::span<const std::uint8_t> bytes) {
    kzo::ByteReader in(bytes);
    bool given[2][4] = {};
    while (in.has(2)) {
        if (in.u8() != 0xFF) {
            continue; // entropy-coded data
        }
        std::uint8_t marker = in.u8();
        while (marker == 0xFF && in.has(1)) {
            marker = in.u8();
        }
        if (marker == 0xD9) {
            return true; // end of image
        }
        const bool standalone = marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
                                (marker >= 0xD0 && marker <= 0xD7);
        if (standalone || !in.has(2)) {
            continue;
        }
        int left = int(in.u16be()) - 2;
        if (marker == 0xDA) { // start of scan
            const int components = in.u8();
            std::uint8_t tables[4] = {};
            for (int c = 0; c < components; ++c) {
                in.skip(1); // component
                tables[std::min(c, 3)] = in.u8();
            }
            const std::uint8_t first = in.u8();
            const std::uint8_t last = in.u8();
            in.skip(1);
            for (int c = 0; c < std::min(components, 4); ++c) {
                const int dc = tables[c] >> 4;
                const int ac = tables[c] & 15;
                if ((first == 0 && dc <= 3 && !given[0][dc]) ||
                    (last > 0 && ac <= 3 && !given[1][ac])) {
                    return false;
                }
            }
            in.skip(std::size_t(std::max(left - 4 - 2 * components, 0)));
            continue;
        }
        if (marker != 0xC4) {
            in.skip(std::size_t(std::max(left, 0)));
            continue;
        }
        while (left > 0) {
            const std::uint8_t table = in.u8();
            int codes = 0;
            for (int bits = 0; bits < 16; ++bits) {
                codes += in.u8();
            }
            if (codes > 256) {
                return false;
            }
            if ((table >> 4) <= 1 && (table & 15) <= 3) {
                given[table >> 4][table & 15] = true;
            }
            in.skip(std::size_t(codes));
            left -= 17 + codes;
        }
    }
    return true;
}

bool bmpDataComplete(std::span<const std::uint8_t> bytes, int width, int height) {
    kzo::ByteReader in(bytes);
    in.skip(10);
    const std::uint32_t dataOffset = in.u32le();
    const std::uint32_t headerSize = in.u32le();
    in.skip(headerSize == 12 ? 6 : 10); // sides (and planes)
    const std::uint16_t bits = in.u16le();
    const std::uint64_t rowBits = std::uint64_t(width) * bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t need = dataOffset + stride * std::uint64_t(height - 1) + (rowBits + 7) / 8;
    return need <= bytes.size();
}

DecodedImage refused(std::string fault) {
    DecodedImage out;
    out.fault = std::move(fault);
    return out;
}

// Why an image of these sides is not decoded; empty when it is.
std::string sidesFault(std::uint64_t width, std::uint64_t height) {
    if (width > 0 && height > 0 && width <= std::uint64_t(kMaxTextureSide) &&
        height <= std::uint64_t(kMaxTextureSide) && width * height <= kMaxTexturePixels) {
        return {};
    }
    return "claims " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, more than the viewer takes (" + std::to_string(kMaxTextureSide) + " a side, " +
           std::to_string(kMaxTexturePixels) + " in all)";
}

// Whether every chunk of a PNG lies within the file: the decoder makes room
// for a chunk's data before it finds that the file ends sooner.
bool pngChunksComplete(std::span<const std::uint8_t> bytes) {
    kzo::ByteReader in(bytes);
    in.skip(8); // signature
    while (in.has(8)) {
        const std::uint32_t length = in.u32be();
        const std::uint32_t type = in.u32be();
        if (!in.has(std::size_t(length) + 4)) {
            return false;
        }
        in.skip(std::size_t(length) + 4); // data and check sum
        if (type == 0x49454E44) {         // IEND
            return true;
        }
    }
    return true;
}

// The sides a PNG's header gives, which the decoder itself refuses to report
// for an image it deems too large.
std::string pngSidesFault(std::span<const std::uint8_t> bytes) {
    kzo::ByteReader in(bytes);
    if (!in.has(24)) {
        return {};
    }
    in.skip(16); // signature, IHDR's length and type
    const std::uint32_t width = in.u32be();
    const std::uint32_t height = in.u32be();
    return sidesFault(width, height);
}

} // namespace

DecodedImage decodeTextureImage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > std::size_t(INT_MAX)) {
        return refused("is larger than the image decoder reads");
    }
    const bool png = startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    // The decoder takes any number of fill bytes before the start marker.
    const auto start = std::find_if(bytes.begin(), bytes.end(), [](auto b) { return b != 0xFF; });
    const bool jpeg = start != bytes.begin() && start != bytes.end() && *start == 0xD8;
    const bool bmp = startsWith(bytes, {'B', 'M'});
    if (std::string fault = png ? pngSidesFault(bytes) : std::string(); !fault.empty()) {
        return refused(std::move(fault));
    }
    // Before the decoder reads even the header: it builds the tables it meets
    // on its way to the sides.
    try {
        if (jpeg && !jpegTablesSound(bytes)) {
            return refused("has damaged Huffman tables: one of more than 256 codes, or a scan "
                           "that uses one never given");
        }
    } catch (const kzo::OutOfData&) {
        return refused("is truncated");
    }
    const auto* data = bytes.data();
    const int size = int(bytes.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(data, size, &width, &height, &channels) == 0) {
        return refused(std::string("is no PNG, JPEG, TGA or BMP image the viewer reads (") +
                       stbi_failure_reason() + ")");
    }
    if (std::string fault =
            sidesFault(std::uint64_t(std::max(width, 0)), std::uint64_t(std::max(height, 0)));
        !fault.empty()) {
        return refused(std::move(fault));
    }
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    try {
        if ((png && !pngChunksComplete(bytes)) || (bmp && !bmpDataComplete(bytes, width, height)) ||
            (!png && !jpeg && !bmp && !tgaDataComplete(bytes, pixels))) {
            return refused("is truncated");
        }
    } catch (const kzo::OutOfData&) {
        return refused("is truncated");
    }
    // Decoded in the file's own channels, then widened to four bytes a texel
    // in the same block, from the last texel back: the block grows in place
    // where it can, instead of the decoder holding two images at once.
    stbi_uc* decoded = stbi_load_from_memory(data, size, &width, &height, &channels, 0);
    if (decoded == nullptr) {
        return refused(std::string("cannot be decoded (") + stbi_failure_reason() + ")");
    }
    void* grown = std::realloc(decoded, std::size_t(pixels) * 4);
    if (grown == nullptr) {
        stbi_image_free(decoded);
        throw std::bad_alloc();
    }
    TextureImage image;
    image.width = width;
    image.height = height;
    image.texels.reset(static_cast<std::uint32_t*>(grown));
    const auto* bytesOf = static_cast<const std::uint8_t*>(grown);
    std::uint32_t* texels = image.texels.get();
    std::uint32_t alphaAll = 0xFF;
    for (std::size_t i = std::size_t(pixels); i-- > 0;) {
        std::uint8_t c[4];
        std::memcpy(c, bytesOf + i * std::size_t(channels), std::size_t(channels));
        // Grey (and alpha), red green blue (and alpha).
        const bool grey = channels < 3;
        const std::uint8_t alpha = channels == 2 ? c[1] : channels == 4 ? c[3] : 0xFF;
        const std::uint8_t red = c[0];
        const std::uint8_t green = grey ? c[0] : c[1];
        const std::uint8_t blue = grey ? c[0] : c[2];
        alphaAll &= alpha;
        const std::uint32_t texel = std::uint32_t(alpha) << 24 | std::uint32_t(red) << 16 |
                                    std::uint32_t(green) << 8 | blue;
        std::memcpy(texels + i, &texel, 4);
    }
    image.opaque = alphaAll == 0xFF;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(texels + std::size_t(top) * std::size_t(width),
                         texels + std::size_t(top + 1) * std::size_t(width),
                         texels + std::size_t(bottom) * std::size_t(width));
    }
    DecodedImage out;
    out.image = std::move(image);
    return out;
}

} // namespace kzoview
