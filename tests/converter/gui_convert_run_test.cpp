// The Convert button over real files: the window's lines are exactly the
// dispatch's messages, file after file, and each run starts a fresh text.
#include "converter/app/converter_gui.h"
#include "converter/pipeline/convert_file.h"
#include "tests/converter/gui_test_support.h"
#include "tests/converter/scene/same_scene.h"
#include "tests/converter/temp_dir.h"
#include "tests/converter/two_triangles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kzo;
using namespace kzotest;

namespace {

class GuiConvertRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureApplication(); }
    void SetUp() override {
        std::filesystem::create_directories(dir.path() / "out");
        gui.form1.edit1->setText(QString::fromStdString(dir / "out"));
    }
    void list(const std::vector<std::string>& paths) {
        QStringList chosen;
        for (const std::string& path : paths) {
            chosen << QString::fromStdString(path);
        }
        gui.form1.chooseInputFiles = [chosen](QWidget*) { return chosen; };
        gui.form1.bitBtn5->click();
        gui.form1.bitBtn3->click();
    }
    QStringList shownLines() { return gui.form3.text().split('\n'); }

    TempDir dir;
    ConverterGui gui;
};

QString quoted(const std::string& path) {
    return "'" + QString::fromStdString(path) + "'";
}

} // namespace

TEST_F(GuiConvertRunTest, showsEachFilesMessagesInListOrder) {
    writeBytes(dir / "SHIP.3DS", twoTriangles3ds().data);
    writeBytes(dir / "model.txt", {'F', 'O', 'R', 'M'});
    list({dir / "SHIP.3DS", dir / "model.txt", dir / "gone.3ds"});
    ASSERT_TRUE(test::convertAndWait(gui.form1));

    const QString ship = quoted(dir / "SHIP.3DS");
    const QStringList expected = {
        ship + " Converting...",
        quoted(dir / "out/SHIP.kzo") + " Writing...",
        "============================",
        "version: 1.0",
        "0 images",
        "1 materials",
        "4 vertices",
        "2 faces",
        "0 pivots",
        "no shading",
        "============================",
        ship + " Converting...OK",
        quoted(dir / "model.txt") + " Converting...",
        quoted(dir / "model.txt") + " is not lws or 3ds file",
        quoted(dir / "gone.3ds") + " Converting...",
        "ERROR: cannot open " + quoted(dir / "gone.3ds"),
    };
    EXPECT_EQ(shownLines(), expected);
    EXPECT_TRUE(gui.form3.isVisible());
    EXPECT_EQ(listDirectory(dir.path() / "out"), (std::vector<std::string>{"SHIP.kzo"}));

    // The second run's lines replace the first run's.
    list({dir / "model.txt"});
    ASSERT_TRUE(test::convertAndWait(gui.form1));
    EXPECT_EQ(shownLines(), (QStringList{quoted(dir / "model.txt") + " Converting...",
                                         quoted(dir / "model.txt") + " is not lws or 3ds file"}));
}

TEST_F(GuiConvertRunTest, convertsWithTheOptionsOfTheForm) {
    writeBytes(dir / "ship.3ds", twoTriangles3ds().data);
    gui.form1.radioButton[1]->setChecked(true);
    list({dir / "ship.3ds"});
    ASSERT_TRUE(test::convertAndWait(gui.form1));

    const QStringList lines = shownLines();
    EXPECT_TRUE(lines.contains("realtime groud shading")) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.last(), quoted(dir / "ship.3ds") + " Converting...OK");
    EXPECT_EQ(listDirectory(dir.path() / "out"), (std::vector<std::string>{"ship.kzo"}));
}

// The list takes a path once; two paths of one file name would still write one
// output, so the run refuses the later one as the command line does.
TEST_F(GuiConvertRunTest, refusesAFileWhoseOutputAnEarlierOneWrites) {
    std::filesystem::create_directories(dir.path() / "a");
    std::filesystem::create_directories(dir.path() / "b");
    writeBytes(dir / "a/ship.3ds", twoTriangles3ds().data);
    writeBytes(dir / "b/ship.3ds", twoTriangles3ds().data);
    list({dir / "a/ship.3ds", dir / "b/ship.3ds"});
    ASSERT_TRUE(test::convertAndWait(gui.form1));

    const QStringList lines = shownLines();
    EXPECT_EQ(lines.last(), "ERROR: " + quoted(dir / "b/ship.3ds") +
                                " is not converted: " + quoted(dir / "a/ship.3ds") + " writes " +
                                quoted(dir / "out/ship.kzo") + " too");
    EXPECT_TRUE(lines.contains(quoted(dir / "a/ship.3ds") + " Converting...OK"));
    EXPECT_FALSE(lines.contains(quoted(dir / "b/ship.3ds") + " Converting..."));
}

// A scene of another format gets its side files from the window as from the
// command line: the form's check boxes are the options, and the frame rate,
// which the form does not set, is the default the command line takes without
// --fps. The files are those of the same conversion outside the window.
TEST_F(GuiConvertRunTest, convertsASceneOfAnotherFormatAsTheCommandLineDoes) {
    const std::string text = asGltf(sameScene(), {1.0f, 9.5625f, 4.78125f});
    writeBytes(dir / "scene.gltf", {text.begin(), text.end()});
    gui.form1.radioButton[1]->setChecked(true);
    gui.form1.checkBox1->setChecked(true);
    gui.form1.checkBox2->setChecked(true);
    gui.form1.checkBox3->setChecked(true);
    list({dir / "scene.gltf"});
    ASSERT_TRUE(test::convertAndWait(gui.form1));
    const std::vector<std::string> names = {"scene.cam", "scene.kzl", "scene.kzo", "scene.mot"};
    ASSERT_EQ(listDirectory(dir.path() / "out"), names) << shownLines().join('\n').toStdString();

    SceneModel model;
    ConversionSettings settings;
    settings.shadingType = kRealtimeGouraud;
    settings.animation = settings.cameraFile = settings.lightFile = 1;
    std::filesystem::create_directories(dir.path() / "cli");
    std::string output = dir / "cli/scene.gltf";
    ASSERT_EQ(convertFile(model, dir / "scene.gltf", output, settings),
              ConversionOutcome::converted);
    for (const std::string& name : names) {
        EXPECT_EQ(readBytes(dir / ("out/" + name)), readBytes(dir / ("cli/" + name))) << name;
    }
}

// A model whose reader crashes (the stand-in reader of
// tests/modelimport/fault_model_reader.cpp) is one error line; the run and
// the window go on.
TEST_F(GuiConvertRunTest, aModelWhoseReaderCrashesIsOneErrorAndTheRunGoesOn) {
    setenv("KZO_MODULE_DIR", KZO_FAULT_READER_DIR, 1);
    std::ofstream(dir / "crash.obj") << "kzo-test-fault: crash\n";
    std::ofstream(dir / "tri.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    for (int run = 0; run < 2; ++run) {
        list({dir / "crash.obj", dir / "tri.obj"});
        ASSERT_TRUE(test::convertAndWait(gui.form1));
        const QStringList lines = shownLines();
        EXPECT_TRUE(lines.contains("ERROR: cannot read " + quoted(dir / "crash.obj") +
                                   ": the model reader crashed (signal 11)"))
            << lines.join('\n').toStdString();
        EXPECT_EQ(lines.last(), quoted(dir / "tri.obj") + " Converting...OK");
        EXPECT_EQ(listDirectory(dir.path() / "out"), (std::vector<std::string>{"tri.kzo"}));
    }
    unsetenv("KZO_MODULE_DIR");
}
