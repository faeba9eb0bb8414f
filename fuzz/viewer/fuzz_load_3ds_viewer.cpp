// Any bytes fed to the viewer's 3DS loader either load or end in FatalError
// with all mesh memory released; nothing reads outside the buffer or hangs.
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One document for the whole run, as the viewer keeps one: every load
    // must first release what the previous one left.
    static kzoview::ViewerDocument doc;
    try {
        kzoview::Load3DSBytes({data, size}, "fuzz.3ds", doc);
    } catch (const kzoview::FatalError&) {
        if (doc.mesh.arena.bytesHeld != 0 || doc.mesh.vertexCount != 0) {
            std::abort();
        }
    }
    return 0;
}
