#include "format/file_io.h"

#include "format/system_calls.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <set>

namespace kzo {

std::optional<ReadFailure> readFile(const std::string& path, std::vector<std::uint8_t>& out) {
    ReadFailure failure;
    const sys::ReadOutcome outcome = sys::readRegularFile(path, out, failure.reason);
    if (outcome == sys::ReadOutcome::read) {
        return std::nullopt;
    }
    failure.directory = outcome == sys::ReadOutcome::directory;
    failure.notRegularFile = outcome == sys::ReadOutcome::notRegularFile;
    return failure;
}

std::optional<ReadFailure> readFile(const std::string& path, std::vector<std::uint8_t>& out,
                                    std::size_t maxBytes) {
    struct TooLarge {};
    std::vector<std::uint8_t> bytes;
    std::size_t got = 0;
    ReadFailure failure;
    sys::ReadOutcome outcome = sys::ReadOutcome::read;
    try {
        outcome = sys::readRegularFileInto(
            path,
            [&](std::size_t size) {
                if (size > maxBytes) {
                    throw TooLarge{};
                }
                bytes.resize(size);
                return bytes.data();
            },
            got, failure.reason);
    } catch (const TooLarge&) {
        failure.reason = "is larger than " + std::to_string(maxBytes) + " bytes";
        return failure;
    }
    if (outcome == sys::ReadOutcome::read) {
        bytes.resize(got);
        out = std::move(bytes);
        return std::nullopt;
    }
    failure.notRegularFile = outcome == sys::ReadOutcome::notRegularFile;
    return failure;
}

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out) {
    return !readFile(path, out);
}

std::optional<ReadFailure> readLargeFile(const std::string& path, LargeFileBytes& out) {
    LargeFileBytes read;
    ReadFailure failure;
    const sys::ReadOutcome outcome = sys::readRegularFileInto(
        path,
        [&](std::size_t size) {
            read.data = makeLargeArray<std::uint8_t>(size);
            return read.data.get();
        },
        read.size, failure.reason);
    if (outcome == sys::ReadOutcome::read) {
        out = std::move(read);
        return std::nullopt;
    }
    failure.directory = outcome == sys::ReadOutcome::directory;
    failure.notRegularFile = outcome == sys::ReadOutcome::notRegularFile;
    return failure;
}

namespace {

namespace fs = std::filesystem;

const std::string& thisHost() {
    static const std::string host = sys::hostName();
    return host;
}

// The temporary files that exist right now. Once an interrupt has removed
// them the lock is never given back, so no new one appears before the end.
struct Temporaries {
    std::mutex mutex;
    std::multiset<std::string> paths;
};

Temporaries& temporaries() {
    // Never destroyed: an interrupt may arrive while the program ends.
    static Temporaries* const all = new Temporaries;
    return *all;
}

void removeTemporariesOnInterrupt() {
    Temporaries& t = temporaries();
    t.mutex.lock();
    for (const std::string& path : t.paths) {
        std::error_code ec;
        fs::remove(path, ec);
    }
}

// Creates the temporary file and records it in one step, so an interrupt
// finds every file that exists.
std::string createTemporary(const std::string& path, std::optional<unsigned> mode, int& handle,
                            bool& nameTaken) {
    Temporaries& t = temporaries();
    const std::lock_guard lock(t.mutex);
    std::string reason = sys::createNewFile(path, mode, handle, nameTaken);
    if (reason.empty()) {
        t.paths.insert(path);
    }
    return reason;
}

void forgetTemporary(const std::string& path, bool remove) {
    if (remove) {
        std::error_code ec;
        fs::remove(path, ec);
    }
    Temporaries& t = temporaries();
    const std::lock_guard lock(t.mutex);
    if (const auto it = t.paths.find(path); it != t.paths.end()) {
        t.paths.erase(it);
    }
}

constexpr std::string_view kTemporaryMark = ".tmp-";
// The longest file name most file systems allow, in bytes.
constexpr std::size_t kNameMax = 255;

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned long> counter{0};
    const fs::path path(target);
    const std::string suffix = std::string(kTemporaryMark) + thisHost() + "-" +
                               std::to_string(sys::processId()) + "-" + std::to_string(counter++);
    std::string name = path.filename().string();
    // A name near the limit keeps only its start, so the temporary name fits.
    if (1 + name.size() + suffix.size() > kNameMax && suffix.size() < kNameMax - 1) {
        name.resize(kNameMax - 1 - suffix.size());
    }
    return (path.parent_path() / ("." + name + suffix)).string();
}

// The permission bits of the file that target names now, which its
// replacement keeps; none when there is no such regular file.
std::optional<unsigned> modeToKeep(const std::string& target) {
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (ec || !fs::is_regular_file(status)) {
        return std::nullopt;
    }
    return static_cast<unsigned>(status.permissions() & fs::perms::all);
}

// A temporary name that exists already (one a process of an earlier boot with
// the same id left, say) is passed over for the next number.
constexpr int kTemporaryNameTries = 1000;

// Creates the temporary file of target; its name is in temporary.
std::string createTemporaryFor(const std::string& target, std::string& temporary, int& handle) {
    const std::optional<unsigned> mode = modeToKeep(target);
    std::string reason;
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        temporary = temporaryNameFor(target);
        bool nameTaken = false;
        reason = createTemporary(temporary, mode, handle, nameTaken);
        if (!nameTaken) {
            break;
        }
    }
    return reason;
}

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process id in a temporary file name of this host, or 0 for any other
// name.
long temporaryOwner(std::string_view name) {
    const std::string mark = std::string(kTemporaryMark) + thisHost() + "-";
    const std::size_t at = name.rfind(mark);
    if (name.empty() || name[0] != '.' || at == std::string_view::npos || at == 0) {
        return 0;
    }
    const std::string_view rest = name.substr(at + mark.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) ||
        !allDigits(rest.substr(dash + 1))) {
        return 0;
    }
    long pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
    return ec == std::errc() ? pid : 0;
}

// Removes, once per directory and process, the temporary files that ended
// processes of this host left there.
void removeStaleTemporaries(const fs::path& directory) {
    static std::mutex mutex;
    static std::set<std::pair<long, std::string>> visited;
    {
        const std::lock_guard lock(mutex);
        if (!visited.emplace(sys::processId(), directory.string()).second) {
            return;
        }
    }
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const long owner = temporaryOwner(it->path().filename().string());
        if (owner != 0 && owner != sys::processId() && !sys::processExists(owner) &&
            it->is_regular_file(ec)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

} // namespace

std::string writeFilesAtomically(const std::vector<OutputFile>& files, std::string* reason) {
    auto fail = [reason](const std::string& path, std::string why) {
        if (reason != nullptr) {
            *reason = std::move(why);
        }
        return path;
    };
    // A directory in a target's place would make its rename fail after earlier
    // targets of the set were already replaced: refuse the set before any
    // write.
    for (const auto& file : files) {
        std::error_code ec;
        if (fs::is_directory(file.path, ec)) {
            return fail(file.path, sys::errorText(EISDIR));
        }
    }
    sys::watchInterrupts(removeTemporariesOnInterrupt);
    for (const auto& file : files) {
        const fs::path directory = fs::path(file.path).parent_path();
        removeStaleTemporaries(directory.empty() ? fs::path(".") : directory);
    }
    std::vector<std::string> written;
    auto discard = [&written] {
        for (const auto& t : written) {
            forgetTemporary(t, true);
        }
    };
    for (const auto& file : files) {
        std::string temporary;
        int handle = -1;
        if (std::string why = createTemporaryFor(file.path, temporary, handle); !why.empty()) {
            discard();
            return fail(file.path, std::move(why));
        }
        written.push_back(temporary);
        if (std::string why = sys::writeAndClose(handle, file.bytes); !why.empty()) {
            discard();
            return fail(file.path, std::move(why));
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        fs::rename(written[i], files[i].path, ec);
        if (ec) {
            // Files renamed so far stay complete; the rest are left untouched.
            for (std::size_t j = i; j < files.size(); ++j) {
                forgetTemporary(written[j], true);
            }
            return fail(files[i].path, ec.message());
        }
        forgetTemporary(written[i], false);
    }
    return {};
}

} // namespace kzo
