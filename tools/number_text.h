// Float to text for kzodump: the shortest decimal that reads back as the same
// float (never more than 9 significant digits), so that printed and exported
// values round-trip exactly. Non-finite values read "nan", "inf", "-inf".
#pragma once

#include <string>

namespace kzo::dump {

std::string floatText(float value);

} // namespace kzo::dump
