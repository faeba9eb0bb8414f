#include "converter/app/main_form.h"

#include "converter/app/export_directory_dialog.h"
#include "converter/app/file_list.h"
#include "converter/app/fixed_row_height.h"
#include "converter/app/form_font.h"
#include "converter/app/message_window.h"
#include "converter/app/run_progress.h"
#include "converter/app/scale_factor.h"
#include "viewer/app/screen_fit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>
#include <exception>
#include <thread>

namespace kzo {
namespace {

std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QIcon stockIcon(const QStyle& style, QStyle::StandardPixmap wanted,
                QStyle::StandardPixmap fallback) {
    const QIcon icon = style.standardIcon(wanted);
    return icon.isNull() ? style.standardIcon(fallback) : icon;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

// Runs work on the form's (GUI) thread, after what was posted before it: a
// run's lines, its progress and its end arrive in the order they happened.
template <typename Work>
void postToForm(QWidget* form, Work work) {
    QMetaObject::invokeMethod(form, std::move(work), Qt::QueuedConnection);
}

} // namespace

// A fixed-size dialog-style window: a title and a close box, nothing to
// minimise or maximise.
MainForm::MainForm(SceneModel& model)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(model) {
    setObjectName("Form1");
    setWindowTitle("KZO file Maker v1.0");
    applyFormFont(*this);
    setFixedSize(554, 487);
    move(361, 117);

    chooseInputFiles = runInputFileDialog;
    convertOne = convertListedFile;
    buildButtons();
    buildFileGroup();
    buildOptionsGroup();

    bitBtn6->raise();
    bitBtn2->raise();
    setTabOrder(bitBtn1, listBox1);
    setTabOrder(listBox1, bitBtn3);
    setTabOrder(bitBtn3, bitBtn4);
    setTabOrder(bitBtn4, bitBtn5);
    setTabOrder(bitBtn5, button1);
    setTabOrder(button1, radioButton[0]);
    for (int i = 0; i + 1 < 5; ++i) {
        setTabOrder(radioButton[i], radioButton[i + 1]);
    }
    setTabOrder(radioButton[4], checkBox1);
    setTabOrder(checkBox1, checkBox2);
    setTabOrder(checkBox2, checkBox3);
    setTabOrder(checkBox3, edit2);
    setTabOrder(edit2, bitBtn6);
    setTabOrder(bitBtn6, checkBox4);
    setTabOrder(checkBox4, checkBox5);
    setTabOrder(checkBox5, checkBox6);
    setTabOrder(checkBox6, checkBox7);
    setTabOrder(checkBox7, bitBtn2);
}

void MainForm::buildButtons() {
    const QStyle& look = *style();
    bitBtn1 = makeButton(this, "BitBtn1", "Exit", {432, 16, 113, 26});
    bitBtn1->setIcon(look.standardIcon(QStyle::SP_DialogCloseButton));
    connect(bitBtn1, &QPushButton::clicked, this, &QWidget::close);

    bitBtn6 = makeButton(this, "BitBtn6", "Convert !!", {432, 272, 113, 33});
    bitBtn6->setIcon(stockIcon(look, QStyle::SP_DialogRetryButton, QStyle::SP_BrowserReload));
    connect(bitBtn6, &QPushButton::clicked, this, &MainForm::convert);

    bitBtn2 = makeButton(this, "BitBtn2", "Message", {432, 56, 113, 26});

    // Beside Convert, the only free room that leaves the designed controls in
    // place; the caption takes three lines there.
    checkBox4 = new QCheckBox("Unit-\nindependent\nshadows", this);
    checkBox4->setObjectName("CheckBox4");
    checkBox4->setGeometry(432, 316, 118, 52);
    bitBtn2->setIcon(
        stockIcon(look, QStyle::SP_DialogIgnoreButton, QStyle::SP_MessageBoxInformation));
    connect(bitBtn2, &QPushButton::clicked, this, &MainForm::showMessageWindow);
}

void MainForm::buildFileGroup() {
    groupBox1 = new QGroupBox("File Selected for Conversion", this);
    groupBox1->setObjectName("GroupBox1");
    groupBox1->setGeometry(8, 8, 417, 273);

    listBox1 = new QListWidget(groupBox1);
    listBox1->setObjectName("ListBox1");
    listBox1->setGeometry(24, 32, 369, 193);
    listBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listBox1->setSortingEnabled(false);
    // Every row's own width counts, so that the horizontal scroll bar reaches
    // the end of the longest path; uniform sizes would take the first row's
    // width for all. The rows keep one height through the delegate.
    listBox1->setUniformItemSizes(false);
    listBox1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    listBox1->setItemDelegate(new FixedRowHeight(listBox1));

    bitBtn3 = makeButton(groupBox1, "BitBtn3", "Add Files", {24, 232, 113, 27});
    connect(bitBtn3, &QPushButton::clicked, this, &MainForm::addFiles);
    bitBtn4 = makeButton(groupBox1, "BitBtn4", "Remove", {152, 232, 113, 27});
    connect(bitBtn4, &QPushButton::clicked, this, &MainForm::removeSelectedFiles);
    bitBtn5 = makeButton(groupBox1, "BitBtn5", "Remove All", {280, 232, 113, 27});
    connect(bitBtn5, &QPushButton::clicked, this, &MainForm::removeAllFiles);
}

void MainForm::buildOptionsGroup() {
    groupBox2 = new QGroupBox("Select Export Directory and Options", this);
    groupBox2->setObjectName("GroupBox2");
    groupBox2->setGeometry(8, 288, 417, 185);

    label1 = new QLabel("Scale factor", groupBox2);
    label1->setObjectName("Label1");
    label1->setGeometry(256, 130, std::max(76, label1->sizeHint().width()), 16);

    // Shows the export directory; only the "..." dialog changes it.
    edit1 = new QLineEdit(QDir::toNativeSeparators(QDir::currentPath()), groupBox2);
    edit1->setObjectName("Edit1");
    edit1->setGeometry(8, 32, 369, 24);
    edit1->setEnabled(false);

    button1 = makeButton(groupBox2, "Button1", "...", {384, 32, 27, 25});
    connect(button1, &QPushButton::clicked, this, &MainForm::chooseExportDirectory);

    groupBox3 = new QGroupBox("Shading Type", groupBox2);
    groupBox3->setObjectName("GroupBox3");
    groupBox3->setGeometry(8, 64, 241, 113);
    shadingGroup = new QButtonGroup(this);
    const char* const captions[5] = {"No shading", "Real time goroud shading",
                                     "Real time flat shading", "precalculated goroud shading",
                                     "precalculated flat shading"};
    for (int i = 0; i < 5; ++i) {
        radioButton[i] = new QRadioButton(captions[i], groupBox3);
        radioButton[i]->setObjectName(QString("RadioButton%1").arg(i + 1));
        radioButton[i]->setGeometry(16, 24 + 16 * i, 217, 17);
        shadingGroup->addButton(radioButton[i], i);
    }
    radioButton[0]->setChecked(true);
    // Real-time flat shading is not offered.
    radioButton[2]->setEnabled(false);

    checkBox1 = new QCheckBox("Animation (.mot)", groupBox2);
    checkBox1->setObjectName("CheckBox1");
    checkBox1->setGeometry(256, 72, 153, 17);
    checkBox2 = new QCheckBox("Camera (.cam)", groupBox2);
    checkBox2->setObjectName("CheckBox2");
    checkBox2->setGeometry(256, 89, 153, 17);
    checkBox3 = new QCheckBox("Light (.kzl)", groupBox2);
    checkBox3->setObjectName("CheckBox3");
    checkBox3->setGeometry(256, 106, 153, 17);
    // Beside the options group, on the row of the last side-file box.
    checkBox5 = new QCheckBox("Fit to capacity", this);
    checkBox5->setObjectName("CheckBox5");
    checkBox5->setGeometry(432, 394, 113, 17);
    // Below it, in the room the right column has left; the first caption
    // takes two lines there.
    checkBox6 = new QCheckBox("Ambient\nocclusion", this);
    checkBox6->setObjectName("CheckBox6");
    checkBox6->setGeometry(432, 414, 118, 34);
    checkBox7 = new QCheckBox("One bounce", this);
    checkBox7->setObjectName("CheckBox7");
    checkBox7->setGeometry(432, 450, 118, 17);

    edit2 = new QLineEdit("1.0", groupBox2);
    edit2->setObjectName("Edit2");
    edit2->setGeometry(256, 152, 153, 24);
}

void MainForm::attachForms(ExportDirectoryDialog& exportDialog, MessageWindow& messageWindow) {
    exportDialog_ = &exportDialog;
    messageWindow_ = &messageWindow;
    model_.sink = [this](const std::string& line) {
        postToForm(this, [this, line] { messageWindow_->appendLine(line); });
    };
    messageWindow_->runProgress->onCancel = [this] { cancelRun(); };
}

MainForm::~MainForm() {
    stopRun();
}

std::vector<std::string> MainForm::files() const {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(listBox1->count()));
    for (int i = 0; i < listBox1->count(); ++i) {
        paths.push_back(pathBytes(listBox1->item(i)->text()));
    }
    return paths;
}

void MainForm::setFiles(const std::vector<std::string>& files) {
    listBox1->clear();
    for (const std::string& path : files) {
        addListItem(pathText(path));
    }
}

void MainForm::addListItem(const QString& path) {
    auto* item = new QListWidgetItem(path, listBox1);
    item->setToolTip(path);
}

std::string MainForm::exportDirectory() const {
    return pathBytes(QDir::fromNativeSeparators(edit1->text()));
}

void MainForm::addFiles() {
    const QStringList chosen = chooseInputFiles(this);
    std::vector<std::string> paths;
    for (const QString& path : chosen) {
        paths.push_back(pathBytes(path));
    }
    addPaths(paths);
}

void MainForm::addPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> list = files();
    for (const std::string& added : appendNewPaths(list, paths)) {
        addListItem(pathText(added));
    }
}

void MainForm::removeSelectedFiles() {
    std::vector<std::string> list = files();
    std::vector<bool> selected(list.size());
    for (int i = 0; i < listBox1->count(); ++i) {
        selected[static_cast<std::size_t>(i)] = listBox1->item(i)->isSelected();
    }
    removeSelected(list, selected);
    setFiles(list);
}

void MainForm::removeAllFiles() {
    listBox1->clear();
}

void MainForm::chooseExportDirectory() {
    if (exportDialog_ && exportDialog_->exec() == QDialog::Accepted) {
        edit1->setText(QDir::toNativeSeparators(exportDialog_->directory()));
    }
}

void MainForm::showMessageWindow() {
    if (messageWindow_) {
        messageWindow_->showFocused();
    }
}

ConversionSettings MainForm::settingsFromControls() const {
    ConversionSettings settings;
    settings.animation = checkBox1->isChecked() ? 1 : 0;
    settings.cameraFile = checkBox2->isChecked() ? 1 : 0;
    settings.lightFile = checkBox3->isChecked() ? 1 : 0;
    settings.fitToCapacity = checkBox5->isChecked() ? 1 : 0;
    settings.indirectLight.occlusion = checkBox6->isChecked() ? 1 : 0;
    settings.indirectLight.bounce = checkBox7->isChecked() ? 1 : 0;
    settings.shadows.test = checkBox4->isChecked() ? ShadowTest::relative : ShadowTest::classic;
    // One file at a time: every core marks its lights.
    settings.shadows.threads = shadowThreadsPerWorker(std::thread::hardware_concurrency(), 1);
    const int checked = shadingGroup->checkedId();
    settings.shadingType = checked < 0 ? 0 : checked;
    settings.scaleFactor = parseScaleFactor(edit2->text().toStdString());
    return settings;
}

void MainForm::convert() {
    if (running_ || !messageWindow_) {
        return;
    }
    const ConversionSettings settings = settingsFromControls();
    if (!isScaleFactorInRange(settings.scaleFactor)) {
        showMessageBox(this, "scalefactor is out of range(100000,-100000)");
        return;
    }
    messageWindow_->clear();
    messageWindow_->showCentred();
    std::vector<std::string> list = files();
    if (!list.empty()) {
        startRun(std::move(list), exportDirectory(), settings);
    }
}

// Everything the run needs is copied for its thread; the model is the run's
// alone until it ends, and its lines reach the window through the sink.
void MainForm::startRun(std::vector<std::string> list, std::string exportDirectory,
                        const ConversionSettings& settings) {
    running_ = true;
    cancelRequested_ = false;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const int count = static_cast<int>(list.size());
    messageWindow_->runProgress->start(count);

    worker_ = std::thread([this, list = std::move(list), directory = std::move(exportDirectory),
                           settings, convert = convertOne] {
        ListRunHooks hooks;
        hooks.beforeFile = [this](std::size_t index, const std::string& input) {
            postToForm(this, [this, index, path = pathText(input)] {
                messageWindow_->runProgress->fileStarted(static_cast<int>(index), path);
            });
        };
        hooks.afterFile = [this](std::size_t index) {
            postToForm(this, [this, index] {
                messageWindow_->runProgress->filesDone(static_cast<int>(index) + 1);
            });
        };
        hooks.cancelled = [this] { return cancelRequested_.load(); };
        QString failure;
        try {
            convertFileList(model_, list, directory, settings, convert, hooks);
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
            if (failure.isEmpty()) {
                failure = "unknown exception";
            }
        } catch (...) {
            failure = "unknown exception";
        }
        postToForm(this, [this, failure] { finishRun(failure); });
    });
}

void MainForm::cancelRun() {
    if (running_) {
        cancelRequested_ = true;
    }
}

void MainForm::finishRun(const QString& failure) {
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = false;
    messageWindow_->flushLines();
    messageWindow_->runProgress->stop();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    // An exception other than the fatal-error signal ends the run, never the
    // program: it is shown and the form goes on.
    if (!failure.isEmpty()) {
        QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), failure,
                        QMessageBox::Ok, this);
        box.exec();
    }
}

// The form is going away with a run under way: its end is never shown.
void MainForm::stopRun() {
    if (worker_.joinable()) {
        cancelRequested_ = true;
        worker_.join();
    }
    if (running_) {
        running_ = false;
        QApplication::restoreOverrideCursor();
    }
}

// The designed position where the form fits on the screen, inside it where not.
void MainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        keepInsideScreenOnceFramed(*this);
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    if (exportDialog_) {
        exportDialog_->close();
    }
    if (messageWindow_) {
        messageWindow_->close();
    }
    event->accept();
}

void setUpInputFileDialog(QFileDialog& dialog) {
    // The patterns match the extensions in any letter case; the captions are
    // shown without them.
    const QString sceneCaption = "light wave scene file( .lws )";
    const QString studioCaption = "3D studio  file";
    const QString scenes = sceneCaption + " (*.[lL][wW][sS])";
    const QString studio = studioCaption + " (*.[3][dD][sS])";
    QString models = "other model file (";
    for (const char* extension :
         {"lwo", "obj", "gltf", "glb", "fbx", "dae", "ply", "stl", "blend"}) {
        models += models.endsWith('(') ? "*." : " *.";
        for (const char* c = extension; *c != '\0'; ++c) {
            models += QString("[%1%2]").arg(QChar(*c).toLower()).arg(QChar(*c).toUpper());
        }
    }
    models += ")";
    // A native dialog would cut the first caption at its parenthesis.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters({scenes, studio, models});
    dialog.selectNameFilter(scenes);
    // Qt collapses the double blank of the second caption; the filters are
    // chosen by their place in the list, so the shown texts can be restored.
    if (auto* types = dialog.findChild<QComboBox*>("fileTypeCombo"); types && types->count() == 3) {
        types->setItemText(0, sceneCaption);
        types->setItemText(1, studioCaption);
    }
}

QStringList runInputFileDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    setUpInputFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

void showMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

} // namespace kzo
