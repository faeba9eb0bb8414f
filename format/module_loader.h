// Optional parts of the programs that carry a large dependency (a model
// import library, say) live in modules: shared objects loaded only when an
// input needs them, so that runs which do not need them never pay for them.
//
// A module is found by its file name, in this order:
//   1. the directory named by the environment variable KZO_MODULE_DIR,
//   2. <directory of the running program>/../lib/kzo-tools (the install),
//   3. the build tree's module directory (programs run where they were built).
// A loaded module stays loaded until the process ends.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kzo {

class ModuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The directories searched, in order; those that are not set are left out.
std::vector<std::string> moduleSearchDirectories();

// The path of file (a module or a helper program installed beside the
// modules) in the first of directories holding it. Throws ModuleError "not
// found", with the directories tried.
std::string findModuleFile(const std::string& file,
                           const std::vector<std::string>& directories = moduleSearchDirectories());

// Loads moduleFile (a file name such as "kzo-assimp.so") from the first of
// directories holding it, once per process, and returns the address of symbol.
// Safe to call from several threads. Throws ModuleError with a text that names
// the module and what went wrong: not found (with the directories tried), not
// loadable (with the system's reason) or without the symbol.
void* moduleSymbol(const std::string& moduleFile, const std::string& symbol,
                   const std::vector<std::string>& directories = moduleSearchDirectories());

// The entry table a module exports as symbol: a structure whose first member is
// the int version of the table. A module of another version is refused with a
// ModuleError before anything of it runs.
template <typename Entries>
const Entries&
moduleEntries(const std::string& moduleFile, const std::string& symbol, int version,
              const std::vector<std::string>& directories = moduleSearchDirectories()) {
    const auto* entries =
        static_cast<const Entries*>(moduleSymbol(moduleFile, symbol, directories));
    if (entries->version != version) {
        throw ModuleError("module '" + moduleFile + "' belongs to another version of the programs");
    }
    return *entries;
}

} // namespace kzo
