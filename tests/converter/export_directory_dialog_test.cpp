#include "converter/app/converter_gui.h"
#include "tests/converter/gui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace kzo;

namespace {

class ExportDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureApplication(); }
    void SetUp() override {
        ASSERT_TRUE(QDir(root.path()).mkpath("models/out"));
        ASSERT_TRUE(QDir(root.path()).mkpath("other"));
        gui = std::make_unique<ConverterGui>();
    }

    QString path(const QString& relative) const {
        return QDir::cleanPath(QDir(root.path()).absoluteFilePath(relative));
    }
    ExportDirectoryDialog& dialog() { return gui->form2; }

    // Opens the dialog through "...", lets act browse while it is shown, then
    // presses the given button.
    void browseAndPress(std::function<void()> act, QPushButton* ExportDirectoryDialog::*button) {
        ExportDirectoryDialog* d = &dialog();
        test::whenModalAppears([d, act, button](QWidget*) {
            act();
            (d->*button)->click();
        });
        gui->form1.button1->click();
    }

    QTemporaryDir root;
    std::unique_ptr<ConverterGui> gui;
};

QTreeWidgetItem* entryNamed(QTreeWidget* list, const QString& name) {
    const auto found = list->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

TEST_F(ExportDialogTest, controlsStartAsDesigned) {
    ExportDirectoryDialog& d = dialog();
    EXPECT_EQ(d.windowTitle(), "Select Export Directory");
    EXPECT_TRUE(d.isModal());
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(d.minimumSize(), QSize(337, 320));
    EXPECT_EQ(d.maximumSize(), QSize(337, 320));
    EXPECT_EQ(d.pos(), QPoint(485, 142));
    EXPECT_EQ(d.edit1->text(), "Edit1");
    EXPECT_EQ(d.directory(), QDir::currentPath());
    EXPECT_EQ(d.edit1->geometry(), QRect(8, 32, 209, 24));
    EXPECT_EQ(d.directoryListBox1->geometry(), QRect(8, 64, 209, 185));
    EXPECT_EQ(d.driveComboBox1->geometry(), QRect(8, 288, 209, 22));
    EXPECT_EQ(d.bitBtn1->geometry(), QRect(232, 8, 97, 25));
    EXPECT_EQ(d.bitBtn2->geometry(), QRect(232, 40, 97, 25));
    EXPECT_TRUE(d.bitBtn1->isDefault());
    EXPECT_FALSE(d.bitBtn1->icon().isNull());
    EXPECT_FALSE(d.bitBtn2->icon().isNull());
    const std::vector<const QWidget*> order = {d.edit1, d.directoryListBox1, d.driveComboBox1,
                                               d.bitBtn1, d.bitBtn2};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(test::nextTabStop(order[i], order), order[i + 1]) << i;
    }
    EXPECT_GE(d.driveComboBox1->count(), 1);
    const QTreeWidgetItem* current = d.directoryListBox1->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(d.directoryListBox1->visualItemRect(current).height(), 16);
}

TEST_F(ExportDialogTest, okSetsTheExportDirectoryToTheListsDirectory) {
    const QString target = path("models/out");
    browseAndPress([&] { dialog().setDirectory(target); }, &ExportDirectoryDialog::bitBtn1);
    EXPECT_EQ(gui->form1.edit1->text(), QDir::toNativeSeparators(target));
    EXPECT_EQ(gui->form1.exportDirectory(), target.toStdString());
}

TEST_F(ExportDialogTest, cancelKeepsTheExportDirectoryAndTheListRemembersWhereItWas) {
    const QString before = gui->form1.edit1->text();
    browseAndPress([&] { dialog().setDirectory(path("other")); }, &ExportDirectoryDialog::bitBtn2);
    EXPECT_EQ(gui->form1.edit1->text(), before);

    // The next use starts where the list was left, and Edit1 shows it.
    QString shownOnOpen;
    browseAndPress([&] { shownOnOpen = dialog().edit1->text(); }, &ExportDirectoryDialog::bitBtn1);
    EXPECT_EQ(shownOnOpen, QDir::toNativeSeparators(path("other")));
    EXPECT_EQ(gui->form1.edit1->text(), QDir::toNativeSeparators(path("other")));
}

TEST_F(ExportDialogTest, typedTextIsNotTheResult) {
    dialog().setDirectory(path("models"));
    browseAndPress([&] { dialog().edit1->setText(path("other")); },
                   &ExportDirectoryDialog::bitBtn1);
    EXPECT_EQ(gui->form1.edit1->text(), QDir::toNativeSeparators(path("models")));
}

TEST_F(ExportDialogTest, listShowsThePathAndSubdirectoriesAndOpensEntries) {
    ExportDirectoryDialog& d = dialog();
    d.setDirectory(path("models"));
    QTreeWidget* list = d.directoryListBox1;
    QTreeWidgetItem* current = entryNamed(list, "models");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(list->currentItem(), current);
    ASSERT_EQ(current->childCount(), 1);
    EXPECT_EQ(current->child(0)->text(0), "out");
    ASSERT_NE(entryNamed(list, QDir(root.path()).dirName()), nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QDir::toNativeSeparators(QDir::rootPath()));

    // Opening a subdirectory moves into it; Edit1 follows every move.
    Q_EMIT list->itemActivated(current->child(0), 0);
    EXPECT_EQ(d.directory(), path("models/out"));
    EXPECT_EQ(d.edit1->text(), QDir::toNativeSeparators(path("models/out")));

    // Opening a level of the path moves up to it.
    Q_EMIT list->itemActivated(entryNamed(list, QDir(root.path()).dirName()), 0);
    EXPECT_EQ(d.directory(), path("."));

    EXPECT_FALSE(d.setDirectory(path("missing")));
    EXPECT_EQ(d.directory(), path("."));
}

TEST_F(ExportDialogTest, enterInEdit1MovesTheListToAnExistingDirectory) {
    ExportDirectoryDialog& d = dialog();
    d.setDirectory(path("models"));
    d.show();
    auto pressEnter = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(d.edit1, &press);
    };
    d.edit1->setText("out"); // relative to the list's directory
    pressEnter();
    EXPECT_EQ(d.directory(), path("models/out"));
    EXPECT_TRUE(d.isVisible());

    d.edit1->setText(path("nowhere"));
    pressEnter();
    EXPECT_EQ(d.directory(), path("models/out"));
    d.reject();
}

TEST_F(ExportDialogTest, enterInTheListOpensTheCurrentEntryAndOnTheListsDirectoryIsOk) {
    ExportDirectoryDialog* d = &dialog();
    d->setDirectory(path("models"));
    QString afterFirstEnter;
    bool openAfterFirstEnter = false;
    test::whenModalAppears([&, d](QWidget*) {
        QTreeWidget* list = d->directoryListBox1;
        list->setFocus();
        list->setCurrentItem(entryNamed(list, "out"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &enter);
        afterFirstEnter = d->directory();
        openAfterFirstEnter = d->isVisible();
        // Now the current entry is the list's directory: Enter is OK.
        QCoreApplication::sendEvent(list, &enter);
    });
    gui->form1.button1->click();
    EXPECT_EQ(afterFirstEnter, path("models/out"));
    EXPECT_TRUE(openAfterFirstEnter);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(gui->form1.edit1->text(), QDir::toNativeSeparators(path("models/out")));
}

TEST_F(ExportDialogTest, choosingADriveMovesTheListToItsRoot) {
    ExportDirectoryDialog& d = dialog();
    d.setDirectory(path("models"));
    const QString volumeRoot = QStorageInfo(path("models")).rootPath();
    const int index = d.driveComboBox1->findData(volumeRoot);
    ASSERT_GE(index, 0);
    EXPECT_EQ(d.driveComboBox1->currentIndex(), index);
    Q_EMIT d.driveComboBox1->activated(index);
    EXPECT_EQ(d.directory(), QDir::cleanPath(volumeRoot));
}
