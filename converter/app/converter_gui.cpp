#include "converter/app/converter_gui.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace kzo {

ConverterGui::ConverterGui() : form1(model) {
    form1.attachForms(form2, form3);
}

int runConverterGui(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kConverterTitle);
    try {
        ConverterGui gui;
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
