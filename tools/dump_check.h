// Validation of the engine's files: the first problem, with its byte offset.
//
// A file the converter writes always passes. For KZO the rules are checked in
// file order after the header: version 16, no negative count, a known shading
// type, the size the counts announce exactly; then image names terminated
// within their record, material image indices -1 or below the image count,
// material face runs covering the face list exactly, every float finite,
// corner counts 3 or 4 with every used vertex index below the vertex count,
// pivot vertex runs covering the vertex list (when there are pivots), parents
// 65535 or below the pivot count and free of cycles. For .mot .cam and .kzl:
// counts not negative, sizes consistent with the counts, every float finite;
// a .cam camera block holds at least one key.
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
