#include "format/module_loader.h"

#include "format/system_calls.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

namespace kzo {
namespace {

std::string programDirectory() {
    const std::string program = sys::programPath();
    return program.empty() ? program : std::filesystem::path(program).parent_path().string();
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string joinDirectories(const std::vector<std::string>& dirs) {
    std::string text;
    for (const auto& dir : dirs) {
        text += (text.empty() ? "'" : ", '") + dir + "'";
    }
    return text.empty() ? "no directory" : text;
}

void* openModule(const std::string& moduleFile, const std::vector<std::string>& dirs) {
    const std::string path = findModuleFile(moduleFile, dirs);
    std::string reason;
    void* handle = sys::openLibrary(path, reason);
    if (handle == nullptr) {
        throw ModuleError("cannot load module '" + path + "': " + reason);
    }
    return handle;
}

} // namespace

std::string findModuleFile(const std::string& file, const std::vector<std::string>& directories) {
    for (const auto& dir : directories) {
        const std::string path = dir + "/" + file;
        if (isRegularFile(path)) {
            return path;
        }
    }
    throw ModuleError("cannot find module '" + file + "' in " + joinDirectories(directories));
}

std::vector<std::string> moduleSearchDirectories() {
    std::vector<std::string> dirs;
    const char* fromEnvironment = std::getenv("KZO_MODULE_DIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        dirs.emplace_back(fromEnvironment);
    }
    const std::string program = programDirectory();
    if (!program.empty()) {
        dirs.push_back(program + "/../lib/kzo-tools");
    }
#if defined(KZO_BUILD_DIR) && defined(KZO_BUILD_MODULE_DIR)
    // Only a program that was itself built there looks into the build tree: an
    // installed program must not load code from wherever it was once built.
    if (program.starts_with(KZO_BUILD_DIR "/")) {
        dirs.emplace_back(KZO_BUILD_MODULE_DIR);
    }
#endif
    return dirs;
}

void* moduleSymbol(const std::string& moduleFile, const std::string& symbol,
                   const std::vector<std::string>& directories) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    const std::lock_guard<std::mutex> lock(mutex);
    auto found = loaded.find(moduleFile);
    if (found == loaded.end()) {
        found = loaded.emplace(moduleFile, openModule(moduleFile, directories)).first;
    }
    void* address = sys::librarySymbol(found->second, symbol);
    if (address == nullptr) {
        throw ModuleError("module '" + moduleFile + "' has no entry '" + symbol + "'");
    }
    return address;
}

} // namespace kzo
