// "Message window": the stay-on-top window that shows a run's messages, one
// line each. Closing it only hides it; its text stays until the next run.
#pragma once

#include <QWidget>

#include <string>

class QPlainTextEdit;

namespace kzo {

class MessageWindow : public QWidget {
public:
    MessageWindow();

    void appendLine(const std::string& line);
    void clear();
    // Shows the window centred on its screen when it was hidden; a visible
    // window stays where the user put it.
    void showCentred();
    // showCentred, then raises the window and gives it the focus.
    void showFocused();
    QString text() const;

    QPlainTextEdit* memo1 = nullptr;
};

} // namespace kzo
