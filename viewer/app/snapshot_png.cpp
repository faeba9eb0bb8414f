#include "viewer/app/snapshot_png.h"

#include "format/file_io.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace kzoview {
namespace {

struct PngOutput {
    std::vector<std::uint8_t> bytes;
};

// libpng reports every failure by jumping back to the setjmp in encodeRows, so
// nothing with a destructor may be alive in a frame between there and the
// failing call: the exception is caught before the jump.
void appendToOutput(png_structp png, png_bytep data, std::size_t size) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    bool outOfMemory = false;
    try {
        output->bytes.insert(output->bytes.end(), data, data + size);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    if (outOfMemory) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

// 100 dots per inch, the resolution snapshots have always declared.
constexpr png_uint_32 kPixelsPerMetre = 3937;

// The caller words the failure; libpng's own texts would only add noise on
// standard error.
[[noreturn]] void failQuietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Encodes image as 8-bit RGB: the pixels' alpha byte is not part of the frame.
// row holds 3 * width bytes. Returns false when libpng failed.
bool encodeRows(png_structp png, png_infop info, const RasterImage& image, png_bytep row) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, kPixelsPerMetre, kPixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    const std::size_t width = static_cast<std::size_t>(image.width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y) {
        const std::uint32_t* pixel = image.pixels.data() + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<png_byte>(pixel[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(pixel[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(pixel[x]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::string writeSnapshotPng(const RasterImage& image, const std::string& path) {
    const std::string encodeError = "cannot encode the snapshot as PNG";
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        return encodeError;
    }
    PngOutput output;
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, ignoreWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool encoded = false;
    if (info != nullptr) {
        png_set_write_fn(png, &output, appendToOutput, flushNothing);
        encoded = encodeRows(png, info, image, row.data());
    }
    png_destroy_write_struct(&png, &info);
    if (!encoded) {
        return encodeError;
    }
    std::vector<kzo::OutputFile> files;
    files.push_back({path, std::move(output.bytes)});
    if (!kzo::writeFilesAtomically(files).empty()) {
        return "cannot write '" + path + "'";
    }
    return {};
}

} // namespace kzoview
