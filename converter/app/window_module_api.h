// The entry table of the converter's window module (kzomaker-window.so),
// shared by the module and kzomaker. The program loads the module, and with it
// Qt, only when the window is to open; it checks the version before it uses
// any other entry, so a module of another build is refused, not run.
#pragma once

namespace kzo {

inline constexpr int kConverterWindowVersion = 2;
inline constexpr const char* kConverterWindowFile = "kzomaker-window.so";
// Name of the exported ConverterWindowApi object.
inline constexpr const char* kConverterWindowSymbol = "kzomakerWindowApi";

inline constexpr const char* kConverterNoDisplay =
    "no display: give files to convert, or see --help\n";

struct ConverterWindowApi {
    int version;
    // Runs the window until the main form closes; returns the exit status.
    // argc and argv are for Qt (it keeps referring to them); the main form
    // starts with the fileCount paths of files listed. A window system that
    // does not answer ends the program with kConverterNoDisplay and exit
    // status 2. Throws nothing.
    int (*run)(int* argc, char** argv, const char* const* files, int fileCount);
};

} // namespace kzo
