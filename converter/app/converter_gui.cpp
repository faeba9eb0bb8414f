#include "converter/app/converter_gui.h"

#include "converter/app/command_line.h"
#include "converter/app/window_module_api.h"
#include "viewer/app/window_start.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <optional>

namespace kzo {

ConverterGui::ConverterGui() : form1(model) {
    form1.attachForms(form2, form3);
}

int runConverterGui(int argc, char** argv, const std::vector<std::string>& files) {
    std::optional<PlatformFailureExit> guard(std::in_place, kExitUsage, kConverterNoDisplay);
    QApplication application(argc, argv);
    guard.reset();
    QApplication::setApplicationName(kConverterTitle);
    try {
        ConverterGui gui;
        gui.form1.addPaths(files);
        gui.form1.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, kConverterTitle, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, kConverterTitle, "unknown exception");
    }
    return 1;
}

} // namespace kzo
