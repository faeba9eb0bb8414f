// The check every viewer loader fuzzer makes: any bytes either load or end in
// FatalError with all mesh memory released, and a summary load of the same
// bytes ends the same way, with the same caption or the same message.
#pragma once

#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kzofuzz {

using LoadBytes = void (*)(std::span<const std::uint8_t>, const std::string&,
                           kzoview::ViewerDocument&, kzoview::LoadScope);

// The caption of a load, or "ERROR: " and its message.
inline std::string outcome(LoadBytes load, const std::uint8_t* data, std::size_t size,
                           const std::string& name, kzoview::ViewerDocument& doc,
                           kzoview::LoadScope scope) {
    try {
        load({data, size}, name, doc, scope);
        return doc.captionText;
    } catch (const kzoview::FatalError& e) {
        if (doc.mesh.arena.bytesHeld != 0 || doc.mesh.vertexCount != 0) {
            std::abort();
        }
        return std::string("ERROR: ") + e.what();
    }
}

inline void loadBothScopes(LoadBytes load, const std::uint8_t* data, std::size_t size,
                           const std::string& name) {
    // One document for the whole run, as the viewer keeps one: every load
    // must first release what the previous one left.
    static kzoview::ViewerDocument doc;
    const std::string whole = outcome(load, data, size, name, doc, kzoview::LoadScope::wholeMesh);
    kzoview::ViewerDocument summary;
    if (outcome(load, data, size, name, summary, kzoview::LoadScope::summary) != whole) {
        std::abort();
    }
}

} // namespace kzofuzz
