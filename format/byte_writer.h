// Growable little-endian byte buffer for the engine's file writers. Values are
// written field by field in little-endian order, never by dumping a structure.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kzo {

class ByteWriter {
public:
    // Inline: the encoders write millions of values one by one.
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16le(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32le(std::uint32_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 16));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 24));
    }
    void i16le(std::int16_t v) { u16le(static_cast<std::uint16_t>(v)); }
    void i32le(std::int32_t v) { u32le(static_cast<std::uint32_t>(v)); }
    void f32le(float v) { u32le(std::bit_cast<std::uint32_t>(v)); }
    void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void raw(const std::uint8_t* data, std::size_t n) {
        bytes_.insert(bytes_.end(), data, data + n);
    }
    // n more bytes, zero, for the caller to fill in place: a long array of
    // values stored one by one without a call per byte. Valid until the next
    // write.
    std::uint8_t* extend(std::size_t n) {
        bytes_.resize(bytes_.size() + n);
        return bytes_.data() + bytes_.size() - n;
    }
    // The text's bytes in a field of exactly fieldSize bytes: NUL-terminated and
    // zero-filled behind. The caller makes sure text.size() < fieldSize.
    void fixedString(std::string_view text, std::size_t fieldSize);

    // Overwrites 4 bytes at an earlier offset (placeholders patched at the end).
    void patchI32le(std::size_t offset, std::int32_t v);

    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }
    void reserve(std::size_t n) { bytes_.reserve(n); }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace kzo
