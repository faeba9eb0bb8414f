// The scale factor as the main form and the command line read it: one parser,
// so the same text gives the same float in both.
#pragma once

#include <cstddef>
#include <string_view>

namespace kzo {

inline constexpr float kMaxScaleFactor = 100000.0f;

// The decimal number at the very start of text: optional sign, digits,
// optional point and digits (at least one digit in all), optional exponent
// with at least one digit. Its value is the decimal text rounded once,
// directly to a 32-bit float (never through double, which would round twice);
// beyond the float range it is an infinity, below it a zero. length is the
// number of characters it takes; 0, with the value 0, when text does not start
// with a number.
struct DecimalNumber {
    float value = 0.0f;
    std::size_t length = 0;
};
DecimalNumber scanDecimalNumber(std::string_view text);

// The main form's reading: leading blanks skipped, the number at the start,
// the rest of the text ignored ("2.5cm" gives 2.5); a text that does not begin
// with a number gives 0.
float parseScaleFactor(std::string_view text);

// Both limits are accepted; the test is on the float, after rounding.
bool isScaleFactorInRange(float scaleFactor);

} // namespace kzo
