// The scale text is whatever the user typed: any bytes must parse to a value
// without reading past the text, and the parse must not depend on what follows.
// The number a text starts with, read whole (as the command line reads it),
// gives the same float (as the main form reads it).
#include "converter/app/scale_factor.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const float value = kzo::parseScaleFactor(text);
    const float extended = kzo::parseScaleFactor(text + "x");
    if (std::memcmp(&value, &extended, sizeof value) != 0) {
        __builtin_trap();
    }
    (void)kzo::isScaleFactorInRange(value);
    const kzo::DecimalNumber prefix = kzo::scanDecimalNumber(text);
    const kzo::DecimalNumber whole = kzo::scanDecimalNumber(text.substr(0, prefix.length));
    if (whole.length != prefix.length ||
        std::memcmp(&whole.value, &prefix.value, sizeof whole.value) != 0) {
        __builtin_trap();
    }
    return 0;
}
