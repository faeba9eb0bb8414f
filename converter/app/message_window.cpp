#include "converter/app/message_window.h"

#include "converter/app/form_font.h"
#include "converter/app/run_progress.h"
#include "viewer/app/screen_fit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QVBoxLayout>

namespace kzo {
namespace {

const QSize kOuterSize(555, 238);

bool isErrorLine(const QString& line) {
    return line.startsWith(QLatin1String("ERROR: "));
}

// The colours only mark the lines on screen: a copy carries the text alone,
// so that pasting into a document or a mail brings no red along.
class PlainCopyMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override {
        auto* mime = new QMimeData;
        mime->setText(textCursor().selection().toPlainText());
        return mime;
    }
};

} // namespace

// Qt's palette has no role for errors: a red that reads on the text area's
// own background, darker on a light one and lighter on a dark one.
QColor errorColour(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(255, 110, 100)
                                                           : QColor(190, 0, 0);
}

MessageWindow::MessageWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("Form3");
    setWindowTitle("Message window");
    // The main form alone decides when the program ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    applyFormFont(*this);
    resize(kOuterSize);

    memo1 = new PlainCopyMemo(this);
    memo1->setObjectName("Memo1");
    memo1->setReadOnly(true);
    memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo1);
    runProgress = new RunProgress(this);
    layout->addWidget(runProgress);
}

// The run's progress and its Cancel must stay in reach until it ends.
void MessageWindow::closeEvent(QCloseEvent* event) {
    if (!runProgress->isHidden()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
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
    // The view follows new lines unless the user has scrolled up to read.
    QScrollBar& down = *memo1->verticalScrollBar();
    const bool following = down.value() == down.maximum();

    // Without a colour of its own a line takes the palette's text colour.
    const QTextCharFormat plain;
    QTextCharFormat error;
    error.setForeground(errorColour(memo1->palette()));
    QTextCursor end(memo1->document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    bool first = memo1->document()->isEmpty();
    for (const QString& line : pending_) {
        // Every line is a paragraph of its own and sets its own colour, so
        // that none is carried on from the line before.
        if (!first) {
            end.insertBlock(QTextBlockFormat(), plain);
        }
        first = false;
        end.insertText(line, isErrorLine(line) ? error : plain);
    }
    end.endEditBlock();
    pending_.clear();

    if (following) {
        down.setValue(down.maximum());
    }
    // Lines are read from their start.
    memo1->horizontalScrollBar()->setValue(0);
}

void MessageWindow::clear() {
    pending_.clear();
    memo1->clear();
}

void MessageWindow::showCentred() {
    if (!isVisible()) {
        // The frame's size is known only once the window is shown: centred
        // before, so that it appears in place, and again once framed.
        centreOnScreen();
        show();
        whenFramed(*this, [this] {
            fitFrameToOuterSize();
            centreOnScreen();
        });
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

// A window larger than the screen's area starts at its corner instead.
void MessageWindow::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
        keepInsideScreen(*this);
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
