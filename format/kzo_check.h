// The rules of a well-formed KZO file, checked on its bytes: the first fault
// with its byte offset. kzodump --check reports it; the viewer's loaders
// refuse the file with it, so that a file one program rejects is not shown by
// the other.
//
// In file order: a whole header, no negative count, version 16, a known
// shading type, the size the counts announce exactly; then image names
// terminated within their record, material image indices -1 or below the
// image count, material face runs covering the face list exactly, every float
// finite, corner counts 3 or 4 with every used vertex index below the vertex
// count, pivot vertex runs covering the vertex list (when there are pivots),
// parents 65535 or below the pivot count and free of cycles. A file the
// converter writes always passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kzo {

struct KzoFault {
    std::size_t offset = 0;
    std::string description;
};

// One pass over the bytes; allocates only for the pivots' parent walk.
std::optional<KzoFault> checkKzoFile(std::span<const std::uint8_t> bytes);

} // namespace kzo
