#include "converter/app/converter_gui.h"
#include "converter/app/run_progress.h"
#include "tests/converter/gui_test_support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace kzo;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureApplication(); }
    void SetUp() override { gui = std::make_unique<ConverterGui>(); }

    MainForm& form() { return gui->form1; }
    QStringList listed() const {
        QStringList items;
        for (int i = 0; i < gui->form1.listBox1->count(); ++i) {
            items << gui->form1.listBox1->item(i)->text();
        }
        return items;
    }
    void chooseFiles(const QStringList& paths) {
        form().chooseInputFiles = [paths](QWidget*) { return paths; };
        form().bitBtn3->click();
    }

    std::unique_ptr<ConverterGui> gui;
};

QRect geometryOf(const QWidget* widget) {
    return widget->geometry();
}

} // namespace

TEST_F(MainFormTest, controlsStartAsDesigned) {
    MainForm& f = form();
    EXPECT_EQ(f.windowTitle(), "KZO file Maker v1.0");
    EXPECT_EQ(f.minimumSize(), QSize(554, 487));
    EXPECT_EQ(f.maximumSize(), QSize(554, 487));
    EXPECT_EQ(f.pos(), QPoint(361, 117));
    EXPECT_TRUE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    struct Expected {
        const QWidget* widget;
        QString caption;
        QRect geometry;
        const QWidget* parent;
    };
    const Expected table[] = {
        {f.bitBtn1, "Exit", {432, 16, 113, 26}, &f},
        {f.groupBox1, "File Selected for Conversion", {8, 8, 417, 273}, &f},
        {f.listBox1, "", {24, 32, 369, 193}, f.groupBox1},
        {f.bitBtn3, "Add Files", {24, 232, 113, 27}, f.groupBox1},
        {f.bitBtn4, "Remove", {152, 232, 113, 27}, f.groupBox1},
        {f.bitBtn5, "Remove All", {280, 232, 113, 27}, f.groupBox1},
        {f.groupBox2, "Select Export Directory and Options", {8, 288, 417, 185}, &f},
        {f.edit1, QDir::toNativeSeparators(QDir::currentPath()), {8, 32, 369, 24}, f.groupBox2},
        {f.button1, "...", {384, 32, 27, 25}, f.groupBox2},
        {f.groupBox3, "Shading Type", {8, 64, 241, 113}, f.groupBox2},
        {f.radioButton[0], "No shading", {16, 24, 217, 17}, f.groupBox3},
        {f.radioButton[1], "Real time goroud shading", {16, 40, 217, 17}, f.groupBox3},
        {f.radioButton[2], "Real time flat shading", {16, 56, 217, 17}, f.groupBox3},
        {f.radioButton[3], "precalculated goroud shading", {16, 72, 217, 17}, f.groupBox3},
        {f.radioButton[4], "precalculated flat shading", {16, 88, 217, 17}, f.groupBox3},
        {f.checkBox1, "Animation (.mot)", {256, 72, 153, 17}, f.groupBox2},
        {f.checkBox2, "Camera (.cam)", {256, 89, 153, 17}, f.groupBox2},
        {f.checkBox3, "Light (.kzl)", {256, 106, 153, 17}, f.groupBox2},
        {f.checkBox5, "Fit to capacity", {432, 394, 113, 17}, &f},
        {f.edit2, "1.0", {256, 152, 153, 24}, f.groupBox2},
        {f.bitBtn6, "Convert !!", {432, 272, 113, 33}, &f},
        {f.bitBtn2, "Message", {432, 56, 113, 26}, &f},
        {f.checkBox4, "Unit-\nindependent\nshadows", {432, 316, 118, 52}, &f},
        {f.checkBox6, "Ambient\nocclusion", {432, 414, 118, 34}, &f},
        {f.checkBox7, "One bounce", {432, 450, 118, 17}, &f},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.widget->objectName().toStdString());
        QString caption;
        if (auto* button = qobject_cast<const QAbstractButton*>(e.widget)) {
            caption = button->text();
        } else if (auto* box = qobject_cast<const QGroupBox*>(e.widget)) {
            caption = box->title();
        } else if (auto* edit = qobject_cast<const QLineEdit*>(e.widget)) {
            caption = edit->text();
        }
        EXPECT_EQ(caption, e.caption);
        EXPECT_EQ(geometryOf(e.widget), e.geometry);
        EXPECT_EQ(e.widget->parentWidget(), e.parent);
    }
    EXPECT_EQ(f.label1->text(), "Scale factor");
    EXPECT_EQ(f.label1->pos(), QPoint(256, 130));

    EXPECT_FALSE(f.bitBtn1->icon().isNull());
    EXPECT_FALSE(f.bitBtn6->icon().isNull());
    EXPECT_FALSE(f.bitBtn2->icon().isNull());
    EXPECT_FALSE(f.edit1->isEnabled());
    EXPECT_FALSE(f.radioButton[2]->isEnabled());
    EXPECT_TRUE(f.radioButton[0]->isChecked());
    EXPECT_FALSE(f.checkBox1->isChecked() || f.checkBox2->isChecked() || f.checkBox3->isChecked() ||
                 f.checkBox4->isChecked() || f.checkBox5->isChecked() || f.checkBox6->isChecked() ||
                 f.checkBox7->isChecked());
    EXPECT_EQ(f.listBox1->count(), 0);
    EXPECT_EQ(f.listBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(f.listBox1->isSortingEnabled());
    f.listBox1->addItem("/a/x.lws");
    EXPECT_EQ(f.listBox1->visualItemRect(f.listBox1->item(0)).height(), 16);
    f.listBox1->clear();

    // The table's order is the order Tab walks.
    const std::vector<const QWidget*> order = {
        f.bitBtn1,        f.listBox1,       f.bitBtn3,        f.bitBtn4,        f.bitBtn5,
        f.button1,        f.radioButton[0], f.radioButton[1], f.radioButton[2], f.radioButton[3],
        f.radioButton[4], f.checkBox1,      f.checkBox2,      f.checkBox3,      f.edit2,
        f.bitBtn6,        f.checkBox4,      f.checkBox5,      f.checkBox6,      f.checkBox7,
        f.bitBtn2};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(test::nextTabStop(order[i], order), order[i + 1]) << i;
    }

    EXPECT_FALSE(gui->form2.isVisible());
    EXPECT_FALSE(gui->form3.isVisible());
}

TEST_F(MainFormTest, addFilesSkipsPathsAlreadyListedExactly) {
    chooseFiles({"/a/x.lws", "/b/y.3ds", "/a/x.lws"});
    chooseFiles({"/b/y.3ds", "/A/X.LWS", "/c/z.3DS"});
    EXPECT_EQ(listed(), (QStringList{"/a/x.lws", "/b/y.3ds", "/A/X.LWS", "/c/z.3DS"}));

    chooseFiles({}); // cancelled
    EXPECT_EQ(listed().size(), 4);

    // kzomaker --gui FILE... lists its files the same way.
    gui->form1.addPaths({"/c/z.3DS", "/d/w.lwo", "/d/w.lwo"});
    EXPECT_EQ(listed(), (QStringList{"/a/x.lws", "/b/y.3ds", "/A/X.LWS", "/c/z.3DS", "/d/w.lwo"}));
}

TEST_F(MainFormTest, theFileListScrollsToTheEndOfEveryPathAndShowsItWhole) {
    const QString longPath = "/home/artist/scenes/lws-v1/green_" + QString(60, 'x') + "_end.lws";
    chooseFiles({"/a.lws", longPath, "/b/c.3ds"});
    form().show();
    QCoreApplication::processEvents();

    QListWidget& list = *form().listBox1;
    QScrollBar& across = *list.horizontalScrollBar();
    ASSERT_GT(across.maximum(), 0);
    across.setValue(across.maximum());
    QCoreApplication::processEvents();
    const QRect row = list.visualItemRect(list.item(1));
    EXPECT_GE(row.width(), list.fontMetrics().horizontalAdvance(longPath));
    EXPECT_LE(row.right(), list.viewport()->width()) << "the last character can be scrolled to";
    EXPECT_EQ(row.height(), 16);

    list.item(0)->setSelected(true);
    form().bitBtn4->click(); // the list is filled anew
    EXPECT_EQ(list.item(0)->toolTip(), longPath);
    EXPECT_EQ(list.item(1)->toolTip(), "/b/c.3ds");
}

// The offscreen screen (800 px wide) is narrower than the designed places
// allow: the forms open inside it, as far from their places as needed only.
TEST_F(MainFormTest, formsOpenInsideTheScreen) {
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(area.right(), 361 + 554) << "the test needs a screen the main form sticks out of";

    form().show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(form().frameGeometry())) << form().frameGeometry().x();
    EXPECT_EQ(form().frameGeometry().right(), area.right());
    EXPECT_EQ(form().geometry().y(), 117) << "the height fits: the form stays at its row";

    ExportDirectoryDialog& dialog = gui->form2;
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(dialog.frameGeometry()));
    EXPECT_EQ(dialog.geometry().y(), 142);
    dialog.hide();

    // Moved off by the user, the dialog comes back inside when shown again.
    dialog.move(area.right() - 10, area.bottom() - 10);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(dialog.frameGeometry()));
    dialog.hide();

    gui->form3.showCentred();
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(gui->form3.frameGeometry()));
}

// The names the dialog's file list shows in its current directory.
QStringList shownFileNames(QFileDialog& dialog) {
    auto* view = dialog.findChild<QAbstractItemView*>("listView");
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (view == nullptr || model == nullptr) {
        return {};
    }
    QStringList names;
    const QModelIndex folder = view->rootIndex();
    for (int row = 0; row < model->rowCount(folder); ++row) {
        names << model->fileName(model->index(row, 0, folder));
    }
    names.sort();
    return names;
}

TEST_F(MainFormTest, addFilesDialogShowsItsFiltersAsWrittenAndMatchesAnyLetterCase) {
    QTemporaryDir folder;
    for (const char* name : {"a.lws", "B.LWS", "c.Lws", "d.3ds", "E.3DS", "notes.txt", "xlws",
                             "f.OBJ", "g.gltf", "h.Blend"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    setUpInputFileDialog(dialog);
    dialog.setDirectory(folder.path());
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);

    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 3);
    EXPECT_EQ(types->itemText(0), "light wave scene file( .lws )");
    EXPECT_EQ(types->itemText(1), "3D studio  file");
    EXPECT_EQ(types->itemText(2), "other model file");
    EXPECT_EQ(types->currentIndex(), 0);

    dialog.show();
    const QStringList scenes = {"B.LWS", "a.lws", "c.Lws"};
    EXPECT_TRUE(test::waitUntil([&] { return shownFileNames(dialog) == scenes; }))
        << shownFileNames(dialog).join(' ').toStdString();

    Q_EMIT types->activated(1); // the user picks the second filter
    const QStringList studio = {"E.3DS", "d.3ds"};
    EXPECT_TRUE(test::waitUntil([&] { return shownFileNames(dialog) == studio; }))
        << shownFileNames(dialog).join(' ').toStdString();

    Q_EMIT types->activated(2);
    const QStringList models = {"f.OBJ", "g.gltf", "h.Blend"};
    EXPECT_TRUE(test::waitUntil([&] { return shownFileNames(dialog) == models; }))
        << shownFileNames(dialog).join(' ').toStdString();
    dialog.reject();
}

TEST_F(MainFormTest, removeTakesOutOnlyTheSelectedEntries) {
    chooseFiles({"/1.lws", "/2.lws", "/3.lws", "/4.lws", "/5.lws"});
    form().listBox1->item(1)->setSelected(true);
    form().listBox1->item(2)->setSelected(true);
    form().bitBtn4->click();
    EXPECT_EQ(listed(), (QStringList{"/1.lws", "/4.lws", "/5.lws"}));

    form().bitBtn4->click(); // nothing selected
    EXPECT_EQ(listed().size(), 3);
    form().bitBtn5->click();
    EXPECT_TRUE(listed().isEmpty());
}

TEST_F(MainFormTest, outOfRangeScaleShowsTheMessageBoxAndStartsNothing) {
    int conversions = 0;
    form().convertOne = [&](SceneModel&, const std::string&, std::string&,
                            const ConversionSettings&) { ++conversions; };
    chooseFiles({"/a.3ds"});
    gui->form3.appendLine("earlier run");

    for (const char* text : {"-1e6", "100000.004", "1e39"}) {
        form().edit2->setText(text);
        QString shown;
        test::closeNextMessageBox(shown);
        form().bitBtn6->click();
        EXPECT_EQ(shown, "scalefactor is out of range(100000,-100000)") << text;
    }
    EXPECT_EQ(conversions, 0);
    EXPECT_FALSE(gui->form3.isVisible());
    EXPECT_EQ(gui->form3.text(), "earlier run");
}

TEST_F(MainFormTest, scaleAtTheLimitsAndWithoutANumberIsAccepted) {
    std::vector<float> scales;
    form().convertOne = [&](SceneModel&, const std::string&, std::string&,
                            const ConversionSettings& settings) {
        scales.push_back(settings.scaleFactor);
    };
    chooseFiles({"/a.3ds"});
    for (const char* text : {"100000", "-100000", "100000.0039", "abc", ""}) {
        form().edit2->setText(text);
        ASSERT_TRUE(test::convertAndWait(form()));
    }
    EXPECT_EQ(scales, (std::vector<float>{100000.0f, -100000.0f, 100000.0f, 0.0f, 0.0f}));
}

TEST_F(MainFormTest, convertHandsOverOptionsAndConvertsEveryFileInOrder) {
    std::vector<std::string> calls;
    ConversionSettings handedOver;
    form().convertOne = [&](SceneModel& model, const std::string& input, std::string& output,
                            const ConversionSettings& settings) {
        handedOver = settings;
        printMessage(model.sink, "converting '%s'", input.c_str());
        calls.push_back(input + " -> " + output);
    };
    form().edit1->setText("/out");
    form().radioButton[4]->setChecked(true);
    form().radioButton[2]->click(); // disabled: cannot be chosen
    form().checkBox2->setChecked(true);
    form().checkBox4->setChecked(true);
    form().checkBox5->setChecked(true);
    form().checkBox6->setChecked(true);
    form().edit2->setText(" 0.5 metres");
    chooseFiles({"/s/b.lws", "/s/a.3ds"});

    ASSERT_TRUE(test::convertAndWait(form()));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"/s/b.lws -> /out/b.lws", "/s/a.3ds -> /out/a.3ds"}));
    EXPECT_EQ(handedOver.shadingType, 4);
    EXPECT_EQ(handedOver.cameraFile, 1);
    EXPECT_EQ(handedOver.animation, 0);
    EXPECT_EQ(handedOver.lightFile, 0);
    EXPECT_EQ(handedOver.fitToCapacity, 1);
    EXPECT_EQ(handedOver.indirectLight.occlusion, 1);
    EXPECT_EQ(handedOver.indirectLight.bounce, 0);
    EXPECT_EQ(handedOver.indirectLight.rays, 64);
    EXPECT_EQ(handedOver.scaleFactor, 0.5f);
    EXPECT_EQ(handedOver.shadows.test, kzo::ShadowTest::relative);
    EXPECT_GE(handedOver.shadows.threads, 1);
    EXPECT_EQ(gui->form3.text(), "converting '/s/b.lws'\nconverting '/s/a.3ds'");

    // A second run replaces the first run's lines.
    form().bitBtn5->click();
    form().checkBox6->setChecked(false);
    form().checkBox7->setChecked(true);
    chooseFiles({"/t/c.3ds"});
    ASSERT_TRUE(test::convertAndWait(form()));
    EXPECT_EQ(gui->form3.text(), "converting '/t/c.3ds'");
    EXPECT_EQ(handedOver.indirectLight.occlusion, 0);
    EXPECT_EQ(handedOver.indirectLight.bounce, 1);
}

// The run goes on on its own thread: the form stays painted, shows its
// controls disabled, and the message window shows each line as it comes, the
// file under way and the files done.
TEST_F(MainFormTest, aRunShowsItsLinesAndProgressWhileTheFormWaits) {
    test::RunGate gate;
    form().convertOne = [&](SceneModel& model, const std::string& input, std::string&,
                            const ConversionSettings&) {
        printMessage(model.sink, "'%s' Converting...", input.c_str());
        if (input == "/s/b.3ds") {
            gate.holdHere();
        }
        printMessage(model.sink, "'%s' Converting...OK", input.c_str());
    };
    form().show();
    chooseFiles({"/s/a.3ds", "/s/b.3ds", "/s/c.3ds"});
    form().bitBtn6->click();
    ASSERT_TRUE(gate.waitUntilHeld());

    MessageWindow& window = gui->form3;
    const QString firstLines = "'/s/a.3ds' Converting...\n'/s/a.3ds' Converting...OK\n"
                               "'/s/b.3ds' Converting...";
    EXPECT_TRUE(test::waitUntil([&] { return window.memo1->toPlainText() == firstLines; }))
        << window.memo1->toPlainText().toStdString();
    const RunProgress& progress = *window.runProgress;
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.progress->value(), 1);
    EXPECT_EQ(progress.progress->maximum(), 3);
    EXPECT_TRUE(progress.currentFile->text().startsWith("File 2 of 3, "))
        << progress.currentFile->text().toStdString();
    EXPECT_EQ(progress.currentFile->toolTip(), "/s/b.3ds");
    EXPECT_TRUE(progress.cancelButton->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);

    // Nothing of the form can be used, and neither window closes.
    for (const QWidget* control :
         {static_cast<QWidget*>(form().bitBtn1), static_cast<QWidget*>(form().listBox1),
          static_cast<QWidget*>(form().bitBtn5), static_cast<QWidget*>(form().button1),
          static_cast<QWidget*>(form().radioButton[1]), static_cast<QWidget*>(form().edit2),
          static_cast<QWidget*>(form().bitBtn6), static_cast<QWidget*>(form().bitBtn2),
          static_cast<QWidget*>(form().checkBox4)}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    form().bitBtn5->click();
    EXPECT_EQ(listed().size(), 3);
    form().close();
    window.close();
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(window.isVisible());

    gate.letGo();
    ASSERT_TRUE(test::waitUntil([&] { return !form().isRunning(); }));
    EXPECT_EQ(window.text(), firstLines + "\n'/s/b.3ds' Converting...OK\n"
                                          "'/s/c.3ds' Converting...\n'/s/c.3ds' Converting...OK");
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(test::waitUntil([&] { return window.memo1->size() == window.size(); }))
        << "the text fills the window again";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The controls are back as they were: Edit1 and real-time flat shading
    // stay disabled.
    EXPECT_TRUE(form().bitBtn6->isEnabled() && form().listBox1->isEnabled() &&
                form().radioButton[1]->isEnabled());
    EXPECT_FALSE(form().edit1->isEnabled());
    EXPECT_FALSE(form().radioButton[2]->isEnabled());
}

TEST_F(MainFormTest, cancelEndsTheRunAfterTheFileUnderWay) {
    test::RunGate gate;
    std::vector<std::string> converted;
    form().convertOne = [&](SceneModel& model, const std::string& input, std::string&,
                            const ConversionSettings&) {
        if (converted.empty() && input == "/a.3ds") {
            gate.holdHere();
        }
        converted.push_back(input);
        printMessage(model.sink, "'%s' Converting...OK", input.c_str());
    };
    chooseFiles({"/a.3ds", "/b.3ds", "/c.3ds"});
    form().bitBtn6->click();
    ASSERT_TRUE(gate.waitUntilHeld());
    const RunProgress& progress = *gui->form3.runProgress;
    progress.cancelButton->click();
    EXPECT_FALSE(progress.cancelButton->isEnabled());
    EXPECT_TRUE(progress.currentFile->text().startsWith("Cancelling after file 1 of 3"))
        << progress.currentFile->text().toStdString();
    gate.letGo();
    ASSERT_TRUE(test::waitUntil([&] { return !form().isRunning(); }));
    EXPECT_EQ(converted, (std::vector<std::string>{"/a.3ds"}));
    EXPECT_EQ(gui->form3.text(),
              "'/a.3ds' Converting...OK\nRun cancelled: 2 of 3 files not converted");

    // The next run is a whole one again.
    ASSERT_TRUE(test::convertAndWait(form()));
    EXPECT_EQ(converted, (std::vector<std::string>{"/a.3ds", "/a.3ds", "/b.3ds", "/c.3ds"}));
    EXPECT_TRUE(progress.cancelButton->isEnabled());
}

TEST_F(MainFormTest, anEmptyListStillClearsAndShowsTheMessageWindow) {
    gui->form3.appendLine("old");
    form().bitBtn6->click();
    EXPECT_TRUE(gui->form3.isVisible());
    EXPECT_EQ(gui->form3.text(), "");
}

TEST_F(MainFormTest, anUnexpectedExceptionEndsTheRunWithAMessageBox) {
    std::vector<std::string> converted;
    form().convertOne = [&](SceneModel& model, const std::string& input, std::string&,
                            const ConversionSettings&) {
        converted.push_back(input);
        if (input == "/b.3ds") {
            throw std::runtime_error("out of disk space");
        }
        printMessage(model.sink, "done %s", input.c_str());
    };
    chooseFiles({"/a.3ds", "/b.3ds", "/c.3ds"});
    QString shown;
    test::closeNextMessageBox(shown);
    form().bitBtn6->click();
    ASSERT_TRUE(test::waitUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, "out of disk space");
    EXPECT_EQ(converted, (std::vector<std::string>{"/a.3ds", "/b.3ds"}));
    EXPECT_EQ(gui->form3.text(), "done /a.3ds");
    EXPECT_FALSE(form().isRunning());

    // The form goes on: the next run works.
    form().bitBtn5->click();
    chooseFiles({"/c.3ds"});
    ASSERT_TRUE(test::convertAndWait(form()));
    EXPECT_EQ(gui->form3.text(), "done /c.3ds");
}

// The colour of each line of the text area, by its first character.
std::vector<QColor> lineColours(const QPlainTextEdit& memo) {
    std::vector<QColor> colours;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        QTextCursor inside(block);
        inside.movePosition(QTextCursor::NextCharacter);
        colours.push_back(inside.charFormat().foreground().style() == Qt::NoBrush
                              ? memo.palette().color(QPalette::Text)
                              : inside.charFormat().foreground().color());
    }
    return colours;
}

TEST_F(MainFormTest, errorLinesStandOutAndEveryLineCopiesAsPlainText) {
    MessageWindow& window = gui->form3;
    const QString lines = "'/a.3ds' Converting...\nERROR: cannot open '/a.3ds'\n"
                          "ERROR: no triangles in '/b.3ds'\n'/c.3ds' Converting...OK\n"
                          "an ERROR: inside a line";
    for (const QString& line : lines.split('\n')) {
        window.appendLine(line.toStdString());
        if (line.endsWith("OK")) {
            window.flushLines(); // lines after an error, in a later batch too
        }
    }
    window.showFocused();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.text(), lines);

    const QColor text = window.memo1->palette().color(QPalette::Text);
    const QColor error = errorColour(window.memo1->palette());
    EXPECT_NE(error, text);
    EXPECT_EQ(lineColours(*window.memo1), (std::vector<QColor>{text, error, error, text, text}));
    QPalette dark;
    dark.setColor(QPalette::Base, Qt::black);
    EXPECT_GT(errorColour(dark).lightness(), error.lightness()) << "readable on a dark base";

    window.memo1->setFocus();
    auto press = [&](int key, Qt::KeyboardModifiers modifiers, const QString& typed = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, typed);
        QCoreApplication::sendEvent(window.memo1, &event);
    };
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->formats(), QStringList{"text/plain"});
    EXPECT_EQ(copied->text(), lines);
    press(Qt::Key_X, Qt::NoModifier, "x");
    press(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(window.text(), lines);
}

TEST_F(MainFormTest, messageWindowHidesOnCloseAndShowsTheSameLinesAgain) {
    MessageWindow& window = gui->form3;
    EXPECT_EQ(window.windowTitle(), "Message window");
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.memo1->isReadOnly());
    EXPECT_EQ(window.memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(window.memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window.memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    window.appendLine("'/a.3ds' Converting...");
    window.appendLine("ERROR: cannot open '/a.3ds'");
    form().bitBtn2->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.frameGeometry().size(), QSize(555, 238));
    EXPECT_NE(window.minimumSize(), window.maximumSize());
    ASSERT_NE(window.screen(), nullptr);
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_EQ(window.frameGeometry().center(), screenCentre);
    window.move(0, 0);
    window.close();
    EXPECT_FALSE(window.isVisible());
    form().bitBtn2->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.text(), "'/a.3ds' Converting...\nERROR: cannot open '/a.3ds'");
    EXPECT_EQ(window.frameGeometry().center(), screenCentre);

    // The memo follows the window's size.
    window.resize(700, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.memo1->size(), window.size());
}
