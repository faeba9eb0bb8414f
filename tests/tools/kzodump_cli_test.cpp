// The kzodump program itself: exit statuses and where its lines go.
#include "tests/tools/engine_file_bytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kzotest;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

class KzodumpCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kzodump_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data.data()), std::streamsize(bytes.size()));
        return path.string();
    }

    Outcome run(const std::string& args) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        // From inside the test's directory, so that files can be named by relative paths.
        const std::string command = "cd " + dir_.string() + " && " + KZODUMP_PATH + " " + args +
                                    " >" + out.string() + " 2>" + err.string();
        Outcome r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }

    static std::string slurp(const fs::path& path) {
        std::ostringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    }

    fs::path dir_;
};

} // namespace

TEST_F(KzodumpCli, checkReportsEachFileAndFailsWhenAnyFails) {
    const std::string good = write("good.kzo", kzoBytes(twoTriangles()));
    const std::string bad = write("bad.KZO", kzoBytes(twoTriangles()).u8(0));
    Outcome r = run("--check " + good);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "'" + good + "' OK\n");

    r = run("--check " + bad + " " + good);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("'" + bad + "' byte 176: "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("'" + good + "' OK"), std::string::npos) << "later files still checked";
}

TEST_F(KzodumpCli, printsTextJsonAndSummary) {
    const std::string file = write("lights.kzl", kzlBytes({LightDraft{.type = 1}}));
    Outcome r = run(file);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("'" + file + "' (kzl, 52 bytes)\nlights 1\nlight 0: type 1 point\n", 0),
              0u)
        << r.out;
    r = run("--json " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("{\"file\":", 0), 0u) << r.out;
    r = run("--summary " + file);
    EXPECT_EQ(r.out, "'" + file + "' (kzl, 52 bytes)\n1 light\n");
}

TEST_F(KzodumpCli, kindOptionOverridesTheExtension) {
    const std::string file = write("motion.bin", motBytes(30, {}));
    Outcome r = run(file);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown file kind"), std::string::npos) << r.err;
    r = run("--kind mot " + file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("last frame 30"), std::string::npos);
}

TEST_F(KzodumpCli, followsTheToolChainsCommandLineConvention) {
    Outcome r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: kzodump", 0), 0u) << r.out;
    r = run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kzodump v1.0\n");

    // --opt=value as --opt value; after "--" a name starting with '-' is a file.
    write("-motion.bin", motBytes(30, {}));
    r = run("--kind=mot --summary -- -motion.bin");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "'-motion.bin' (mot, 8 bytes)\nlast frame: 30\n0 motion blocks\n0 keys\n");

    for (const char* bad : {"--kind", "--kind=obj x.kzo", "--json=1 x.kzo", "-x x.kzo"}) {
        r = run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("Try 'kzodump --help'."), std::string::npos) << bad << r.err;
        EXPECT_EQ(r.out, "") << bad;
    }
}

TEST_F(KzodumpCli, badInputAndBadCommandLinesFailCleanly) {
    Bytes oneBlockMissing = motBytes(30, {});
    oneBlockMissing.data[4] = 1;
    const std::string truncated = write("cut.mot", oneBlockMissing);
    Outcome r = run(truncated);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("'" + truncated + "' byte 8: "), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // A header no file can have fails in every mode, the summary too.
    KzoDraft impossible = twoTriangles();
    impossible.counts = {0, 1, INT32_MIN, 2, 0};
    const std::string header = write("impossible.kzo", kzoBytes(impossible));
    for (const char* mode : {"--summary ", "--check ", ""}) {
        r = run(mode + header);
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_NE(r.err.find("'" + header + "' byte 12: "), std::string::npos) << mode << r.err;
    }

    r = run((dir_ / "missing.kzo").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read the file: No such file or directory"), std::string::npos);
    // A device is not read without end, a FIFO not waited on.
    fs::create_symlink("/dev/zero", dir_ / "zero.kzo");
    ASSERT_EQ(::mkfifo((dir_ / "fifo.kzo").c_str(), 0600), 0);
    for (const char* name : {"zero.kzo", "fifo.kzo"}) {
        r = run(std::string("--check ") + name);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, "kzodump: '" + std::string(name) +
                             "': cannot read the file: not a regular file\n");
    }
    fs::create_directory(dir_ / "folder");
    for (const char* options : {"", "--kind kzo ", "--check "}) {
        r = run(std::string(options) + "folder");
        EXPECT_EQ(r.status, 1) << options;
        EXPECT_EQ(r.err, "kzodump: 'folder': is a directory\n") << options;
    }
    EXPECT_EQ(run("--frobnicate x.kzo").status, 2);
    EXPECT_EQ(run("--json --check x.kzo").status, 2);
    EXPECT_EQ(run("--kind obj x.kzo").status, 2);
    EXPECT_EQ(run("").status, 2);
}
