// Models of every other format, read through the model import module. The
// module runs only in the model reader, a process of its own
// (model_reader_protocol.h): a model that crashes the import library, loops
// or takes all memory costs its read, never the program.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kzo {

// The module cannot be loaded, or the model cannot be read (stage read) or
// fitted (stage fit); the text says why, without the file's name. A model that
// was read but could not be fitted keeps the reading's warnings here.
class ModelImportError : public std::runtime_error {
public:
    explicit ModelImportError(const std::string& what,
                              ModelErrorStage stage = ModelErrorStage::read,
                              std::vector<std::string> warnings = {})
        : std::runtime_error(what), stage_(stage), warnings_(std::move(warnings)) {}
    ModelErrorStage stage() const { return stage_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    ModelErrorStage stage_;
    std::vector<std::string> warnings_;
};

// True when the import library reads files with this extension (the text
// after the last dot, any letter case). The answer comes from a list made
// when the programs were built; the library is not loaded.
bool modelExtensionSupported(const std::string& extension);

inline constexpr std::uint32_t kDefaultReaderMemoryMiB = 4096;
inline constexpr std::uint32_t kDefaultReaderTimeoutSeconds = 60;
// What the options accept: the reader's own libraries take some megabytes
// before a model is read; a day is more than any model needs.
inline constexpr std::uint32_t kMinReaderMemoryMiB = 32;
inline constexpr std::uint32_t kMaxReaderMemoryMiB = 1u << 20;
inline constexpr std::uint32_t kMaxReaderTimeoutSeconds = 86400;
// What one model's read may take (--reader-memory, --reader-timeout); 0 stands
// for the default.
struct ModelReaderLimits {
    std::uint32_t memoryMiB = 0;
    std::uint32_t timeoutSeconds = 0;
};
// kDefaultReaderMemoryMiB, or the machine's memory when it has less.
std::uint32_t defaultReaderMemoryMiB();

// Reads the model at path in the model reader: triangles in the 3DS reader's
// space, welded, with materials and the scene (imported_model.h), fitted when
// options.fit asks. A reader that crashes, runs out of its memory or time, or
// replies with bytes that are not a model is a ModelImportError (stage read)
// saying which; the next read gets a new reader.
ImportedModel readModelFile(const std::string& path, const ModelReadOptions& options = {},
                            const ModelReaderLimits& limits = {});

} // namespace kzo
