// kzoview: loads one object file, then shows it as a turning wireframe (or
// shaded, or playing its animation), or writes its first frame as a PNG, or
// prints its caption. A failed load ends
// with the error and exit status 1, before any window opens; a window without
// a display ends with exit status 2. Only the window needs Qt: it lives in a
// module loaded when a window is to open, so that --info and --snapshot load
// no Qt and need no display.
#include "format/command_line_convention.h"
#include "format/display_check.h"
#include "format/module_loader.h"
#include "viewer/app/snapshot_png.h"
#include "viewer/app/window_module_api.h"
#include "viewer/loaders.h"
#include "viewer/view_command.h"
#include "viewer/view_session.h"
#include "viewer/viewer_error.h"

#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

using kzoview::ViewCommand;
using kzoview::ViewerDocument;

constexpr int kExitLoadFailed = 1;

// A texture that cannot be shown leaves its material untextured and says so.
void warnOfTexture(const std::string& line) {
    std::cerr << "WARNING: " << line << '\n';
}

// Loads cmd.file into doc; on failure returns the message to show after
// "ERROR: ", with doc empty and its memory released.
std::string load(const ViewCommand& cmd, ViewerDocument& doc,
                 kzoview::LoadScope scope = kzoview::LoadScope::wholeMesh) {
    try {
        kzoview::LoadObjectFile(cmd.file, doc, scope, cmd.modelReading);
        return {};
    } catch (const kzoview::FatalError& e) {
        return e.what();
    } catch (const std::bad_alloc&) {
        return "memory allocation error!!";
    }
}

// The line of a failed load or view on standard error. Some of the messages
// that the window's box shows word for word do not name the file; this line
// always does.
void printError(const ViewCommand& cmd, const std::string& error) {
    if (error.find(cmd.file) == std::string::npos) {
        std::cerr << "ERROR: '" << cmd.file << "': " << error << '\n';
    } else {
        std::cerr << "ERROR: " << error << '\n';
    }
}

int runInfo(const ViewCommand& cmd) {
    ViewerDocument doc;
    if (const std::string error = load(cmd, doc, kzoview::LoadScope::summary); !error.empty()) {
        printError(cmd, error);
        return kExitLoadFailed;
    }
    std::cout << doc.captionText << '\n';
    return 0;
}

int runSnapshot(const ViewCommand& cmd) {
    ViewerDocument doc;
    // A shaded or played frame draws no wireframe: its edges would only cost.
    const kzoview::LoadScope scope =
        cmd.shaded || cmd.play ? kzoview::LoadScope::withoutEdges : kzoview::LoadScope::wholeMesh;
    if (const std::string error = load(cmd, doc, scope); !error.empty()) {
        printError(cmd, error);
        return kExitLoadFailed;
    }
    kzoview::ViewSession session;
    session.warn = warnOfTexture;
    if (const std::string error = kzoview::openSession(session, doc.mesh, cmd, &doc.surfaces);
        !error.empty()) {
        printError(cmd, error);
        return kExitLoadFailed;
    }
    const kzoview::RasterImage frame = kzoview::renderSnapshot(session, cmd.width, cmd.height);
    if (const std::string error = kzoview::writeSnapshotPng(frame, cmd.snapshotPath);
        !error.empty()) {
        std::cerr << "ERROR: " << error << '\n';
        return kExitLoadFailed;
    }
    return 0;
}

// The window module, loaded (with Qt) only now; nullptr after the reason is
// on standard error.
const kzoview::WindowModuleApi* windowModule() {
    try {
        return &kzo::moduleEntries<kzoview::WindowModuleApi>(kzoview::kWindowModuleFile,
                                                             kzoview::kWindowModuleSymbol,
                                                             kzoview::kWindowModuleVersion);
    } catch (const kzo::ModuleError& e) {
        std::cerr << "ERROR: cannot open the window: " << e.what() << '\n';
        return nullptr;
    }
}

int runWindow(int& argc, char** argv, const ViewCommand& cmd) {
    ViewerDocument doc;
    kzoview::ViewSession session;
    session.warn = warnOfTexture;
    std::string error = load(cmd, doc);
    if (error.empty()) {
        error = kzoview::openSession(session, doc.mesh, cmd, &doc.surfaces);
    }
    if (!error.empty()) {
        printError(cmd, error);
        if (kzo::displayNamed()) {
            if (const kzoview::WindowModuleApi* window = windowModule()) {
                window->showLoadError(&argc, argv, error.c_str());
            }
        }
        return kExitLoadFailed;
    }
    if (!kzo::displayNamed()) {
        std::cerr << kzoview::kNoDisplay;
        return kzo::cli::kExitUsage;
    }
    const kzoview::WindowModuleApi* window = windowModule();
    if (window == nullptr) {
        return kzo::cli::kExitUsage;
    }
    return window->showSession(&argc, argv, &session, doc.captionText.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const ViewCommand cmd =
        kzoview::parseViewCommand(std::vector<std::string>(argv + 1, argv + argc));
    switch (cmd.mode) {
    case kzoview::ViewMode::nothing:
        return 0;
    case kzoview::ViewMode::help:
        std::cout << kzoview::kUsageText;
        return 0;
    case kzoview::ViewMode::version:
        std::cout << kzoview::kApplicationTitle << '\n';
        return 0;
    case kzoview::ViewMode::invalid:
        std::cerr << kzo::cli::usageErrorText("kzoview", cmd.error);
        return kzo::cli::kExitUsage;
    case kzoview::ViewMode::info:
        return runInfo(cmd);
    case kzoview::ViewMode::snapshot:
        return runSnapshot(cmd);
    case kzoview::ViewMode::window:
        return runWindow(argc, argv, cmd);
    }
    return kzo::cli::kExitUsage;
}
