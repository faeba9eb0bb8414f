#include "converter/app/run_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace kzo {

RunProgress::RunProgress(QWidget* parent) : QWidget(parent) {
    setObjectName("RunProgress");
    currentFile = new QLabel(this);
    currentFile->setObjectName("CurrentFile");
    // The path is shortened to the room there is: a long one must not widen
    // the window.
    currentFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    progress = new QProgressBar(this);
    progress->setObjectName("RunProgressBar");
    progress->setFormat("%v / %m files");
    progress->setFixedWidth(150);
    cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("CancelRun");
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        cancelling_ = true;
        cancelButton->setEnabled(false);
        showCurrentFile();
        if (onCancel) {
            onCancel();
        }
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(currentFile, 1);
    layout->addWidget(progress);
    layout->addWidget(cancelButton);

    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, &RunProgress::showCurrentFile);
    hide();
}

void RunProgress::start(int fileCount) {
    fileCount_ = fileCount;
    index_ = -1;
    path_.clear();
    cancelling_ = false;
    progress->setRange(0, fileCount);
    progress->setValue(0);
    cancelButton->setEnabled(true);
    showCurrentFile();
    show();
    tick_.start();
}

void RunProgress::fileStarted(int index, const QString& path) {
    index_ = index;
    path_ = path;
    fileClock_.start();
    currentFile->setToolTip(path);
    showCurrentFile();
}

void RunProgress::filesDone(int done) {
    progress->setValue(done);
}

void RunProgress::stop() {
    tick_.stop();
    hide();
}

void RunProgress::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showCurrentFile();
}

// "File 3 of 10, 12 s: /scenes/robot.lws", the path shortened in its middle
// so that the file name stays readable.
void RunProgress::showCurrentFile() {
    QString head = cancelling_ ? "Cancelling after file " : "File ";
    if (index_ < 0) {
        currentFile->setText(cancelling_ ? "Cancelling" : "Starting");
        return;
    }
    head += QString("%1 of %2, %3 s: ")
                .arg(index_ + 1)
                .arg(fileCount_)
                .arg(fileClock_.elapsed() / 1000);
    const int room =
        currentFile->contentsRect().width() - currentFile->fontMetrics().horizontalAdvance(head);
    currentFile->setText(
        head + currentFile->fontMetrics().elidedText(path_, Qt::ElideMiddle, std::max(room, 0)));
}

} // namespace kzo
