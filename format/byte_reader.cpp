#include "byte_reader.h"

#include <bit>
#include <cstring>

namespace kzo {

OutOfData::OutOfData(std::size_t offset_, std::size_t wanted_)
    : std::runtime_error("unexpected end of data at byte " + std::to_string(offset_)),
      offset(offset_), wanted(wanted_) {}

const std::uint8_t* ByteReader::take(std::size_t n) {
    if (!has(n)) {
        throw OutOfData(pos_, n);
    }
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
}

void ByteReader::seek(std::size_t position) {
    if (position > size_) {
        throw OutOfData(position, 0);
    }
    pos_ = position;
}

void ByteReader::skip(std::size_t n) {
    take(n);
}

std::uint8_t ByteReader::u8() {
    return *take(1);
}

std::uint16_t ByteReader::u16le() {
    const std::uint8_t* p = take(2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ByteReader::u32le() {
    const std::uint8_t* p = take(4);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

float ByteReader::f32le() {
    return std::bit_cast<float>(u32le());
}

std::uint16_t ByteReader::u16be() {
    const std::uint8_t* p = take(2);
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t ByteReader::u32be() {
    const std::uint8_t* p = take(4);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

float ByteReader::f32be() {
    return std::bit_cast<float>(u32be());
}

void ByteReader::bytes(std::uint8_t* out, std::size_t n) {
    const std::uint8_t* p = take(n);
    if (n != 0) {
        std::memcpy(out, p, n);
    }
}

std::span<const std::uint8_t> ByteReader::view(std::size_t n) {
    const std::uint8_t* p = take(n);
    return {p, n};
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
