// Validation of the engine's files: the first problem, with its byte offset.
//
// A file the converter writes always passes. KZO files are checked by the
// rules of format/kzo_check.h, which the viewer's loaders share. For .mot .cam
// and .kzl: counts not negative, sizes consistent with the counts, every float
// finite; a .cam camera block holds at least one key.
#pragma once

#include "tools/dump_model.h"

#include <optional>
#include <span>
#include <string>

namespace kzo::dump {

struct Problem {
    std::size_t offset = 0;
    std::string description;
};

std::optional<Problem> checkKzo(std::span<const std::uint8_t> bytes);
std::optional<Problem> checkMot(std::span<const std::uint8_t> bytes);
std::optional<Problem> checkCam(std::span<const std::uint8_t> bytes);
std::optional<Problem> checkKzl(std::span<const std::uint8_t> bytes);
std::optional<Problem> checkFile(FileKind kind, std::span<const std::uint8_t> bytes);

} // namespace kzo::dump
