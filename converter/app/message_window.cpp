#include "converter/app/message_window.h"

#include "converter/app/form_font.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kzo {
namespace {

const QSize kOuterSize(555, 238);

} // namespace

MessageWindow::MessageWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("Form3");
    setWindowTitle("Message window");
    // The main form alone decides when the program ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    applyFormFont(*this);
    resize(kOuterSize);

    memo1 = new QPlainTextEdit(this);
    memo1->setObjectName("Memo1");
    memo1->setReadOnly(true);
    memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo1);
}

void MessageWindow::appendLine(const std::string& line) {
    if (pending_.isEmpty()) {
        QTimer::singleShot(0, this, &MessageWindow::flushLines);
    }
    pending_.append(QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())));
}

void MessageWindow::flushLines() {
    if (pending_.isEmpty()) {
        return;
    }
    memo1->appendPlainText(pending_.join('\n'));
    pending_.clear();
    // Appending scrolls to the end of the last line; lines are read from their start.
    memo1->horizontalScrollBar()->setValue(0);
}

void MessageWindow::clear() {
    pending_.clear();
    memo1->clear();
}

void MessageWindow::showCentred() {
    if (!isVisible()) {
        // The frame's size is known only once the window is shown: centred
        // before, so that it appears in place, and again after.
        centreOnScreen();
        show();
        fitFrameToOuterSize();
        centreOnScreen();
    }
}

// The window was designed by its outer size. Done once: later the size is
// whatever the user made it. Where the frame is not known yet, the client
// area keeps the outer size.
void MessageWindow::fitFrameToOuterSize() {
    const QSize frame = frameGeometry().size() - size();
    if (!fittedToFrame_ && !frame.isNull()) {
        fittedToFrame_ = true;
        resize(kOuterSize - frame);
    }
}

void MessageWindow::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MessageWindow::showFocused() {
    showCentred();
    raise();
    activateWindow();
}

QString MessageWindow::text() {
    flushLines();
    return memo1->toPlainText();
}

} // namespace kzo
