#include "converter/app/scale_factor.h"

#include <charconv>
#include <limits>

namespace kzo {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    return at;
}

// Where the number ends overflowed or underflowed the float range: decide
// which by the position of the first significant digit. Saturating, so that a
// thousand-digit exponent cannot overflow the arithmetic.
bool overflows(std::string_view mantissa, std::string_view exponent) {
    long long magnitude = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    for (char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
        } else if (!seenSignificant && c == '0') {
            if (seenPoint) {
                --magnitude;
            }
        } else {
            seenSignificant = true;
            if (!seenPoint) {
                ++magnitude;
            }
        }
    }
    long long power = 0;
    bool negative = false;
    for (char c : exponent) {
        if (c == '-') {
            negative = true;
        } else if (isDigit(c) && power < 1'000'000) {
            power = power * 10 + (c - '0');
        }
    }
    return magnitude + (negative ? -power : power) > 0;
}

} // namespace

DecimalNumber scanDecimalNumber(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t mantissaBegin = at;
    std::size_t end = skipDigits(text, at);
    std::size_t digits = end - at;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = skipDigits(text, end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0) {
        return {};
    }
    const std::size_t mantissaEnd = end;
    // An exponent counts only with at least one digit: "1e" and "1e+" are 1.
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponentAt = end + 1;
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
            ++exponentAt;
        }
        const std::size_t exponentEnd = skipDigits(text, exponentAt);
        if (exponentEnd > exponentAt) {
            end = exponentEnd;
        }
    }

    const std::string_view number = text.substr(mantissaBegin, end - mantissaBegin);
    float value = 0.0f;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const std::string_view mantissa = text.substr(mantissaBegin, mantissaEnd - mantissaBegin);
        const std::string_view exponent = text.substr(mantissaEnd, end - mantissaEnd);
        value = overflows(mantissa, exponent) ? std::numeric_limits<float>::infinity() : 0.0f;
    } else if (result.ec != std::errc()) {
        value = 0.0f;
    }
    return {negative ? -value : value, end};
}

float parseScaleFactor(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    return scanDecimalNumber(text.substr(at)).value;
}

bool isScaleFactorInRange(float scaleFactor) {
    return scaleFactor >= -kMaxScaleFactor && scaleFactor <= kMaxScaleFactor;
}

} // namespace kzo
