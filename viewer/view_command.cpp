#include "viewer/view_command.h"

#include "format/command_line_convention.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>

namespace kzoview {

std::string fileFromCommandLine(const std::string& text) {
    std::string name = text;
    if (!name.empty() && name.front() == '"') {
        name.erase(0, 1);
    }
    if (!name.empty() && name.back() == '"') {
        name.pop_back();
    }
    return name;
}

namespace {

bool parseSide(const std::string& text, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kMaxSnapshotSide) {
        return false;
    }
    out = value;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) &&
           parseSide(text.substr(x + 1), height);
}

bool parseWhole(const std::string& text, int low, int high, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool parseFactor(const std::string& text, float& out) {
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        !(value > 0.0f)) {
        return false;
    }
    out = value;
    return true;
}

std::string addSearchPath(const std::string& text, ModelReading& reading) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(text, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        return "--search-path '" + text + "' is not a directory";
    }
    reading.searchPaths.push_back(dir.string());
    return {};
}

std::string flag(bool& set) {
    set = true;
    return {};
}

ViewCommand invalid(std::string why) {
    ViewCommand c;
    c.mode = ViewMode::invalid;
    c.error = std::move(why);
    return c;
}

ViewCommand withOptions(const std::vector<std::string>& args) {
    ViewCommand c;
    bool info = false;
    bool snapshot = false;
    bool sized = false;
    bool framed = false;
    bool paced = false;
    bool scaled = false;
    const std::vector<kzo::cli::OptionRule> rules = {
        {0, "info", false,
         [&info](const std::string&) {
             info = true;
             return std::string();
         }},
        {0, "snapshot", true,
         [&](const std::string& value) {
             snapshot = true;
             c.snapshotPath = value;
             return std::string();
         }},
        {0, "size", true,
         [&](const std::string& value) {
             sized = true;
             return parseSize(value, c.width, c.height) ? std::string()
                                                        : "--size needs WIDTHxHEIGHT, each 1 to " +
                                                              std::to_string(kMaxSnapshotSide);
         }},
        {0, "shaded", false, [&c](const std::string&) { return flag(c.shaded); }},
        {0, "auto-shaded", false, [&c](const std::string&) { return flag(c.autoShaded); }},
        {0, "play", false, [&c](const std::string&) { return flag(c.play); }},
        {0, "lights", false, [&c](const std::string&) { return flag(c.lights); }},
        {0, "frame", true,
         [&](const std::string& value) {
             framed = true;
             return parseWhole(value, 0, INT32_MAX, c.frame)
                        ? std::string()
                        : "--frame needs a frame number, 0 or more";
         }},
        {0, "fps", true,
         [&](const std::string& value) {
             paced = true;
             return parseWhole(value, 1, kMaxFramesPerSecond, c.framesPerSecond)
                        ? std::string()
                        : "--fps needs frames per second, 1 to " +
                              std::to_string(kMaxFramesPerSecond);
         }},
        {0, "scale", true,
         [&](const std::string& value) {
             scaled = true;
             return parseFactor(value, c.lightScale) ? std::string()
                                                     : "--scale needs a number above 0";
         }},
        {0, "textures", true,
         [&c](const std::string& value) {
             if (value.empty()) {
                 return std::string("--textures needs a directory");
             }
             c.textureDirectories.push_back(value);
             return std::string();
         },
         true},
        {0, "no-textures", false,
         [&c](const std::string&) {
             c.textures = false;
             return std::string();
         }},
        {0, "search-path", true,
         [&c](const std::string& value) { return addSearchPath(value, c.modelReading); }, true},
        {0, "reader-memory", true,
         [&c](const std::string& value) {
             int mib = 0;
             const bool ok = parseWhole(value, static_cast<int>(kzo::kMinReaderMemoryMiB),
                                        static_cast<int>(kzo::kMaxReaderMemoryMiB), mib);
             c.modelReading.limits.memoryMiB = static_cast<std::uint32_t>(mib);
             return ok ? std::string()
                       : "--reader-memory needs MiB, " + std::to_string(kzo::kMinReaderMemoryMiB) +
                             " to " + std::to_string(kzo::kMaxReaderMemoryMiB);
         }},
        {0, "reader-timeout", true,
         [&c](const std::string& value) {
             int seconds = 0;
             const bool ok =
                 parseWhole(value, 1, static_cast<int>(kzo::kMaxReaderTimeoutSeconds), seconds);
             c.modelReading.limits.timeoutSeconds = static_cast<std::uint32_t>(seconds);
             return ok ? std::string()
                       : "--reader-timeout needs seconds, 1 to " +
                             std::to_string(kzo::kMaxReaderTimeoutSeconds);
         }},
    };
    kzo::cli::ParsedArguments parsed = kzo::cli::parseArguments(rules, args);
    switch (parsed.request) {
    case kzo::cli::Request::help:
        c.mode = ViewMode::help;
        return c;
    case kzo::cli::Request::version:
        c.mode = ViewMode::version;
        return c;
    case kzo::cli::Request::invalid:
        return invalid(parsed.error);
    case kzo::cli::Request::run:
        break;
    }
    if (info && snapshot) {
        return invalid("--info and --snapshot exclude each other");
    }
    if (sized && !snapshot) {
        return invalid("--size goes with --snapshot");
    }
    const bool textureOptions = !c.textures || !c.textureDirectories.empty();
    if (info && (c.shaded || c.autoShaded || c.play || c.lights || framed || paced || scaled ||
                 textureOptions)) {
        return invalid("--info shows no view: --shaded, --auto-shaded, --play, --frame, --fps, "
                       "--lights, --scale, --textures and --no-textures go with the window or "
                       "--snapshot");
    }
    if (!c.textures && !c.textureDirectories.empty()) {
        return invalid("--textures and --no-textures exclude each other");
    }
    if (scaled && !c.lights) {
        return invalid("--scale goes with --lights");
    }
    // A frame is a moment of the animation, so asking for one plays it.
    c.play = c.play || framed;
    if (paced && !c.play) {
        return invalid("--fps goes with --play");
    }
    if (parsed.operands.size() != 1) {
        return invalid(snapshot ? "--snapshot needs exactly one object file"
                       : info   ? "--info needs exactly one object file"
                                : "give exactly one object file");
    }
    c.mode = snapshot ? ViewMode::snapshot : info ? ViewMode::info : ViewMode::window;
    c.file = std::move(parsed.operands[0]);
    return c;
}

} // namespace

const char* const kUsageText =
    "Usage: kzoview FILE\n"
    "       kzoview [VIEW] FILE\n"
    "       kzoview --snapshot OUT.png [--size WxH] [VIEW] FILE\n"
    "       kzoview --info FILE\n"
    "Shows a .kzo, .lwo or .3ds file as a turning wireframe.\n"
    "\n"
    "  --snapshot OUT.png  write the first frame as a PNG, without a display\n"
    "  --size WxH          the snapshot's size, each side 1 to 16384 (default 377x294)\n"
    "  --info              print the summary line the window shows as its caption\n"
    "\n"
    "VIEW:\n"
    "  --shaded            filled triangles with a depth buffer: baked colours for\n"
    "                      precalculated files (types 3, 4), normals under a head light\n"
    "                      (types 1, 2, other formats), material colours (type 0);\n"
    "                      textured materials show their images under that light;\n"
    "                      back faces hidden, transparent materials blended\n"
    "  --auto-shaded       shaded for a precalculated file or one whose textures are\n"
    "                      found, else the wireframe (what the thumbnailer shows)\n"
    "  --play              play the scene with FILE.mot (and FILE.cam) beside a .kzo\n"
    "                      converted as an animated scene; seen through the .cam\n"
    "                      camera with a fixed 90-degree horizontal field of view,\n"
    "                      else turning\n"
    "  --frame N           show frame N (implies --play; default 0)\n"
    "  --fps N             frames per second of play, 1 to 1000 (default 30)\n"
    "  --lights            draw the lights of FILE.kzl as markers: point a cross,\n"
    "                      spot a cross with its cone, distant an arrow\n"
    "  --scale F           the scale factor the scene was converted with, for the\n"
    "                      .kzl's unscaled positions (default 1)\n"
    "  --textures DIR      look for the images of textured materials in DIR too, after\n"
    "                      the file's own folder; may be given more than once\n"
    "  --no-textures       draw textured materials without their images\n"
    "\n"
    "A model of another format (.obj, .gltf, ...) is read by a process of its own:\n"
    "  --search-path DIR   the files the model names (buffers, material libraries)\n"
    "                      may also lie below DIR; may be given more than once\n"
    "                      (default: only below the model's own folder)\n"
    "  --reader-memory MIB memory its reader may take, 32 MiB or more (default\n"
    "                      4096, or the machine's memory when less)\n"
    "  --reader-timeout S  seconds its reader may take, 1 to 86400 (default 60)\n"
    "\n"
    "  -h, --help          print this help and exit\n"
    "      --version       print the version and exit\n"
    "\n"
    "Keys in the window: S shaded or wireframe, P play or stop, Space pause,\n"
    "Left and Right one frame back or on.\n"
    "\n"
    "When no argument starts with '-', the whole command line is the file's name,\n"
    "spaces included, optionally in double quotes. Options take their value as\n"
    "--size=WxH or --size WxH; \"--\" ends the options, so a file whose name starts\n"
    "with '-' comes after it. The window needs a display.\n"
    "Exit status: 0 when the file was shown or written, 1 when it could not be\n"
    "loaded or the snapshot not written, 2 for a bad command line or no display.\n";

ViewCommand parseViewCommand(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (!arg.empty() && arg[0] == '-') {
            return withOptions(args);
        }
    }
    std::string text;
    for (const std::string& arg : args) {
        if (&arg != &args.front()) {
            text += ' ';
        }
        text += arg;
    }
    ViewCommand c;
    c.file = fileFromCommandLine(text);
    c.mode = c.file.empty() ? ViewMode::nothing : ViewMode::window;
    return c;
}

} // namespace kzoview
