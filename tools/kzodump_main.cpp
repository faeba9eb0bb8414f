// kzodump: prints, exports as JSON, summarises or checks the engine's files.
//
// Exit status: 0 when every file was read (and, with --check, passed), 1 when
// any file could not be read or failed its check, 2 for a bad command line.

#include "format/command_line_convention.h"
#include "format/file_io.h"
#include "tools/dump_check.h"
#include "tools/dump_render.h"
#include "tools/file_kind.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

namespace {

using namespace kzo::dump;

const char* const kUsage =
    "usage: kzodump [--json | --summary | --check] [--kind kzo|mot|cam|kzl] FILE...\n"
    "  prints every record of each .kzo, .mot, .cam or .kzl file\n"
    "  --json      one JSON document per file\n"
    "  --summary   the counts only\n"
    "  --check     validate; report the first problem and its byte offset\n"
    "  --kind K    read every file as kind K instead of by its extension\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "Options take their value as --kind=K or --kind K; \"--\" ends the options.\n"
    "Exit status: 0 when every file was read (and passed --check), 1 when any\n"
    "file could not be read or failed, 2 for a bad command line.\n";

const char* const kVersion = "kzodump v1.0\n";

struct Options {
    enum class Action { print, json, summary, check } action = Action::print;
    std::optional<FileKind> kind;
    std::vector<std::string> files;
};

// The options, or the exit status when the program ends here (after printing
// the usage, the version or the reason the command line is unusable).
std::variant<Options, int> parseCommandLine(int argc, char** argv) {
    Options options;
    int actions = 0;
    auto action = [&](Options::Action a) {
        return [&options, &actions, a](const std::string&) {
            options.action = a;
            ++actions;
            return std::string();
        };
    };
    const std::vector<kzo::cli::OptionRule> rules = {
        {0, "json", false, action(Options::Action::json)},
        {0, "summary", false, action(Options::Action::summary)},
        {0, "check", false, action(Options::Action::check)},
        {0, "kind", true,
         [&options](const std::string& value) {
             options.kind = fileKindFromName(value);
             return options.kind ? std::string()
                                 : "unknown kind '" + value + "' (kzo, mot, cam or kzl)";
         }},
    };
    kzo::cli::ParsedArguments parsed =
        kzo::cli::parseArguments(rules, std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.request) {
    case kzo::cli::Request::help:
        std::fputs(kUsage, stdout);
        return 0;
    case kzo::cli::Request::version:
        std::fputs(kVersion, stdout);
        return 0;
    case kzo::cli::Request::invalid:
        std::fputs(kzo::cli::usageErrorText("kzodump", parsed.error).c_str(), stderr);
        return kzo::cli::kExitUsage;
    case kzo::cli::Request::run:
        break;
    }
    if (actions > 1) {
        std::fputs(
            kzo::cli::usageErrorText("kzodump", "--json, --summary and --check exclude each other")
                .c_str(),
            stderr);
        return kzo::cli::kExitUsage;
    }
    if (parsed.operands.empty()) {
        std::fputs(kUsage, stderr);
        return kzo::cli::kExitUsage;
    }
    options.files = std::move(parsed.operands);
    return options;
}

// True when the file was read (and passed, with --check).
bool processFile(const Options& options, const std::string& path, bool first) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        std::fprintf(stderr, "kzodump: '%s': is a directory\n", path.c_str());
        return false;
    }
    const std::optional<FileKind> kind = options.kind ? options.kind : fileKindFromPath(path);
    if (!kind) {
        std::fprintf(stderr,
                     "kzodump: '%s': unknown file kind (not .kzo .mot .cam .kzl; use --kind)\n",
                     path.c_str());
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (const std::optional<kzo::ReadFailure> failure = kzo::readFile(path, bytes)) {
        std::fprintf(stderr, "kzodump: '%s': cannot read the file: %s\n", path.c_str(),
                     failure->reason.c_str());
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
    const std::variant<Options, int> parsed = parseCommandLine(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) {
        return *status;
    }
    const Options* options = &std::get<Options>(parsed);
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
