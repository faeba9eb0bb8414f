// The strip below the message window's text while a Convert run goes on: the
// file being converted, with the seconds it has taken so far (a scene with
// many lights converts for a while without a line), how many of the listed
// files are done, and Cancel, which ends the run after the current file.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kzo {

class RunProgress : public QWidget {
public:
    explicit RunProgress(QWidget* parent);

    void start(int fileCount);
    void fileStarted(int index, const QString& path);
    void filesDone(int done);
    void stop();

    // Called on the GUI thread when Cancel is clicked; the button then stays
    // disabled until the next run.
    std::function<void()> onCancel;

    QLabel* currentFile = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showCurrentFile();

    int fileCount_ = 0;
    int index_ = -1;
    QString path_;
    bool cancelling_ = false;
    QElapsedTimer fileClock_;
    QTimer tick_;
};

} // namespace kzo
