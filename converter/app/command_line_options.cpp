#include "converter/app/command_line_options.h"

#include "converter/app/scale_factor.h"
#include "format/command_line_convention.h"
#include "modelimport/model_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <thread>

namespace kzo {

const char* const kUsageText =
    "Usage: kzomaker [options] FILE...\n"
    "       kzomaker --list-inputs [options] FILE...\n"
    "       kzomaker [--gui FILE...]\n"
    "Converts 3D Studio (.3ds) files, LightWave scenes (.lws, versions 1 to 5, their\n"
    "objects read from .3ds twins or .lwo files), LightWave objects (.lwo: LWO2,\n"
    "LWOB, every layer, LightWave's axes kept) and models of every other format\n"
    "the assimp library reads (.obj .gltf .glb .fbx .dae .ply .stl .blend and more,\n"
    "by the extension after the last dot) into KZO object files.\n"
    "Those models are read y up and turned into the 3DS reader's space: a point\n"
    "(x, y, z) becomes (x, y, -z) with the same front faces; OUT is named by\n"
    "replacing the extension (tank.gltf gives tank.kzo). Their objects, first\n"
    "camera and lights give the side files as a LightWave scene's do, and a\n"
    "texture held in the file is written beside OUT (tank_tex0.png).\n"
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
    "      --empty-light-file\n"
    "                        with --light, a scene without lights writes its .kzl\n"
    "                        too, holding no light (for builds that declare it)\n"
    "      --deps            write a Make-style dependency file beside each KZO file\n"
    "                        (OUT.kzo.d: the outputs, the input and every file it read)\n"
    "      --fit             simplify a model read through assimp until it fits the\n"
    "                        tables (20000 vertices, 20000 faces); .3ds and .lws\n"
    "                        inputs keep their capacity errors\n"
    "      --fps N           frames a second, 1 to 1000, at which the keys of a model\n"
    "                        file that states no frame rate are placed (default 30);\n"
    "                        LightWave scenes and FBX or COLLADA files keep their own\n"
    "      --texture-dir DIR write the textures a model file holds inside itself into\n"
    "                        DIR (which must exist) instead of beside OUT, under the\n"
    "                        same names, which OUT stores as without it\n"
    "      --shadow-test T   classic (default) or relative: how a face decides that it\n"
    "                        casts a shadow; relative works at any unit of length\n"
    "      --occlusion       precalculated colours: darken the ambient light where the\n"
    "                        model hides the hemisphere above a vertex\n"
    "      --bounce          precalculated colours: add one bounce of the direct light\n"
    "                        off the faces each vertex sees\n"
    "      --occlusion-rays N\n"
    "                        rays per vertex of --occlusion and --bounce, 1 to 4096\n"
    "                        (default 64)\n"
    "      --occlusion-distance D\n"
    "                        how far those rays reach, in the model's units (default:\n"
    "                        a tenth of the diagonal of the model's bounding box)\n"
    "      --list-inputs     convert nothing: print every file converting each FILE\n"
    "                        with these options would read (the file, a scene's\n"
    "                        objects as found, the files a model names), one per\n"
    "                        line, each once; one that cannot be found is an error\n"
    "      --search-path DIR a model read through assimp may also read the files it\n"
    "                        names (buffers, material libraries) below DIR; may be\n"
    "                        given more than once (default: only below its folder)\n"
    "      --reader-memory MIB\n"
    "                        memory the reader of one such model may take, 32 MiB or\n"
    "                        more (default 4096, or the machine's memory when less)\n"
    "      --reader-timeout S\n"
    "                        seconds the reader of one such model may take, 1 to\n"
    "                        86400 (default 60)\n"
    "  -j, --jobs N          convert N files at a time (default 1)\n"
    "      --threads N       threads that mark one file's lights and cast its rays\n"
    "                        (default: the processor's cores divided among the files\n"
    "                        at a time)\n"
    "  -q, --quiet           print only the error lines and why files are rejected\n"
    "      --gui             open the window with the files listed, converting nothing\n"
    "                        (no other option with it; needs a display)\n"
    "  -h, --help            print this help and exit\n"
    "      --version         print the version and exit\n"
    "\n"
    "Options take their value as --scale=F or --scale F, -sF or -s F; \"--\" ends the\n"
    "options, so a file whose name starts with '-' comes after it.\n"
    "\n"
    "Messages go to standard output; \"ERROR: \" lines and the reason a file is\n"
    "rejected go to standard error, -q or not. After two or more files a closing\n"
    "line counts the files converted, failed and rejected.\n"
    "A file that is no model, or holds no triangle, is an error; nothing is written\n"
    "for it. A model read through assimp is read by a process of its own\n"
    "(kzo-model-reader): one that crashes it, goes beyond its memory or time, or\n"
    "names a file outside its folder and the search paths is an error for that file\n"
    "alone. Two files that would write the same output (the .kzo, a side file or the\n"
    ".d file): the later one is refused with an error naming both, before anything\n"
    "is converted; the rest of the list still converts.\n"
    "Outputs are written whole or not at all: an interrupted run (SIGINT, SIGTERM)\n"
    "removes its temporary files (.NAME.tmp-HOST-PID-N) and leaves every older\n"
    "output as it was; those of a run that was killed outright are removed by the\n"
    "next run into the same directory on the same host.\n"
    "\n"
    "Exit status: 0 when every file converted, 1 when any file failed or was\n"
    "rejected, 2 for a usage error (nothing is converted then).\n";

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

constexpr int kMaxFramesPerSecond = 1000;

// Returns why the text is refused; standsAlone is set for the range message,
// which the form shows the same way, without a pointer to --help.
std::string applyScale(const std::string& text, ConversionSettings& settings, bool& standsAlone) {
    bool tooLarge = false;
    const std::optional<float> scale = parseScaleText(text, &tooLarge);
    if (!scale && !tooLarge) {
        return "scale factor '" + text + "' is not a number";
    }
    if (tooLarge || !isScaleFactorInRange(*scale)) {
        standsAlone = true;
        return "scalefactor is out of range(100000,-100000)";
    }
    settings.scaleFactor = *scale;
    return {};
}

std::optional<std::uint32_t> parseWholeNumber(const std::string& s, std::uint32_t low,
                                              std::uint32_t high) {
    std::uint32_t value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Taken against the current directory now: a run changes it to each input's.
std::string applySearchPath(const std::string& text, ConversionSettings& settings) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(text, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        return "--search-path '" + text + "' is not a directory";
    }
    settings.searchPaths.push_back(dir.string());
    return {};
}

std::string applyOcclusionRays(const std::string& text, IndirectLightOptions& options) {
    const std::optional<int> rays = parsePositiveInt(text);
    if (!rays || *rays > kMaxOcclusionRays) {
        return "--occlusion-rays needs a whole number from 1 to " +
               std::to_string(kMaxOcclusionRays) + ", not '" + text + "'";
    }
    options.rays = *rays;
    return {};
}

std::string applyOcclusionDistance(const std::string& text, IndirectLightOptions& options) {
    const DecimalNumber number = scanDecimalNumber(text);
    if (number.length == 0 || number.length != text.size() || !std::isfinite(number.value) ||
        !(number.value > 0.0f)) {
        return "--occlusion-distance needs a length above 0, not '" + text + "'";
    }
    options.distance = number.value;
    return {};
}

std::function<std::string(const std::string&)> setFlag(std::int32_t& field) {
    return [&field](const std::string&) {
        field = 1;
        return std::string();
    };
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
    bool standsAlone = false;
    bool rayOption = false;
    std::vector<cli::OptionRule> rules = {
        {'o', "output-dir", true,
         [&o](const std::string& value) {
             o.outputDirectory = value;
             return std::string();
         }},
        {'s', "scale", true,
         [&](const std::string& value) { return applyScale(value, o.settings, standsAlone); }},
        {0, "shading", true,
         [&o](const std::string& value) {
             const std::optional<std::int32_t> type = parseShadingText(value);
             o.settings.shadingType = type.value_or(o.settings.shadingType);
             return type ? std::string() : "unknown shading type '" + value + "'";
         }},
        {0, "shadow-test", true,
         [&o](const std::string& value) {
             const std::optional<ShadowTest> test = parseShadowTestText(value);
             o.settings.shadows.test = test.value_or(o.settings.shadows.test);
             return test ? std::string() : "unknown shadow test '" + value + "'";
         }},
        {0, "threads", true,
         [&o](const std::string& value) {
             o.threads = parsePositiveInt(value);
             return o.threads ? std::string()
                              : "--threads needs a whole number of at least 1, not '" + value + "'";
         }},
        {'j', "jobs", true,
         [&o](const std::string& value) {
             const std::optional<int> jobs = parsePositiveInt(value);
             o.jobs = jobs.value_or(o.jobs);
             return jobs ? std::string()
                         : "--jobs needs a whole number of at least 1, not '" + value + "'";
         }},
        {0, "animation", false, setFlag(o.settings.animation)},
        {0, "camera", false, setFlag(o.settings.cameraFile)},
        {0, "light", false, setFlag(o.settings.lightFile)},
        {0, "empty-light-file", false, setFlag(o.settings.emptyLightFile)},
        {0, "deps", false, setFlag(o.settings.dependencyFile)},
        {0, "fit", false, setFlag(o.settings.fitToCapacity)},
        {0, "search-path", true,
         [&o](const std::string& value) { return applySearchPath(value, o.settings); }, true},
        {0, "reader-memory", true,
         [&o](const std::string& value) {
             const std::optional<std::uint32_t> mib =
                 parseWholeNumber(value, kMinReaderMemoryMiB, kMaxReaderMemoryMiB);
             o.settings.readerMemoryMiB = mib.value_or(0);
             return mib ? std::string()
                        : "--reader-memory needs MiB, " + std::to_string(kMinReaderMemoryMiB) +
                              " to " + std::to_string(kMaxReaderMemoryMiB) + ", not '" + value +
                              "'";
         }},
        {0, "reader-timeout", true,
         [&o](const std::string& value) {
             const std::optional<std::uint32_t> seconds =
                 parseWholeNumber(value, 1, kMaxReaderTimeoutSeconds);
             o.settings.readerTimeoutSeconds = seconds.value_or(0);
             return seconds
                        ? std::string()
                        : "--reader-timeout needs seconds, 1 to " +
                              std::to_string(kMaxReaderTimeoutSeconds) + ", not '" + value + "'";
         }},
        {0, "occlusion", false, setFlag(o.settings.indirectLight.occlusion)},
        {0, "bounce", false, setFlag(o.settings.indirectLight.bounce)},
        {0, "occlusion-rays", true,
         [&o, &rayOption](const std::string& value) {
             rayOption = true;
             return applyOcclusionRays(value, o.settings.indirectLight);
         }},
        {0, "occlusion-distance", true,
         [&o, &rayOption](const std::string& value) {
             rayOption = true;
             return applyOcclusionDistance(value, o.settings.indirectLight);
         }},
        {0, "fps", true,
         [&o](const std::string& value) {
             const std::optional<int> fps = parsePositiveInt(value);
             if (!fps || *fps > kMaxFramesPerSecond) {
                 return "--fps needs a whole number from 1 to " +
                        std::to_string(kMaxFramesPerSecond) + ", not '" + value + "'";
             }
             o.settings.framesPerSecond = *fps;
             return std::string();
         }},
        {0, "texture-dir", true,
         [&o](const std::string& value) {
             o.settings.textureDirectory = value;
             return value.empty() ? "--texture-dir needs a directory" : std::string();
         }},
        {0, "list-inputs", false,
         [&o](const std::string&) {
             o.listInputs = true;
             return std::string();
         }},
        {'q', "quiet", false,
         [&o](const std::string&) {
             o.quiet = true;
             return std::string();
         }},
    };
    // The window takes its options from its own controls: any option beside
    // --gui would be silently lost, so it is refused.
    bool conversionOption = false;
    for (cli::OptionRule& rule : rules) {
        rule.apply = [apply = std::move(rule.apply), &conversionOption](const std::string& value) {
            conversionOption = true;
            return apply(value);
        };
    }
    rules.push_back({0, "gui", false, [&o](const std::string&) {
                         o.window = true;
                         return std::string();
                     }});
    cli::ParsedArguments parsed = cli::parseArguments(rules, args);
    if (parsed.request == cli::Request::run && o.window && conversionOption) {
        parsed.request = cli::Request::invalid;
        parsed.error = "--gui takes only the files to list; the window sets the options";
    }
    // Rays that nothing casts are a mistake worth hearing of.
    if (parsed.request == cli::Request::run && rayOption && !castsRays(o.settings.indirectLight)) {
        parsed.request = cli::Request::invalid;
        parsed.error = "--occlusion-rays and --occlusion-distance need --occlusion or --bounce";
    }
    switch (parsed.request) {
    case cli::Request::help:
        o.help = true;
        break;
    case cli::Request::version:
        o.version = true;
        break;
    case cli::Request::invalid:
        result.error = UsageError{parsed.error, !standsAlone};
        break;
    case cli::Request::run:
        o.files = std::move(parsed.operands);
        break;
    }
    const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(o.jobs),
                                                      std::max<std::size_t>(o.files.size(), 1));
    o.settings.shadows.threads =
        o.threads ? *o.threads
                  : shadowThreadsPerWorker(std::thread::hardware_concurrency(), workers);
    return result;
}

} // namespace kzo
