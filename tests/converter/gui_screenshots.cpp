// Saves a picture of each of the converter's three forms, filled as during
// use, so that captions and control places can be checked by eye:
//     xvfb-run -a build/tests/converter/kzomaker_gui_screenshots DIR
// Not a test: nothing is compared, and it writes DIR/form1.png, form2.png,
// form3.png and add_files.png (the file dialog of Add Files).
#include "converter/app/converter_gui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

bool save(QWidget& form, const QString& path) {
    form.show();
    QApplication::processEvents();
    if (!form.grab().save(path)) {
        std::fprintf(stderr, "cannot write '%s'\n", qPrintable(path));
        return false;
    }
    form.hide();
    return true;
}

// The dialog lists its directory on another thread; a moment is plenty for a
// handful of files.
bool saveFileDialog(const QString& path) {
    QTemporaryDir folder;
    for (const char* name : {"robot_walk.lws", "ROBOT_RUN.LWS", "ship.3ds", "readme.txt"}) {
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    }
    QFileDialog dialog;
    kzo::setUpInputFileDialog(dialog);
    dialog.setDirectory(folder.path());
    dialog.show();
    QEventLoop wait;
    QTimer::singleShot(500, &wait, &QEventLoop::quit);
    wait.exec();
    return save(dialog, path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kzo::kConverterTitle);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    kzo::ConverterGui gui;
    gui.form1.chooseInputFiles = [](QWidget*) {
        return QStringList{"/home/artist/scenes/robot_walk.lws", "/home/artist/scenes/SHIP.3DS",
                           "/home/artist/props/crate.3ds",
                           "/home/artist/props/a_rather_long_name_that_runs_past_the_right_edge_"
                           "of_the_window.3ds"};
    };
    gui.form1.addFiles();
    gui.form1.listBox1->item(1)->setSelected(true);
    gui.form1.radioButton[3]->setChecked(true);

    // A real run over files that do not exist fills the message window.
    gui.form1.convert();
    gui.form3.hide();

    const bool ok =
        save(gui.form1, out.filePath("form1.png")) && save(gui.form2, out.filePath("form2.png")) &&
        save(gui.form3, out.filePath("form3.png")) && saveFileDialog(out.filePath("add_files.png"));
    return ok ? 0 : 1;
}
