// The entry table of the viewer's window module (kzoview-window.so), shared by
// the module and kzoview. The program loads the module, and with it Qt, only
// when a window is to open; it checks the version before it uses any other
// entry, so a module of another build is refused, not run.
#pragma once

#include "viewer/view_session.h"

namespace kzoview {

inline constexpr int kWindowModuleVersion = 2;
inline constexpr const char* kWindowModuleFile = "kzoview-window.so";
// Name of the exported WindowModuleApi object.
inline constexpr const char* kWindowModuleSymbol = "kzoviewWindowApi";

inline constexpr const char* kNoDisplay = "no display: use --snapshot or --info\n";

// No entry throws across the module's edge.
struct WindowModuleApi {
    int version;
    // Shows the session under caption, as the turning wireframe or the view
    // it asks for, until the window closes; returns the exit status. argc and argv are the
    // program's own (Qt keeps referring to them). A window system that does not answer ends the
    // program with kNoDisplay and exit status 2.
    int (*showSession)(int* argc, char** argv, ViewSession* session, const char* caption);
    // Shows "ERROR: " and error in a message box, on a platform where someone
    // can close it.
    void (*showLoadError)(int* argc, char** argv, const char* error);
};

} // namespace kzoview
