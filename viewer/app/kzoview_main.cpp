// kzoview: loads one object file, then shows it as a turning wireframe, or
// writes its first frame as a PNG, or prints its caption. A failed load ends
// with the error and exit status 1, before any window opens; a window without
// a display ends with exit status 2.
#include "format/command_line_convention.h"
#include "viewer/app/snapshot_png.h"
#include "viewer/app/tform1.h"
#include "viewer/first_frame.h"
#include "viewer/loaders.h"
#include "viewer/view_command.h"
#include "viewer/viewer_error.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

using kzoview::ViewCommand;
using kzoview::ViewerDocument;

constexpr int kExitLoadFailed = 1;

// Loads cmd.file into doc; on failure returns the message to show after
// "ERROR: ", with doc empty and its memory released.
std::string load(const ViewCommand& cmd, ViewerDocument& doc,
                 kzoview::LoadScope scope = kzoview::LoadScope::wholeMesh) {
    try {
        kzoview::LoadObjectFile(cmd.file, doc, scope);
        return {};
    } catch (const kzoview::FatalError& e) {
        return e.what();
    } catch (const std::bad_alloc&) {
        return "memory allocation error!!";
    }
}

int runInfo(const ViewCommand& cmd) {
    ViewerDocument doc;
    if (const std::string error = load(cmd, doc, kzoview::LoadScope::summary); !error.empty()) {
        std::cerr << "ERROR: " << error << '\n';
        return kExitLoadFailed;
    }
    std::cout << doc.captionText << '\n';
    return 0;
}

int runSnapshot(const ViewCommand& cmd) {
    ViewerDocument doc;
    if (const std::string error = load(cmd, doc); !error.empty()) {
        std::cerr << "ERROR: " << error << '\n';
        return kExitLoadFailed;
    }
    const kzoview::RasterImage frame = kzoview::renderFirstFrame(doc.mesh, cmd.width, cmd.height);
    if (const std::string error = kzoview::writeSnapshotPng(frame, cmd.snapshotPath);
        !error.empty()) {
        std::cerr << "ERROR: " << error << '\n';
        return kExitLoadFailed;
    }
    return 0;
}

// A window system to show a message box on. Without one, creating the
// application would abort the program instead of reporting the error.
bool displayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// While it lives, Qt's failure to start any platform (a display that is named
// but does not answer) ends the program with exitStatus and, when given, the
// line, instead of aborting it.
class PlatformFailureExit {
public:
    PlatformFailureExit(int exitStatus, const char* line) {
        exitStatus_ = exitStatus;
        line_ = line;
        previous_ = qInstallMessageHandler(handle);
    }
    ~PlatformFailureExit() { qInstallMessageHandler(previous_); }
    PlatformFailureExit(const PlatformFailureExit&) = delete;
    PlatformFailureExit& operator=(const PlatformFailureExit&) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg) {
            if (line_ != nullptr) {
                std::cerr << line_;
            }
            std::_Exit(exitStatus_);
        }
        if (previous_ != nullptr) {
            previous_(type, context, text);
        }
    }
    static inline int exitStatus_ = 0;
    static inline const char* line_ = nullptr;
    static inline QtMessageHandler previous_ = nullptr;
};

constexpr const char* kNoDisplay = "no display: use --snapshot or --info\n";

void showLoadError(int& argc, char** argv, const std::string& error) {
    std::cerr << "ERROR: " << error << '\n';
    if (!displayAvailable()) {
        return;
    }
    std::optional<PlatformFailureExit> guard(std::in_place, kExitLoadFailed, nullptr);
    QApplication app(argc, argv);
    guard.reset();
    // Nobody could close a box on a platform that shows nothing.
    if (QGuiApplication::platformName() == "offscreen" ||
        QGuiApplication::platformName() == "minimal") {
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kzoview::kApplicationTitle),
                    QString::fromUtf8("ERROR: " + error), QMessageBox::Ok);
    box.exec();
}

int runWindow(int& argc, char** argv, const ViewCommand& cmd) {
    ViewerDocument doc;
    if (const std::string error = load(cmd, doc); !error.empty()) {
        showLoadError(argc, argv, error);
        return kExitLoadFailed;
    }
    if (!displayAvailable()) {
        std::cerr << kNoDisplay;
        return kzo::cli::kExitUsage;
    }
    std::optional<PlatformFailureExit> guard(std::in_place, kzo::cli::kExitUsage, kNoDisplay);
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName("kzoview");
    QGuiApplication::setDesktopFileName("kzoview");
    kzoview::TForm1 form(doc.mesh, QString::fromUtf8(doc.captionText));
    form.show();
    return QApplication::exec();
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
