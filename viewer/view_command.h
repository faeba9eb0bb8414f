// What the kzoview command line asks for. When no argument starts with '-',
// the whole command line is one file path, optionally in double quotes,
// spaces included. Otherwise the options follow the programs' one
// convention (format/command_line_convention.h), and a file whose name starts
// with '-' comes after "--". Two headless modes serve build pipelines and
// tests.
//
//   kzoview [VIEW] FILE                                 open the window
//   kzoview --snapshot OUT.png [--size WxH] [VIEW] FILE  write the first frame as PNG
//   kzoview --info FILE                                  print the caption
//
// VIEW: --shaded, --auto-shaded, --play, --frame N, --fps N, --lights, --scale F,
// --textures DIR, --no-textures.
// Every mode also takes --search-path DIR (repeatable), --reader-memory MIB
// and --reader-timeout S for a model of another format.
#pragma once

#include "viewer/model_reading.h"

#include <string>
#include <vector>

namespace kzoview {

// Client area of the form's 385 x 321 outer size, inside the platform's
// standard frame (4-pixel borders, 19-pixel caption): the size of a fresh
// window's first frame.
inline constexpr int kFormOuterWidth = 385;
inline constexpr int kFormOuterHeight = 321;
inline constexpr int kFormClientWidth = 377;
inline constexpr int kFormClientHeight = 294;
// Largest --size side a snapshot accepts.
inline constexpr int kMaxSnapshotSide = 16384;

inline constexpr int kDefaultFramesPerSecond = 30;
inline constexpr int kMaxFramesPerSecond = 1000;

inline constexpr const char* kApplicationTitle = "kzRHO Object Viewer v1.0";

enum class ViewMode {
    nothing,  // no file named: end at once, successfully
    window,   // show the turning wireframe
    snapshot, // write the first frame to snapshotPath
    info,     // print the caption
    help,     // print kUsageText
    version,  // print the application title
    invalid,  // a malformed option; error says why
};

extern const char* const kUsageText;

struct ViewCommand {
    ViewMode mode = ViewMode::nothing;
    std::string file;
    std::string snapshotPath;
    int width = kFormClientWidth;
    int height = kFormClientHeight;
    bool shaded = false;     // filled triangles instead of the wireframe
    bool autoShaded = false; // shaded for a precalculated file, else the wireframe
    bool play = false;       // the scene as its .mot (and .cam) move it
    int frame = 0;           // the frame play starts at
    int framesPerSecond = kDefaultFramesPerSecond;
    bool lights = false;                         // the .kzl's lights as markers
    float lightScale = 1.0f;                     // the factor the scene was converted with
    bool textures = true;                        // the shaded views draw textured materials' images
    std::vector<std::string> textureDirectories; // searched after the file's own
    ModelReading modelReading;
    std::string error;
};

// The file named by a command line text: a leading and a trailing double quote
// are dropped, nothing else is parsed.
std::string fileFromCommandLine(const std::string& text);

// args are the arguments after the program's name. When none starts with '-'
// they are joined with single spaces into the command line text the file name
// comes from, so an unquoted name with spaces still names one file.
ViewCommand parseViewCommand(const std::vector<std::string>& args);

} // namespace kzoview
