// The scale factor as typed into the main form.
#pragma once

#include <string_view>

namespace kzo {

inline constexpr float kMaxScaleFactor = 100000.0f;

// The value of the longest beginning of text that forms a decimal number
// (leading blanks skipped; optional sign, digits, optional point and digits,
// optional exponent), rounded once to a 32-bit float. The rest of the text is
// ignored ("2.5cm" gives 2.5); a text that does not begin with a number gives
// 0. A value beyond the float range gives an infinity, one below it a zero.
float parseScaleFactor(std::string_view text);

// Both limits are accepted; the test is on the float, after rounding.
bool isScaleFactorInRange(float scaleFactor);

} // namespace kzo
