// "KZO file Maker v1.0": the converter's main form. It collects the input
// files, the export directory and the options, and converts the whole list
// when "Convert !!" is clicked: on a thread of its own, file after file, while
// the form waits with its controls disabled and the message window shows the
// lines as they come, the progress, and Cancel.
#pragma once

#include "converter/app/convert_list.h"
#include "converter/model/conversion_settings.h"

#include <QStringList>
#include <QWidget>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kzo {

class ExportDirectoryDialog;
class MessageWindow;

class MainForm : public QWidget {
public:
    explicit MainForm(SceneModel& model);
    // A run still going on is cancelled and waited for.
    ~MainForm() override;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // The other two forms are created after this one; the run needs both.
    // Also points the model's message sink at the message window.
    void attachForms(ExportDirectoryDialog& exportDialog, MessageWindow& messageWindow);

    // Seams: the file dialog of Add Files (returns the chosen paths, empty when
    // cancelled) and the per-file conversion of a run, which is called on the
    // run's thread.
    std::function<QStringList(QWidget* parent)> chooseInputFiles;
    FileConverter convertOne;

    void addFiles(); // "Add Files"
    // Appends the paths the list does not hold yet, in their order.
    void addPaths(const std::vector<std::string>& paths);
    void removeSelectedFiles();   // "Remove"
    void removeAllFiles();        // "Remove All"
    void chooseExportDirectory(); // "..."
    void convert();               // "Convert !!": starts the run and returns
    void cancelRun();             // Cancel: the run ends after the current file
    void showMessageWindow();     // "Message"

    std::vector<std::string> files() const;
    std::string exportDirectory() const;
    // The options as the controls show them; the scale factor as parsed,
    // before the range check.
    ConversionSettings settingsFromControls() const;
    bool isRunning() const { return running_; }

    QPushButton* bitBtn1 = nullptr;
    QGroupBox* groupBox1 = nullptr;
    QListWidget* listBox1 = nullptr;
    QPushButton* bitBtn3 = nullptr;
    QPushButton* bitBtn4 = nullptr;
    QPushButton* bitBtn5 = nullptr;
    QGroupBox* groupBox2 = nullptr;
    QLabel* label1 = nullptr;
    QLineEdit* edit1 = nullptr;
    QPushButton* button1 = nullptr;
    QGroupBox* groupBox3 = nullptr;
    QRadioButton* radioButton[5] = {};
    QButtonGroup* shadingGroup = nullptr;
    QCheckBox* checkBox1 = nullptr;
    QCheckBox* checkBox2 = nullptr;
    QCheckBox* checkBox3 = nullptr;
    QCheckBox* checkBox4 = nullptr; // unit-independent shadows
    // Fit to capacity: models read through assimp are simplified until they fit.
    QCheckBox* checkBox5 = nullptr;
    // Ambient occlusion and one bounce in the precalculated colours.
    QCheckBox* checkBox6 = nullptr;
    QCheckBox* checkBox7 = nullptr;
    QLineEdit* edit2 = nullptr;
    QPushButton* bitBtn6 = nullptr;
    QPushButton* bitBtn2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFileGroup();
    void buildOptionsGroup();
    void buildButtons();
    void setFiles(const std::vector<std::string>& files);
    // An entry of the file list, with the whole path as its tooltip.
    void addListItem(const QString& path);
    void startRun(std::vector<std::string> list, std::string exportDirectory,
                  const ConversionSettings& settings);
    void finishRun(const QString& failure);
    void stopRun();

    SceneModel& model_;
    ExportDirectoryDialog* exportDialog_ = nullptr;
    MessageWindow* messageWindow_ = nullptr;
    bool running_ = false;
    std::thread worker_;
    std::atomic<bool> cancelRequested_{false};
};

// The file-open dialog of Add Files: several files, the two filters with
// their captions exactly as written and one for models of other formats, the
// scene filter preselected, extensions matched in any letter case.
void setUpInputFileDialog(QFileDialog& dialog);
// Runs that dialog; the chosen paths, or none when cancelled.
QStringList runInputFileDialog(QWidget* parent);

// The toolkit's modal message box with one OK button.
void showMessageBox(QWidget* parent, const QString& text);

} // namespace kzo
