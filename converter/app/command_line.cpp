#include "converter/app/command_line.h"

#include "converter/app/command_line_options.h"
#include "converter/app/parallel_run.h"

#include <exception>
#include <filesystem>
#include <ostream>

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

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (parsed.error) {
        err << "kzomaker: " << parsed.error->message << '\n';
        if (parsed.error->suggestHelp) {
            err << "Try 'kzomaker --help'.\n";
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
    if (options.files.empty()) {
        err << kUsageText;
        return kExitUsage;
    }

    int status = kExitConverted;
    auto report = [&](std::size_t index, const FileConversion& file) {
        for (const std::string& line : file.lines) {
            if (isErrorLine(line)) {
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
            status = kExitSomeFileFailed;
        } else if (file.outcome != ConversionOutcome::converted) {
            status = kExitSomeFileFailed;
        }
        out.flush();
    };
    runParallelConversions(options.files, options.outputDirectory.value_or(currentDirectory()),
                           options.settings, options.jobs, report);
    return status;
}

} // namespace kzo
