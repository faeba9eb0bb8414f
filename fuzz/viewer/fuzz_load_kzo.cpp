// Any bytes fed to the viewer's KZO loader either load or end in FatalError
// with all mesh memory released, the same way in a whole and a summary load;
// nothing reads outside the buffer or hangs.
#include "fuzz/viewer/load_both_scopes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kzofuzz::loadBothScopes(kzoview::LoadKZOBytes, data, size, "fuzz.kzo");
    return 0;
}
