// "Message window": the stay-on-top window that shows a run's messages, one
// line each, "ERROR: " lines in the error colour. While a run goes on, a strip
// below the text shows its progress and offers Cancel, and the window stays
// open. Otherwise closing it only hides it; its text stays until the next run.
#pragma once

#include <QColor>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <string>

class QPlainTextEdit;

namespace kzo {

class RunProgress;

// The colour of "ERROR: " lines on a text area of this palette.
QColor errorColour(const QPalette& palette);

class MessageWindow : public QWidget {
public:
    MessageWindow();

    // Lines are queued and added to the text area together at the next pass
    // of the event loop (a run lets it pass between files): adding them one by
    // one costs ten times as much, each addition laying out and scrolling.
    void appendLine(const std::string& line);
    void flushLines();
    void clear();
    // Shows the window centred on its screen when it was hidden; a visible
    // window stays where the user put it.
    void showCentred();
    // showCentred, then raises the window and gives it the focus.
    void showFocused();
    // The whole text, queued lines included.
    QString text();

    QPlainTextEdit* memo1 = nullptr;
    // Hidden between runs, when the text fills the whole window.
    RunProgress* runProgress = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitFrameToOuterSize();
    void centreOnScreen();

    QStringList pending_;
    bool fittedToFrame_ = false;
};

} // namespace kzo
