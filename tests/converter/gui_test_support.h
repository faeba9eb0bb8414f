// Helpers for the converter's window tests (offscreen platform).
#pragma once

#include "converter/app/main_form.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <ostream>
#include <semaphore>
#include <vector>

// GoogleTest prints a QString as its text rather than as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kzo::test {

// One application object for the whole test program.
inline void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "kzomaker_gui_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
        QApplication::setApplicationName("KZO file maker v1.0");
    }
}

// Waits (from inside the modal loop that is about to start) for the next
// modal window, hands it to act, which must close it.
inline void whenModalAppears(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// Closes the next message box with OK and records its text.
inline void closeNextMessageBox(QString& text) {
    whenModalAppears([&text](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text();
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QMessageBox::Ok);
        } else {
            modal->close();
        }
    });
}

// Lets the event loop run until done() holds or a generous deadline passes
// (work that Qt does on its own threads, such as listing a directory).
inline bool waitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Clicks Convert and lets the event loop run until the run has ended.
inline bool convertAndWait(MainForm& form) {
    form.bitBtn6->click();
    return waitUntil([&form] { return !form.isRunning(); });
}

// Holds a run's thread inside a file until the test, on the GUI thread, has
// looked at the windows and lets it go on.
class RunGate {
public:
    // On the run's thread. The wait ends by itself only so that a failed test
    // ends instead of hanging.
    void holdHere() {
        inside_.release();
        (void)proceed_.try_acquire_for(std::chrono::seconds(60));
    }
    // On the GUI thread: runs the event loop until the run is held and what
    // it posted before has arrived.
    bool waitUntilHeld() {
        if (!waitUntil([this] { return inside_.try_acquire(); })) {
            return false;
        }
        QCoreApplication::processEvents();
        return true;
    }
    void letGo() { proceed_.release(); }

private:
    std::binary_semaphore inside_{0};
    std::binary_semaphore proceed_{0};
};

// Where Tab goes from widget: the next of the given stops in the focus chain
// (the chain also holds inner parts such as a list's scroll bars).
inline const QWidget* nextTabStop(const QWidget* widget, const std::vector<const QWidget*>& stops) {
    for (QWidget* next = widget->nextInFocusChain(); next != widget;
         next = next->nextInFocusChain()) {
        if (std::find(stops.begin(), stops.end(), next) != stops.end()) {
            return next;
        }
    }
    return nullptr;
}

} // namespace kzo::test
