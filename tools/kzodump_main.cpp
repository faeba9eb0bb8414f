// kzodump: prints, exports as JSON, summarises or checks the engine's files.
//
// Exit status: 0 when every file was read (and, with --check, passed), 1 when
// any file could not be read or failed its check, 2 for a bad command line.

#include "format/file_io.h"
#include "tools/dump_check.h"
#include "tools/dump_render.h"
#include "tools/file_kind.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kzo::dump;

const char* const kUsage =
    "usage: kzodump [--json | --summary | --check] [--kind kzo|mot|cam|kzl] FILE...\n"
    "  prints every record of each .kzo, .mot, .cam or .kzl file\n"
    "  --json      one JSON document per file\n"
    "  --summary   the counts only\n"
    "  --check     validate; report the first problem and its byte offset\n"
    "  --kind K    read every file as kind K instead of by its extension\n";

struct Options {
    enum class Action { print, json, summary, check } action = Action::print;
    std::optional<FileKind> kind;
    std::vector<std::string> files;
};

// nullopt after printing the reason on a bad command line.
std::optional<Options> parseCommandLine(int argc, char** argv) {
    Options options;
    int actions = 0;
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (filesOnly || arg.empty() || arg[0] != '-') {
            options.files.emplace_back(arg);
        } else if (arg == "--") {
            filesOnly = true;
        } else if (arg == "--json" || arg == "--summary" || arg == "--check") {
            options.action = arg == "--json"      ? Options::Action::json
                             : arg == "--summary" ? Options::Action::summary
                                                  : Options::Action::check;
            ++actions;
        } else if (arg == "--kind" && i + 1 < argc) {
            options.kind = fileKindFromName(argv[++i]);
            if (!options.kind) {
                std::fprintf(stderr, "kzodump: unknown kind '%s' (kzo, mot, cam or kzl)\n",
                             argv[i]);
                return std::nullopt;
            }
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            std::fprintf(stderr, "kzodump: unknown option '%s'\n%s", argv[i], kUsage);
            return std::nullopt;
        }
    }
    if (actions > 1) {
        std::fprintf(stderr, "kzodump: --json, --summary and --check exclude each other\n");
        return std::nullopt;
    }
    if (options.files.empty()) {
        std::fputs(kUsage, stderr);
        return std::nullopt;
    }
    return options;
}

// True when the file was read (and passed, with --check).
bool processFile(const Options& options, const std::string& path, bool first) {
    const std::optional<FileKind> kind = options.kind ? options.kind : fileKindFromPath(path);
    if (!kind) {
        std::fprintf(stderr,
                     "kzodump: '%s': unknown file kind (not .kzo .mot .cam .kzl; use --kind)\n",
                     path.c_str());
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!kzo::readFileBytes(path, bytes)) {
        std::fprintf(stderr, "kzodump: '%s': cannot read the file\n", path.c_str());
        return false;
    }
    if (options.action == Options::Action::check) {
        if (const std::optional<Problem> problem = checkFile(*kind, bytes)) {
            std::fprintf(stderr, "'%s' byte %zu: %s\n", path.c_str(), problem->offset,
                         problem->description.c_str());
            return false;
        }
        std::printf("'%s' OK\n", path.c_str());
        return true;
    }
    const OutputMode mode = options.action == Options::Action::json      ? OutputMode::json
                            : options.action == Options::Action::summary ? OutputMode::summary
                                                                         : OutputMode::text;
    std::string out;
    try {
        out = renderFile(*kind, bytes, mode, path);
    } catch (const DumpError& e) {
        std::fprintf(stderr, "kzodump: '%s' byte %zu: %s\n", path.c_str(), e.offset, e.what());
        return false;
    }
    if (mode != OutputMode::json) {
        std::printf("%s'%s' (%s, %zu bytes)\n", first ? "" : "\n", path.c_str(),
                    fileKindName(*kind), bytes.size());
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseCommandLine(argc, argv);
    if (!options) {
        return 2;
    }
    bool allGood = true;
    for (std::size_t i = 0; i < options->files.size(); ++i) {
        allGood = processFile(*options, options->files[i], i == 0) && allGood;
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kzodump: cannot write the output\n");
        return 1;
    }
    return allGood ? 0 : 1;
}
