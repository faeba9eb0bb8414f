// Steps every loader shares: reading the file, wording its messages, releasing
// the mesh on failure, and the common ending (checks, NormalizeMesh, caption).
#pragma once

#include "format/byte_reader.h"
#include "format/file_io.h"
#include "format/kzo_format.h"
#include "viewer/loaders.h"
#include "viewer/normalize_mesh.h"
#include "viewer/viewer_document.h"

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kzoview::detail {

// "<loader>: (<name>) <fault>\n", the shape of the loaders' own messages.
std::string fileMessage(std::string_view loader, std::string_view name, std::string_view fault);

// Reads the whole file, or fails with "<loader>: (<name>) 를 열수 없습니다.\n"
// ("is a directory", "is not a regular file" when it is one).
kzo::LargeFileBytes readObjectFile(std::string_view loader, const std::string& name);

// The header of a KZO file that LoadKZO's rules accept: a version other than
// 1.0, and no vertex or no face, fail in the described words; then every rule
// of a well-formed file (format/kzo_check.h) in kzodump's, as "LoadKZO:
// (<name>) byte N: <fault>". What passes, the records can hold.
kzo::KzoHeader checkedKzoHeader(std::span<const std::uint8_t> bytes, const std::string& name);

// Fails on a coordinate that is not a finite number, normalises the mesh and
// writes the caption.
void finishLoad(ViewerDocument& doc, std::string_view loader, std::string_view name,
                std::string caption);

// The same checks for a summary load, which met its vertices only as bounds:
// the mesh keeps its counts and no arrays, and the caption is written.
void finishSummary(ViewerDocument& doc, const VertexBounds& bounds, std::string_view loader,
                   std::string_view name, std::string caption);

// What a loader's parse hands to the common ending.
struct ParsedObject {
    std::string caption;
    LoadScope scope = LoadScope::wholeMesh;
    VertexBounds bounds{}; // of a summary's vertices
};

// The common ending of every loader: a summary's checks, or a whole mesh's
// shared edges, checks and normalisation.
void finishParsed(ViewerDocument& doc, std::string_view loader, std::string_view name,
                  ParsedObject parsed);

void failLoad(ViewerDocument& doc);
[[noreturn]] void failTruncated(ViewerDocument& doc, std::string_view loader, std::string_view name,
                                std::size_t offset);
[[noreturn]] void failOutOfMemory(ViewerDocument& doc);

// Runs body on an emptied doc. Whatever escapes it leaves doc empty: a
// FatalError passes on as it is, a read past the end of the buffer becomes a
// "truncated" error naming the file, a refused allocation the memory message.
template <class Body>
void runLoad(ViewerDocument& doc, std::string_view loader, std::string_view name, Body&& body) {
    failLoad(doc);
    try {
        body();
    } catch (const kzo::OutOfData& e) {
        failTruncated(doc, loader, name, e.offset);
    } catch (const std::bad_alloc&) {
        failOutOfMemory(doc);
    } catch (...) {
        failLoad(doc);
        throw;
    }
}

// A loader's entry for a file: reads it whole, parses it with parse(bytes)
// and frees the bytes before the ending, so that the file and the mesh's
// largest arrays, its edges, are never held at once.
template <class Parse>
void loadFile(ViewerDocument& doc, std::string_view loader, const std::string& name,
              Parse&& parse) {
    runLoad(doc, loader, name, [&] {
        ParsedObject parsed;
        {
            const kzo::LargeFileBytes file = readObjectFile(loader, name);
            parsed = parse(file.bytes());
        }
        finishParsed(doc, loader, name, std::move(parsed));
    });
}

} // namespace kzoview::detail
