#include "byte_writer.h"

#include <cassert>

namespace kzo {

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
