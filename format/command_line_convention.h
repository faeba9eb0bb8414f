// The one command-line convention of kzomaker, kzoview and kzodump:
//   -h, --help and --version in every program;
//   "--name=value" and "--name value", "-xvalue" and "-x value";
//   short flags may be grouped ("-qj2");
//   options and operands may be mixed; "--" ends the options;
//   an option given twice keeps its last value, unless it repeats;
//   an unknown option, a missing value or a value the program refuses is a
//   usage error, exit status 2.
// The parsing library stays inside the implementation.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kzo::cli {

inline constexpr int kExitUsage = 2;

struct OptionRule {
    char shortName = 0;   // 'o' for -o; 0 for none
    std::string longName; // "output-dir" for --output-dir
    bool takesValue = false;
    // Called once when the option was given: with its last value, or with an
    // empty text for a flag. Returns why the value is unusable, or nothing.
    std::function<std::string(const std::string& value)> apply;
    // An option with a value that may be given more than once: apply is then
    // called for every value, in the order given.
    bool repeats = false;
};

enum class Request {
    run,     // the options were read; operands holds the rest
    help,    // -h or --help: print the usage, exit 0
    version, // --version: print the version, exit 0
    invalid, // error says why
};

struct ParsedArguments {
    Request request = Request::run;
    std::vector<std::string> operands; // the arguments that are not options, in order
    std::string error;
};

// args are the arguments after the program's name. --help wins over
// --version, and both over other options' values; no apply is called for
// them.
ParsedArguments parseArguments(const std::vector<OptionRule>& options,
                               const std::vector<std::string>& args);

// "PROGRAM: ERROR" and a line that points at --help.
std::string usageErrorText(std::string_view program, std::string_view error);

} // namespace kzo::cli
