// While one lives, the application takes no user input: mouse, keyboard and
// close requests are dropped, everything else (painting above all) is handled.
// A run calls QCoreApplication::processEvents to repaint between files; this
// keeps those calls from starting anything else in the middle of the run.
#pragma once

#include <QObject>

namespace kzo {

class InputBlocker : public QObject {
public:
    InputBlocker();
    // Drops the input that arrived meanwhile before letting input through again.
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kzo
