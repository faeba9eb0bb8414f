// "Select Export Directory": a modal dialog in which the user browses to the
// directory that receives the converted files. It lives as long as the
// program, so the directory list stays where the user left it, also after
// Cancel. The chosen directory is always the list's, never the edit field's.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kzo {

class ExportDirectoryDialog : public QDialog {
public:
    ExportDirectoryDialog();

    // The directory list's directory: absolute, without a trailing separator
    // except for a root.
    QString directory() const { return directory_; }
    // Moves the directory list; Edit1 follows. A path that is not an existing
    // directory is ignored and false returned.
    bool setDirectory(const QString& path);

    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QLineEdit* edit1 = nullptr;
    QTreeWidget* directoryListBox1 = nullptr;
    QComboBox* driveComboBox1 = nullptr;
    QPushButton* bitBtn1 = nullptr;
    QPushButton* bitBtn2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillDirectoryList();
    void fillDriveList();
    void selectDriveOf(const QString& path);
    QString typedDirectory() const;
    QString currentEntryDirectory() const;

    QString directory_;
};

} // namespace kzo
