#include "converter/app/command_line_options.h"

#include "converter/app/scale_factor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

namespace kzo {

const char* const kUsageText =
    "Usage: kzomaker [options] FILE...\n"
    "Converts 3D Studio (.3ds) files, LightWave scenes (.lws, versions 1 to 5, their\n"
    "objects read from .3ds twins or .lwo files) and models of every other format\n"
    "the assimp library reads (.obj .gltf .glb .fbx .dae .ply .stl .blend and more,\n"
    "by the extension after the last dot) into KZO object files.\n"
    "Those models are read y up and turned into the 3DS reader's space: a point\n"
    "(x, y, z) becomes (x, y, -z) with the same front faces; OUT is named by\n"
    "replacing the extension (tank.gltf gives tank.kzo).\n"
    "\n"
    "A scene object is read from the .3ds file of its name when there is one, else\n"
    "from the .lwo (LWO2, LWOB) itself. Key times of scene versions 2 to 5 are seconds\n"
    "(taken so for version 2 as well), at FramesPerSecond frames a second (30 when\n"
    "absent); what cannot be converted is named in WARNING: lines.\n"
    "\n"
    "Options:\n"
    "  -o, --output-dir DIR  write the outputs into DIR (default: the current directory)\n"
    "  -s, --scale F         multiply every position by F, -100000 to 100000 (default 1.0)\n"
    "      --shading TYPE    none, gouraud, flat, precalc-gouraud or precalc-flat,\n"
    "                        or 0 to 4 (default none)\n"
    "      --animation       convert a scene as an animated hierarchy with a .mot file\n"
    "      --camera          write the scene's camera file (.cam)\n"
    "      --light           write the scene's light file (.kzl)\n"
    "      --deps            write a Make-style dependency file beside each KZO file\n"
    "                        (OUT.kzo.d: the outputs, the input and every file it read)\n"
    "      --fit             simplify a model read through assimp until it fits the\n"
    "                        tables (20000 vertices, 20000 faces); .3ds and .lws\n"
    "                        inputs keep their capacity errors\n"
    "      --shadow-test T   classic (default) or relative: how a face decides that it\n"
    "                        casts a shadow; relative works at any unit of length\n"
    "  -j, --jobs N          convert N files at a time (default 1)\n"
    "      --threads N       threads that mark one file's lights (default: the\n"
    "                        processor's cores divided among the files at a time)\n"
    "  -q, --quiet           print only the error lines\n"
    "  -h, --help            print this help and exit\n"
    "      --version         print the version and exit\n"
    "\n"
    "Messages go to standard output, \"ERROR: \" lines to standard error.\n"
    "Exit status: 0 when every file converted, 1 when any file failed or was\n"
    "rejected, 2 for a usage error.\n";

const char* const kVersionText = "KZO file maker v1.0\n";

namespace {

std::optional<int> parsePositiveInt(const std::string& s) {
    int value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1) {
        return std::nullopt;
    }
    return value;
}

struct OptionReader {
    OptionReader(const std::vector<std::string>& arguments, std::optional<UsageError>& errorOut)
        : args(arguments), error(errorOut) {}
    const std::vector<std::string>& args;
    std::optional<UsageError>& error;
    std::size_t index = 0;

    // The value of an option: the rest of "--name=value" / "-xvalue", or the
    // next argument.
    std::optional<std::string> value(const std::string& arg, const std::string& name,
                                     std::size_t attachedAt) {
        if (attachedAt != std::string::npos) {
            return arg.substr(attachedAt);
        }
        if (index + 1 >= args.size()) {
            error = UsageError{"option '" + name + "' needs a value"};
            return std::nullopt;
        }
        return args[++index];
    }
};

// Where the attached value of arg starts when arg is the long option name
// ("--name=v") or the short one ("-xv"); npos when the value is separate.
// Returns false when arg is neither.
bool matches(const std::string& arg, const char* shortName, const char* longName,
             std::size_t& attachedAt) {
    attachedAt = std::string::npos;
    const std::size_t n = std::strlen(longName);
    if (arg.compare(0, n, longName) == 0) {
        if (arg.size() == n) {
            return true;
        }
        if (arg[n] == '=') {
            attachedAt = n + 1;
            return true;
        }
        return false;
    }
    if (shortName != nullptr && arg.compare(0, 2, shortName) == 0) {
        if (arg.size() > 2) {
            attachedAt = 2;
        }
        return true;
    }
    return false;
}

void applyScale(const std::string& text, ParsedCommandLine& result) {
    bool tooLarge = false;
    const std::optional<float> scale = parseScaleText(text, &tooLarge);
    if (!scale && !tooLarge) {
        result.error = UsageError{"scale factor '" + text + "' is not a number"};
        return;
    }
    if (tooLarge || !isScaleFactorInRange(*scale)) {
        result.error = UsageError{"scalefactor is out of range(100000,-100000)", false};
        return;
    }
    result.options.settings.scaleFactor = *scale;
}

} // namespace

std::optional<float> parseScaleText(const std::string& text, bool* outOfFloatRange) {
    if (outOfFloatRange != nullptr) {
        *outOfFloatRange = false;
    }
    const DecimalNumber number = scanDecimalNumber(text);
    if (number.length == 0 || number.length != text.size()) {
        return std::nullopt;
    }
    if (std::isinf(number.value)) {
        if (outOfFloatRange != nullptr) {
            *outOfFloatRange = true;
        }
        return std::nullopt;
    }
    return number.value;
}

std::optional<std::int32_t> parseShadingText(const std::string& text) {
    static const char* const names[] = {"none", "gouraud", "flat", "precalc-gouraud",
                                        "precalc-flat"};
    for (std::int32_t i = 0; i < 5; ++i) {
        if (text == names[i] || text == std::to_string(i)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<ShadowTest> parseShadowTestText(const std::string& text) {
    if (text == "classic") {
        return ShadowTest::classic;
    }
    if (text == "relative") {
        return ShadowTest::relative;
    }
    return std::nullopt;
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    CommandLineOptions& o = result.options;
    OptionReader reader(args, result.error);
    bool optionsEnded = false;
    for (; reader.index < args.size() && !result.error; ++reader.index) {
        const std::string& arg = args[reader.index];
        std::size_t at = std::string::npos;
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (matches(arg, "-o", "--output-dir", at)) {
            if (auto v = reader.value(arg, "--output-dir", at)) {
                o.outputDirectory = *v;
            }
        } else if (matches(arg, "-s", "--scale", at)) {
            if (auto v = reader.value(arg, "--scale", at)) {
                applyScale(*v, result);
            }
        } else if (matches(arg, nullptr, "--shading", at)) {
            if (auto v = reader.value(arg, "--shading", at)) {
                if (auto type = parseShadingText(*v)) {
                    o.settings.shadingType = *type;
                } else {
                    result.error = UsageError{"unknown shading type '" + *v + "'"};
                }
            }
        } else if (matches(arg, nullptr, "--shadow-test", at)) {
            if (auto v = reader.value(arg, "--shadow-test", at)) {
                if (auto test = parseShadowTestText(*v)) {
                    o.settings.shadows.test = *test;
                } else {
                    result.error = UsageError{"unknown shadow test '" + *v + "'"};
                }
            }
        } else if (matches(arg, nullptr, "--threads", at)) {
            if (auto v = reader.value(arg, "--threads", at)) {
                if (auto threads = parsePositiveInt(*v)) {
                    o.threads = *threads;
                } else {
                    result.error = UsageError{
                        "--threads needs a whole number of at least 1, not '" + *v + "'"};
                }
            }
        } else if (matches(arg, "-j", "--jobs", at)) {
            if (auto v = reader.value(arg, "--jobs", at)) {
                if (auto jobs = parsePositiveInt(*v)) {
                    o.jobs = *jobs;
                } else {
                    result.error =
                        UsageError{"--jobs needs a whole number of at least 1, not '" + *v + "'"};
                }
            }
        } else if (arg == "--animation") {
            o.settings.animation = 1;
        } else if (arg == "--camera") {
            o.settings.cameraFile = 1;
        } else if (arg == "--light") {
            o.settings.lightFile = 1;
        } else if (arg == "--deps") {
            o.settings.dependencyFile = 1;
        } else if (arg == "--fit") {
            o.settings.fitToCapacity = 1;
        } else if (arg == "-q" || arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else {
            result.error = UsageError{"unknown option '" + arg + "'"};
        }
    }
    const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(o.jobs),
                                                      std::max<std::size_t>(o.files.size(), 1));
    o.settings.shadows.threads =
        o.threads ? *o.threads
                  : shadowThreadsPerWorker(std::thread::hardware_concurrency(), workers);
    return result;
}

} // namespace kzo
