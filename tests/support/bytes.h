// Byte builders for tests: every test spells out the input it feeds in.
#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kzotest {

struct Bytes {
    std::vector<std::uint8_t> data;

    Bytes& u8(std::uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Bytes& u16le(std::uint16_t v) { return u8(std::uint8_t(v)).u8(std::uint8_t(v >> 8)); }
    Bytes& u32le(std::uint32_t v) { return u16le(std::uint16_t(v)).u16le(std::uint16_t(v >> 16)); }
    Bytes& i16le(std::int16_t v) { return u16le(std::uint16_t(v)); }
    Bytes& i32le(std::int32_t v) { return u32le(std::uint32_t(v)); }
    Bytes& f32le(float v) { return u32le(std::bit_cast<std::uint32_t>(v)); }
    Bytes& u16be(std::uint16_t v) { return u8(std::uint8_t(v >> 8)).u8(std::uint8_t(v)); }
    Bytes& u32be(std::uint32_t v) { return u16be(std::uint16_t(v >> 16)).u16be(std::uint16_t(v)); }
    Bytes& i16be(std::int16_t v) { return u16be(std::uint16_t(v)); }
    Bytes& f32be(float v) { return u32be(std::bit_cast<std::uint32_t>(v)); }
    // The text's bytes, followed by a NUL unless nul is false.
    Bytes& str(std::string_view s, bool nul = true) {
        data.insert(data.end(), s.begin(), s.end());
        if (nul) {
            data.push_back(0);
        }
        return *this;
    }
    Bytes& append(const Bytes& other) {
        data.insert(data.end(), other.data.begin(), other.data.end());
        return *this;
    }
    Bytes& zeros(std::size_t n) {
        data.insert(data.end(), n, 0);
        return *this;
    }
    std::size_t size() const { return data.size(); }
};

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.append(b);
    return a;
}

} // namespace kzotest
