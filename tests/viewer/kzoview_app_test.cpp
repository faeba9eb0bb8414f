// The kzoview program and its form, driven from outside: the program through
// its command line on files the tests write, the form through Qt events on the
// offscreen platform.
#include "tests/support/build_lwob.h"
#include "tests/viewer/build_kzo.h"
#include "viewer/app/screen_fit.h"
#include "viewer/app/tform1.h"
#include "viewer/first_frame.h"
#include "viewer/loaders.h"
#include "viewer/view_command.h"
#include "viewer/view_session.h"
#include "viewer/viewer_error.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QRawFont>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs kzoview with no display at all: the headless modes must not need one.
ProgramRun runKzoview(const QStringList& args, const fs::path& workingDirectory = {},
                      const QString& display = {}) {
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(workingDirectory.string()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    if (!display.isEmpty()) {
        env.insert("DISPLAY", display);
    }
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(KZOVIEW_PATH), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

fs::path freshDirectory(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("kzoview_app_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void writeBytes(const fs::path& path, const kzotest::Bytes& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A triangle (0,0,0), (1,0,0), (0,1,0) and a square behind it, as a LightWave object.
fs::path writeSample(const fs::path& dir) {
    const fs::path path = dir / "sample object.lwo";
    writeBytes(
        path,
        kzotest::lwobFile(
            kzotest::pnts(
                {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}) +
            kzotest::pols({{0, 1, 2}, {3, 4, 5, 6}})));
    return path;
}

QImage asRgb32(const kzoview::RasterImage& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_RGB32)
        .copy();
}

kzoview::RasterImage expectedFirstFrame(const fs::path& file, int width, int height) {
    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile(file.string(), doc);
    return kzoview::renderFirstFrame(doc.mesh, width, height);
}

} // namespace

TEST(KzoviewProgram, snapshotWritesTheFirstFrameWithoutADisplay) {
    const fs::path dir = freshDirectory("snapshot");
    const fs::path sample = writeSample(dir);
    const fs::path png = dir / "thumb.png";
    const ProgramRun run = runKzoview({"--snapshot", QString::fromStdString(png.string()), "--size",
                                       "64x48", QString::fromStdString(sample.string())});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QImage written(QString::fromStdString(png.string()), "PNG");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(64, 48));
    const QImage expected = asRgb32(expectedFirstFrame(sample, 64, 48));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), expected);
    int lit = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            lit += expected.pixel(x, y) != 0xFF000000u;
        }
    }
    EXPECT_GT(lit, 20) << "the frame shows the wireframe";

    const fs::path plain = dir / "plain.png";
    ASSERT_EQ(runKzoview({"--snapshot", QString::fromStdString(plain.string()),
                          QString::fromStdString(sample.string())})
                  .exitCode,
              0);
    EXPECT_EQ(QImage(QString::fromStdString(plain.string()), "PNG").size(),
              QSize(kzoview::kFormClientWidth, kzoview::kFormClientHeight));
}

TEST(KzoviewProgram, infoPrintsTheCaption) {
    const fs::path dir = freshDirectory("info");
    const fs::path sample = writeSample(dir);
    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile(sample.string(), doc);
    const ProgramRun run = runKzoview({"--info", QString::fromStdString(sample.string())});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, doc.captionText + "\n");
}

TEST(KzoviewProgram, failedLoadEndsWithTheErrorAndANonZeroStatus) {
    const fs::path dir = freshDirectory("fail");
    const fs::path broken = dir / "broken.lwo";
    writeBytes(broken, kzotest::Bytes().str("FORM", false).u32be(1000).str("LWOB", false));
    const fs::path png = dir / "never.png";

    const ProgramRun snapshot = runKzoview({"--snapshot", QString::fromStdString(png.string()),
                                            QString::fromStdString(broken.string())});
    EXPECT_EQ(snapshot.exitCode, 1);
    EXPECT_EQ(snapshot.err.rfind("ERROR: ", 0), 0u) << snapshot.err;
    EXPECT_FALSE(fs::exists(png));

    const ProgramRun info = runKzoview({"--info", QString::fromStdString(broken.string())});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_TRUE(info.out.empty());

    // The window mode reports the failure too, instead of ending as a success.
    const ProgramRun window = runKzoview({"model.txt"});
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_EQ(window.err, "ERROR: 'model.txt' is not supported file format\n");

    // A message that the box shows without the file's name still names it on
    // standard error; a directory is named as one.
    const fs::path empty = dir / "empty.kzo";
    writeBytes(empty, kzotest::kzoFile({}));
    const ProgramRun zero = runKzoview({"--info", QString::fromStdString(empty.string())});
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_EQ(zero.err,
              "ERROR: '" + empty.string() + "': Object vertex count or face count is zero !!!\n");
    fs::create_directory(dir / "folder.3ds");
    const ProgramRun folder =
        runKzoview({"--info", QString::fromStdString((dir / "folder.3ds").string())});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err, "ERROR: '" + (dir / "folder.3ds").string() + "' is a directory\n");
}

// Models of other formats through the stand-in reader of
// tests/modelimport/fault_model_reader.cpp, which crashes or loops on request.
TEST(KzoviewProgram, aModelWhoseReaderFailsOrThatNamesFilesOutsideItsFolderIsItsError) {
    const fs::path dir = freshDirectory("reader");
    const auto write = [&](const std::string& name, const std::string& text) {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << text;
        return QString::fromStdString((dir / name).string());
    };
    const QString crash = write("crash.obj", "kzo-test-fault: crash\n");
    const QString loop = write("loop.obj", "kzo-test-fault: loop\n");
    write("shared/x.mtl", "newmtl red\nKd 1 0 0\n");
    const QString up = write("models/up.obj", "mtllib ../shared/x.mtl\nv 0 0 0\nv 1 0 0\n"
                                              "v 0 1 0\nusemtl red\nf 1 2 3\n");
    const fs::path png = dir / "never.png";
    setenv("KZO_MODULE_DIR", KZO_FAULT_READER_DIR, 1);

    const ProgramRun info = runKzoview({"--info", crash});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, "ERROR: LoadModel: (" + crash.toStdString() +
                            ") the model reader crashed (signal 11)\n\n");
    const ProgramRun snapshot = runKzoview(
        {"--snapshot", QString::fromStdString(png.string()), "--reader-timeout", "1", loop});
    EXPECT_EQ(snapshot.exitCode, 1);
    EXPECT_EQ(snapshot.err, "ERROR: LoadModel: (" + loop.toStdString() +
                                ") the model reader took longer than 1 s\n\n");
    EXPECT_FALSE(fs::exists(png));

    const ProgramRun refused = runKzoview({"--info", up});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("names '../shared/x.mtl' outside its folder"), std::string::npos)
        << refused.err;
    const ProgramRun admitted = runKzoview(
        {"--info", "--search-path", QString::fromStdString((dir / "shared").string()), up});
    EXPECT_EQ(admitted.exitCode, 0) << admitted.err;
    EXPECT_EQ(admitted.out, "up.obj 1 faces 3 vertices\n");
    unsetenv("KZO_MODULE_DIR");
}

TEST(KzoviewProgram, endsAtOnceWithoutAFileAndRefusesBadOptions) {
    EXPECT_EQ(runKzoview({}).exitCode, 0);
    EXPECT_EQ(runKzoview({"\"\""}).exitCode, 0);
    const ProgramRun bad = runKzoview({"--snapshot", "out.png", "--size", "wide", "a.kzo"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--size"), std::string::npos);
}

TEST(KzoviewProgram, followsTheToolChainsCommandLineConvention) {
    ProgramRun run = runKzoview({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("Usage: kzoview FILE\n", 0), 0u) << run.out;
    run = runKzoview({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "kzRHO Object Viewer v1.0\n");

    // Options in any order, "--opt=value", and a file named with a leading '-'
    // after "--".
    const fs::path dir = freshDirectory("convention");
    fs::copy_file(writeSample(dir), dir / "-sample.lwo");
    run = runKzoview({"--size=40x30", "--snapshot",
                      QString::fromStdString((dir / "t.png").string()), "--", "-sample.lwo"},
                     dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(QImage(QString::fromStdString((dir / "t.png").string()), "PNG").size(),
              QSize(40, 30));

    for (const QStringList& bad :
         {QStringList{"--bogus", "a.kzo"}, QStringList{"-sample.lwo"},
          QStringList{"--info", "--size=40x30", "a.kzo"}, QStringList{"--info=1", "a.kzo"}}) {
        run = runKzoview(bad, dir);
        EXPECT_EQ(run.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_NE(run.err.find("Try 'kzoview --help'."), std::string::npos) << run.err;
    }
}

TEST(KzoviewProgram, theWindowWithoutADisplayIsRefusedWithAReason) {
    const fs::path dir = freshDirectory("no_display");
    const QStringList sample = {QString::fromStdString(writeSample(dir).string())};
    ProgramRun run = runKzoview(sample);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "no display: use --snapshot or --info\n");
    // A display that is named but does not answer.
    run = runKzoview(sample, {}, ":65000");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no display: use --snapshot or --info\n"), std::string::npos) << run.err;
}

TEST(KzoviewForm, paintShowsTheDrawnFrameAndADragTurnsTheMesh) {
    // Lives for this test only: a static one would outlive Qt's own statics.
    int argc = 1;
    char name[] = "kzoview_app_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    const fs::path dir = freshDirectory("form");
    const fs::path sample = writeSample(dir);
    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile(sample.string(), doc);
    kzoview::ViewCommand command;
    command.file = sample.string();
    kzoview::ViewSession session;
    ASSERT_EQ(kzoview::openSession(session, doc.mesh, command), "");
    kzoview::TForm1 form(session, QString::fromStdString(doc.captionText));
    EXPECT_EQ(form.windowTitle().toStdString(), doc.captionText);
    EXPECT_EQ(form.size(), QSize(kzoview::kFormClientWidth, kzoview::kFormClientHeight));

    const QImage shown = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, asRgb32(expectedFirstFrame(sample, form.width(), form.height())));

    // S shows the shaded view a --shaded snapshot shows, and S again the wireframe.
    kzoview::ViewerDocument shadedDoc;
    kzoview::LoadObjectFile(sample.string(), shadedDoc);
    kzoview::ViewSession shadedSession;
    command.shaded = true;
    ASSERT_EQ(kzoview::openSession(shadedSession, shadedDoc.mesh, command), "");
    QKeyEvent s(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s");
    QApplication::sendEvent(&form, &s);
    EXPECT_EQ(form.grab().toImage().convertToFormat(QImage::Format_RGB32),
              asRgb32(kzoview::renderSnapshot(shadedSession, form.width(), form.height())));
    QApplication::sendEvent(&form, &s);
    EXPECT_EQ(form.grab().toImage().convertToFormat(QImage::Format_RGB32), shown);

    const float x = doc.mesh.vertexArray[1].x;
    const float z = doc.mesh.vertexArray[1].z;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(600, 100), QPointF(600, 100),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(88, 100), QPointF(88, 100), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(88, 100), QPointF(88, 100),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &press);
    QApplication::sendEvent(&form, &move);
    QApplication::sendEvent(&form, &release);
    form.grab(); // paints, and the paint turns the vertices
    EXPECT_NEAR(doc.mesh.vertexArray[1].x, -x, 1e-5f);
    EXPECT_NEAR(doc.mesh.vertexArray[1].z, -z, 1e-5f);

    // Wherever the platform would put it, the window opens inside the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    form.move(area.right() - 40, area.bottom() - 40);
    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(form.frameGeometry()));
}

// The error boxes of three loaders are partly Korean; without a font that
// covers Hangul on the machine they show empty boxes.
TEST(KzoviewForm, koreanErrorTextsHaveAFontOnTheMachine) {
    int argc = 1;
    char name[] = "kzoview_app_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    const auto failureOf = [](const std::function<void()>& load) {
        try {
            load();
        } catch (const kzoview::FatalError& error) {
            return QString::fromUtf8(error.what());
        }
        return QString();
    };
    kzoview::ViewerDocument doc;
    const std::vector<std::uint8_t> notA3ds = {0x34, 0x12, 0, 0, 0, 0};
    kzotest::KzoInput oldVersion;
    oldVersion.version = 15;
    const kzotest::Bytes oldKzo = kzotest::kzoFile(oldVersion);
    const QStringList messages = {
        failureOf([&] { kzoview::Load3DSBytes(notA3ds, "a.3ds", doc); }),
        failureOf([&] { kzoview::LoadKZOBytes(oldKzo.data, "a.kzo", doc); }),
        failureOf([&] { kzoview::LoadObjectFile("/nonexistent/a.lwo", doc); }),
    };

    QList<QRawFont> hangulFonts;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Korean)) {
        const QRawFont font = QRawFont::fromFont(QFont(family), QFontDatabase::Korean);
        if (font.isValid() && font.supportsCharacter(0xD55C)) {
            hangulFonts.append(font);
        }
    }
    ASSERT_FALSE(hangulFonts.isEmpty()) << "no font family covers U+D55C";
    for (const QString& message : messages) {
        ASSERT_FALSE(message.isEmpty());
        for (const char32_t c : message.toUcs4()) {
            if (c >= 0xAC00 && c <= 0xD7A3) {
                EXPECT_TRUE(std::any_of(hangulFonts.begin(), hangulFonts.end(),
                                        [c](const QRawFont& f) { return f.supportsCharacter(c); }))
                    << message.toStdString();
            }
        }
    }
}

// A window manager frames a window a moment after it appears; what waits for
// the frame runs then, once, and puts the frame inside the screen.
TEST(WindowPlacement, aWindowIsPlacedAgainOnceItIsFramed) {
    int argc = 1;
    char name[] = "kzoview_app_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    QWidget window;
    window.resize(300, 200);
    window.move(100000, 100000);
    int calls = 0;
    kzo::whenFramed(window, [&] {
        ++calls;
        kzo::keepInsideScreen(window);
    });
    QApplication::processEvents();
    EXPECT_EQ(calls, 0) << "never shown, never framed";

    window.show();
    for (int pass = 0; pass < 10 && calls == 0; ++pass) {
        QApplication::processEvents();
    }
    EXPECT_EQ(calls, 1);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    window.move(50, 50);
    QApplication::processEvents();
    EXPECT_EQ(calls, 1) << "once";
}
