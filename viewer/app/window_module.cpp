// The entries of the viewer's window module (window_module_api.h): everything
// of kzoview that needs Qt. Nothing thrown inside leaves the module.
#include "format/command_line_convention.h"
#include "viewer/app/tform1.h"
#include "viewer/app/window_module_api.h"
#include "viewer/app/window_start.h"
#include "viewer/view_command.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <iostream>
#include <optional>
#include <string>

namespace kzoview {
namespace {

constexpr int kExitFailed = 1;

int showSession(int* argc, char** argv, ViewSession* session, const char* caption) {
    try {
        std::optional<kzo::PlatformFailureExit> guard(std::in_place, kzo::cli::kExitUsage,
                                                      kNoDisplay);
        QApplication app(*argc, argv);
        guard.reset();
        QApplication::setApplicationName("kzoview");
        QGuiApplication::setDesktopFileName("kzoview");
        TForm1 form(*session, QString::fromUtf8(caption));
        form.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::cerr << "ERROR: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "ERROR: unknown exception\n";
    }
    return kExitFailed;
}

void showLoadError(int* argc, char** argv, const char* error) {
    try {
        // The error is already on standard error: a platform that does not
        // start changes nothing of the outcome.
        std::optional<kzo::PlatformFailureExit> guard(std::in_place, kExitFailed, nullptr);
        QApplication app(*argc, argv);
        guard.reset();
        // Nobody could close a box on a platform that shows nothing.
        if (QGuiApplication::platformName() == "offscreen" ||
            QGuiApplication::platformName() == "minimal") {
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle),
                        QString::fromUtf8(std::string("ERROR: ") + error), QMessageBox::Ok);
        box.exec();
    } catch (...) {
        // The box is a courtesy; the program's exit status already says it.
    }
}

} // namespace
} // namespace kzoview

extern "C" {
__attribute__((visibility("default"))) extern const kzoview::WindowModuleApi kzoviewWindowApi;
const kzoview::WindowModuleApi kzoviewWindowApi = {kzoview::kWindowModuleVersion,
                                                   &kzoview::showSession, &kzoview::showLoadError};
}
