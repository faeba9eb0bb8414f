// Saves a picture of each of the converter's three forms, filled as during
// use, so that captions and control places can be checked by eye:
//     xvfb-run -a build/tests/converter/kzomaker_gui_screenshots DIR
// Not a test: nothing is compared, and it writes DIR/form1.png, form2.png,
// form3.png, add_files.png (the file dialog of Add Files) and run.png (the
// whole screen during a run, held inside its second file).
#include "converter/app/converter_gui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <semaphore>
#include <string>

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

void wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool saveScreen(const QString& path) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(path)) {
        std::fprintf(stderr, "cannot write '%s'\n", qPrintable(path));
        return false;
    }
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
    wait(500);
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

    // A real run over files that do not exist fills the message window; it is
    // held inside its second file for a picture of the whole screen.
    std::binary_semaphore inside{0};
    std::binary_semaphore goOn{0};
    gui.form1.convertOne = [&](kzo::SceneModel& model, const std::string& input,
                               std::string& output, const kzo::ConversionSettings& settings) {
        if (input == "/home/artist/scenes/SHIP.3DS") {
            inside.release();
            goOn.acquire();
        }
        kzo::convertListedFile(model, input, output, settings);
    };
    gui.form1.show();
    gui.form1.convert();
    while (!inside.try_acquire()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    wait(500); // the window manager maps and frames the message window
    const bool runSaved = saveScreen(out.filePath("run.png"));
    goOn.release();
    while (gui.form1.isRunning()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    gui.form3.hide();
    gui.form1.hide();

    const bool ok = runSaved && save(gui.form1, out.filePath("form1.png")) &&
                    save(gui.form2, out.filePath("form2.png")) &&
                    save(gui.form3, out.filePath("form3.png")) &&
                    saveFileDialog(out.filePath("add_files.png"));
    return ok ? 0 : 1;
}
