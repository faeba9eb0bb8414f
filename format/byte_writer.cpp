#include "byte_writer.h"

#include <bit>
#include <cassert>

namespace kzo {

void ByteWriter::u16le(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32le(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

void ByteWriter::f32le(float v) {
    u32le(std::bit_cast<std::uint32_t>(v));
}

void ByteWriter::fixedString(std::string_view text, std::size_t fieldSize) {
    assert(text.size() < fieldSize);
    const std::size_t n = text.size() < fieldSize ? text.size() : fieldSize - 1;
    bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    bytes_.insert(bytes_.end(), fieldSize - n, 0);
}

void ByteWriter::patchI32le(std::size_t offset, std::int32_t v) {
    assert(offset + 4 <= bytes_.size());
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) {
        bytes_[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

} // namespace kzo
