#include "byte_reader.h"

#include <cstring>

namespace kzo {

OutOfData::OutOfData(std::size_t offset_, std::size_t wanted_)
    : std::runtime_error("unexpected end of data at byte " + std::to_string(offset_)),
      offset(offset_), wanted(wanted_) {}

void ByteReader::outOfData(std::size_t n) const {
    throw OutOfData(pos_, n);
}

void ByteReader::seek(std::size_t position) {
    if (position > size_) {
        throw OutOfData(position, 0);
    }
    pos_ = position;
}

void ByteReader::bytes(std::uint8_t* out, std::size_t n) {
    const std::uint8_t* p = take(n);
    if (n != 0) {
        std::memcpy(out, p, n);
    }
}

std::string ByteReader::cString(std::size_t maxBytes, bool* terminated) {
    std::string text;
    for (std::size_t i = 0; i < maxBytes; ++i) {
        const std::uint8_t c = u8();
        if (c == 0) {
            if (terminated) {
                *terminated = true;
            }
            return text;
        }
        text.push_back(static_cast<char>(c));
    }
    if (terminated) {
        *terminated = false;
    }
    return text;
}

} // namespace kzo
