// A small JSON writer: one compact document built in a string. Commas and
// string escapes are its business, the layout of the document the caller's.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kzo::dump {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);

    JsonWriter& integer(std::int64_t v);
    template <std::integral T>
    requires(!std::same_as<T, bool>) JsonWriter& value(T v) {
        return integer(static_cast<std::int64_t>(v));
    }
    // Exact shortest form; a non-finite float becomes the string "nan", "inf"
    // or "-inf", since JSON has no number for it.
    JsonWriter& value(float v);
    JsonWriter& value(bool v);
    // Each byte is one character: ASCII as itself, control characters and
    // bytes 0x80 to 0xFF as \u00XX, so that any stored name stays valid JSON
    // and its bytes can be recovered.
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& null();

    template <typename T>
    JsonWriter& array(const T* values, std::size_t n) {
        beginArray();
        for (std::size_t i = 0; i < n; ++i) {
            value(values[i]);
        }
        return endArray();
    }

    const std::string& text() const { return out_; }

private:
    void beforeValue();

    std::string out_;
    std::vector<bool> hasItem_; // per open container: whether it has an item yet
    bool afterKey_ = false;
};

} // namespace kzo::dump
