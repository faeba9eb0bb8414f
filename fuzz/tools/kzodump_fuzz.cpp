// Feeds any bytes to all four of kzodump's readers, its checker and every
// output mode: each must end in a result or a DumpError, never a crash or a
// read past the buffer.
#include "tools/dump_check.h"
#include "tools/dump_render.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kzo::dump;
    const std::span<const std::uint8_t> bytes(data, size);
    for (FileKind kind : {FileKind::kzo, FileKind::mot, FileKind::cam, FileKind::kzl}) {
        const bool passes = !checkFile(kind, bytes).has_value();
        for (OutputMode mode : {OutputMode::text, OutputMode::json, OutputMode::summary}) {
            try {
                renderFile(kind, bytes, mode, "fuzz");
            } catch (const DumpError&) {
                // A file that passes the check must also print.
                if (passes) {
                    __builtin_trap();
                }
            }
        }
    }
    return 0;
}
