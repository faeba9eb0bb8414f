// The options of kzomaker's command line and their parser.
#pragma once

#include "converter/model/conversion_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace kzo {

struct CommandLineOptions {
    std::optional<std::string> outputDirectory; // the current directory when absent
    ConversionSettings settings;
    int jobs = 1;
    // Set by --threads; otherwise settings.shadows.threads is the cores
    // divided among the workers.
    std::optional<int> threads;
    bool quiet = false;
    // --gui: open the window with the files listed instead of converting them.
    bool window = false;
    // --list-inputs: print the files converting each file would read instead
    // of converting it.
    bool listInputs = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

struct UsageError {
    std::string message;
    bool suggestHelp = true; // false for the scale range message, which stands alone
};

// Parses the arguments after the program name, in the programs' one
// convention (format/command_line_convention.h): options and files may be
// mixed, "--opt=value" or "--opt value", "--" ends the options. Returns the
// options or the reason they are unusable.
struct ParsedCommandLine {
    CommandLineOptions options;
    std::optional<UsageError> error;
};
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// A scale text as the command line reads it: a whole decimal number, read as
// scanDecimalNumber reads the main form's (rounded once, straight to a 32-bit
// float). nullopt for anything else (also "nan", "inf" and leading blanks);
// *outOfFloatRange is set when the number is too large for a float.
std::optional<float> parseScaleText(const std::string& text, bool* outOfFloatRange);

// 0..4 or its name (none, gouraud, flat, precalc-gouraud, precalc-flat).
std::optional<std::int32_t> parseShadingText(const std::string& text);

// classic or relative.
std::optional<ShadowTest> parseShadowTestText(const std::string& text);

extern const char* const kUsageText;
extern const char* const kVersionText;

} // namespace kzo
