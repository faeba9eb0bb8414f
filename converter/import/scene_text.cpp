#include "converter/import/scene_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kzo {

SceneText makeSceneText(std::string path, std::string text) {
    SceneText scene;
    scene.path = std::move(path);
    scene.text = std::move(text);
    const std::string_view all(scene.text);
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? all.size() : end + 1;
        if (end == std::string_view::npos) {
            end = all.size();
        }
        std::string_view line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t nul = line.find('\0');
        if (nul != std::string_view::npos) {
            line = line.substr(0, nul);
        }
        scene.lines.push_back(line);
        start = next;
    }
    return scene;
}

bool skipToKeyword(LineCursor& cursor, std::string_view keyword) {
    std::string_view line;
    while (cursor.read(line)) {
        if (startsWithKeyword(line, keyword)) {
            return true;
        }
    }
    return false;
}

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Value of a float literal that does not fit a float: the sign of the mantissa
// with infinity, or zero when the exponent is negative (what strtof gives).
float outOfRangeFloat(std::string_view literal) {
    const bool negative = !literal.empty() && literal.front() == '-';
    const std::size_t e = literal.find_first_of("eE");
    const bool tiny =
        e != std::string_view::npos && e + 1 < literal.size() && literal[e + 1] == '-';
    const float magnitude = tiny ? 0.0f : std::numeric_limits<float>::infinity();
    return negative ? -magnitude : magnitude;
}

} // namespace

void LineScanner::skipSpace() {
    while (!rest_.empty() && isSpace(rest_.front())) {
        rest_.remove_prefix(1);
    }
}

bool LineScanner::scan(std::int32_t& value) {
    if (!ok_) {
        return false;
    }
    skipSpace();
    std::string_view text = rest_;
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (text[digits] - '0');
        }
        ++digits;
    }
    if (digits == 0) {
        ok_ = false;
        return false;
    }
    std::int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<std::int32_t>::max()) {
        v = std::numeric_limits<std::int32_t>::max();
    } else if (v < std::numeric_limits<std::int32_t>::min()) {
        v = std::numeric_limits<std::int32_t>::min();
    }
    value = static_cast<std::int32_t>(v);
    rest_ = text.substr(digits);
    return true;
}

bool LineScanner::scan(float& value) {
    if (!ok_) {
        return false;
    }
    skipSpace();
    std::string_view text = rest_;
    // from_chars takes a leading '-' but not '+'.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            ok_ = false;
            return false;
        }
    }
    float parsed = 0.0f;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec == std::errc::invalid_argument) {
        ok_ = false;
        return false;
    }
    const std::size_t used = static_cast<std::size_t>(end - text.data());
    value = ec == std::errc::result_out_of_range ? outOfRangeFloat(text.substr(0, used)) : parsed;
    rest_ = text.substr(used);
    return true;
}

bool LineScanner::scan(std::string& token) {
    if (!ok_) {
        return false;
    }
    skipSpace();
    std::size_t n = 0;
    while (n < rest_.size() && !isSpace(rest_[n])) {
        ++n;
    }
    if (n == 0) {
        ok_ = false;
        return false;
    }
    token.assign(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return true;
}

int scanFloats(std::string_view line, float* values, int n) {
    LineScanner scanner(line);
    int parsed = 0;
    while (parsed < n && scanner.scan(values[parsed])) {
        ++parsed;
    }
    return parsed;
}

} // namespace kzo
