// Reading a LightWave object file (LWO2, LWOB or LWLO) from memory.
#pragma once

#include "lightwave/lwo_object.h"

#include <cstdint>
#include <span>

namespace kzo {

// Reads the whole object. Throws LwoError naming the fault and its byte offset
// when the bytes are not such a file or are damaged; std::bad_alloc is the
// only other exception. Memory held afterwards is bounded by a small multiple
// of the file's size.
LwoObject readLwoObject(std::span<const std::uint8_t> bytes);

} // namespace kzo
