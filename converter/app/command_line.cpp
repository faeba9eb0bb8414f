#include "converter/app/command_line.h"

#include "converter/app/command_line_options.h"
#include "converter/app/parallel_run.h"
#include "converter/import/list_inputs.h"
#include "format/command_line_convention.h"

#include <exception>
#include <filesystem>
#include <ostream>
#include <unordered_set>

namespace kzo {
namespace {

bool isErrorLine(const std::string& line) {
    return line.compare(0, 7, "ERROR: ") == 0;
}

std::string currentDirectory() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : cwd.string();
}

std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

struct RunCounts {
    std::size_t converted = 0, failed = 0, rejected = 0;
    void add(ConversionOutcome outcome) {
        ++(outcome == ConversionOutcome::converted  ? converted
           : outcome == ConversionOutcome::rejected ? rejected
                                                    : failed);
    }
};

std::string closingLine(const RunCounts& counts, std::size_t listed) {
    std::string line = std::to_string(listed) + " files: " + std::to_string(counts.converted) +
                       " converted, " + std::to_string(counts.failed) + " failed, " +
                       std::to_string(counts.rejected) + " rejected";
    const std::size_t reported = counts.converted + counts.failed + counts.rejected;
    if (reported < listed) {
        line += ", " + std::to_string(listed - reported) + " not reached";
    }
    return line;
}

// --list-inputs: each file's inputs on out, every path once over the run;
// only the error lines of what was read go to err. A file that fails prints
// none of its paths.
int listInputFiles(const CommandLineOptions& options, std::ostream& out, std::ostream& err) {
    const MessageSink errorsOnly = [&err](const std::string& line) {
        if (isErrorLine(line)) {
            err << line << '\n';
        }
    };
    std::unordered_set<std::string> printed;
    bool everyFileListed = true;
    for (const std::string& file : options.files) {
        const InputKind kind = inputKindOf(file);
        if (kind == InputKind::unsupported) {
            err << "'" << file << "' is not lws or 3ds file\n";
            everyFileListed = false;
            continue;
        }
        try {
            const std::vector<std::string> read =
                listInputs(kind, file, options.settings, errorsOnly);
            for (const std::string& path : read) {
                if (path.find_first_of("\n\r") != std::string::npos) {
                    fatalError(errorsOnly,
                               "'%s' reads '%s', whose name holds a line break: it cannot be "
                               "listed one per line",
                               file.c_str(), path.c_str());
                }
            }
            for (const std::string& path : read) {
                if (printed.insert(path).second) {
                    out << path << '\n';
                }
            }
        } catch (const FatalErrorSignal&) {
            everyFileListed = false;
        } catch (const std::exception& e) {
            err << "ERROR: listing stopped at '" << file << "': " << e.what() << '\n';
            return kExitSomeFileFailed;
        }
    }
    out.flush();
    return everyFileListed ? kExitConverted : kExitSomeFileFailed;
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (parsed.error) {
        if (parsed.error->suggestHelp) {
            err << cli::usageErrorText("kzomaker", parsed.error->message);
        } else {
            err << "kzomaker: " << parsed.error->message << '\n';
        }
        return kExitUsage;
    }
    const CommandLineOptions& options = parsed.options;
    if (options.help) {
        out << kUsageText;
        return kExitConverted;
    }
    if (options.version) {
        out << kVersionText;
        return kExitConverted;
    }
    if (options.window) {
        // The program opens the window before it gets here (main.cpp).
        err << "kzomaker: --gui needs the window, which this run does not open\n";
        return kExitUsage;
    }
    if (options.files.empty()) {
        err << kUsageText;
        return kExitUsage;
    }
    if (options.listInputs) {
        return listInputFiles(options, out, err);
    }

    RunCounts counts;
    auto report = [&](std::size_t index, const FileConversion& file) {
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            const std::string& line = file.lines[i];
            // A rejected file's last line says why; like an error, it is never
            // lost to -q or to a discarded standard output.
            const bool reason =
                file.outcome == ConversionOutcome::rejected && i + 1 == file.lines.size();
            if (isErrorLine(line) || reason) {
                out.flush();
                err << line << std::endl;
            } else if (!options.quiet) {
                out << line << '\n';
            }
        }
        if (file.error) {
            out.flush();
            err << "ERROR: conversion stopped at '" << options.files[index]
                << "': " << describe(file.error) << std::endl;
            ++counts.failed;
        } else {
            counts.add(file.outcome);
        }
        out.flush();
    };
    runParallelConversions(options.files, options.outputDirectory.value_or(currentDirectory()),
                           options.settings, options.jobs, report);
    if (options.files.size() >= 2 && !options.quiet) {
        out << closingLine(counts, options.files.size()) << '\n';
        out.flush();
    }
    return counts.failed + counts.rejected == 0 ? kExitConverted : kExitSomeFileFailed;
}

} // namespace kzo
