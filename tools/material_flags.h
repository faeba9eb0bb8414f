// Names of the material flag bits, for the printers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kzo::dump {

// The names of the bits set in flags, lowest bit first; a bit without a name
// appears as its hex value ("0x0100").
std::vector<std::string> materialFlagNames(std::uint16_t flags);

} // namespace kzo::dump
