// Readers of the engine's files into kzodump's plain structures.
//
// Each takes the whole file as a buffer and throws DumpError (with the byte
// offset) when the bytes cannot be read as that kind: a negative count, or a
// count that announces more records than the file holds. Every count is checked
// against the bytes that remain before anything is allocated. Values that are
// merely wrong (version, indices, non-finite floats) are kept as stored for the
// printers; checkFile() judges them. Bytes behind the last record are counted
// in trailingBytes, not rejected.
#pragma once

#include "tools/dump_model.h"

#include <span>

namespace kzo::dump {

KzoDump parseKzo(std::span<const std::uint8_t> bytes);
MotDump parseMot(std::span<const std::uint8_t> bytes);
CamDump parseCam(std::span<const std::uint8_t> bytes);
KzlDump parseKzl(std::span<const std::uint8_t> bytes);

// Only the header of a KZO file (for the summary, which must work on a file
// whose body is damaged). A negative count makes the header itself impossible
// and throws, as it does for the whole file.
KzoHeader parseKzoHeader(std::span<const std::uint8_t> bytes);

} // namespace kzo::dump
