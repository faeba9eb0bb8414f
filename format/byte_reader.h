// Bounded reader over a byte buffer: the only way the project reads binary data.
//
// Every read checks that enough bytes remain before it touches the buffer and
// throws OutOfData instead of returning garbage; values are assembled from bytes
// in the file's byte order, never by copying into host structures.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kzo {

// Values in a byte order, assembled from bytes that a reader has already
// bounded (a view() of it); inline, for loops over whole lists of records.
inline std::uint16_t loadU16le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32le(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline float loadF32le(const std::uint8_t* p) {
    return std::bit_cast<float>(loadU32le(p));
}
inline std::uint16_t loadU16be(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t loadU32be(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
inline float loadF32be(const std::uint8_t* p) {
    return std::bit_cast<float>(loadU32be(p));
}

// Thrown when a read or seek would go past the end of the buffer.
class OutOfData : public std::runtime_error {
public:
    OutOfData(std::size_t offset, std::size_t wanted);
    std::size_t offset; // position of the failed read
    std::size_t wanted; // bytes the read needed
};

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteReader(std::span<const std::uint8_t> bytes)
        : data_(bytes.data()), size_(bytes.size()) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}
    // The reader only borrows its bytes: a temporary vector would be gone
    // before the first read.
    explicit ByteReader(std::vector<std::uint8_t>&&) = delete;

    std::size_t size() const { return size_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ == size_; }
    // True when n more bytes can be read; never overflows.
    bool has(std::size_t n) const { return n <= size_ - pos_; }

    // Absolute seek; a position past the end throws, the end itself is allowed.
    void seek(std::size_t position);
    void skip(std::size_t n) { take(n); }

    // The reads are inline: parsers call them once per field of every record.
    std::uint8_t u8() { return *take(1); }
    std::uint16_t u16le() { return loadU16le(take(2)); }
    std::uint32_t u32le() { return loadU32le(take(4)); }
    std::int16_t i16le() { return static_cast<std::int16_t>(u16le()); }
    std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
    float f32le() { return loadF32le(take(4)); }
    std::uint16_t u16be() { return loadU16be(take(2)); }
    std::uint32_t u32be() { return loadU32be(take(4)); }
    std::int16_t i16be() { return static_cast<std::int16_t>(u16be()); }
    std::int32_t i32be() { return static_cast<std::int32_t>(u32be()); }
    float f32be() { return loadF32be(take(4)); }

    // Copies n bytes out of the buffer.
    void bytes(std::uint8_t* out, std::size_t n);
    std::span<const std::uint8_t> view(std::size_t n) { return {take(n), n}; }

    // Reads bytes up to and including a NUL, at most maxBytes bytes in all (the
    // NUL counts). Returns the text before the NUL; terminated tells whether a
    // NUL was found within the limit. Running out of data before either throws.
    std::string cString(std::size_t maxBytes, bool* terminated = nullptr);

private:
    const std::uint8_t* take(std::size_t n) {
        if (!has(n)) {
            outOfData(n);
        }
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    [[noreturn]] void outOfData(std::size_t n) const;

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

} // namespace kzo
