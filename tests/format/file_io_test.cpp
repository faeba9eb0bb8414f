#include "format/file_io.h"
#include "format/system_calls.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path freshDirectory(const std::string& name) {
    fs::path dir = fs::temp_directory_path() /
                   ("kzo_file_io_" + name + "_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace

TEST(FileIo, writesAllFilesAndLeavesNoTemporaries) {
    const fs::path dir = freshDirectory("ok");
    const std::vector<kzo::OutputFile> files = {{(dir / "a.kzo").string(), {1, 2, 3}},
                                                {(dir / "a.mot").string(), {}}};
    EXPECT_EQ(kzo::writeFilesAtomically(files), "");
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kzo::readFileBytes((dir / "a.kzo").string(), bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_TRUE(kzo::readFileBytes((dir / "a.mot").string(), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(FileIo, failedSetLeavesOlderFilesUntouched) {
    const fs::path dir = freshDirectory("fail");
    {
        std::ofstream old(dir / "a.kzo", std::ios::binary);
        old << "old";
    }
    const std::vector<kzo::OutputFile> files = {{(dir / "a.kzo").string(), {9}},
                                                {(dir / "missing" / "a.cam").string(), {9}}};
    EXPECT_EQ(kzo::writeFilesAtomically(files), (dir / "missing" / "a.cam").string());
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kzo::readFileBytes((dir / "a.kzo").string(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(FileIo, aDirectoryInTheWayOfALaterFileStopsTheWholeSet) {
    const fs::path dir = freshDirectory("directory");
    {
        std::ofstream old(dir / "a.kzo", std::ios::binary);
        old << "old";
    }
    fs::create_directory(dir / "a.kzl");
    const std::vector<kzo::OutputFile> files = {{(dir / "a.kzo").string(), {9}},
                                                {(dir / "a.kzl").string(), {9}}};
    EXPECT_EQ(kzo::writeFilesAtomically(files), (dir / "a.kzl").string());
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kzo::readFileBytes((dir / "a.kzo").string(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");
    EXPECT_TRUE(fs::is_directory(dir / "a.kzl"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(FileIo, readsOnlyRegularFilesAndSaysWhy) {
    const fs::path dir = freshDirectory("regular");
    std::vector<std::uint8_t> bytes = {7};
    auto refused = [&bytes](const fs::path& path) {
        const std::optional<kzo::ReadFailure> failure = kzo::readFile(path.string(), bytes);
        return failure ? failure->reason : std::string("read");
    };
    EXPECT_EQ(refused("/nonexistent/kzo/file"), "No such file or directory");
    EXPECT_EQ(refused(dir), "Is a directory");
    // A device would be read without end, a FIFO waited on for ever.
    fs::create_symlink("/dev/zero", dir / "zero.3ds");
    EXPECT_EQ(refused(dir / "zero.3ds"), "not a regular file");
    ASSERT_EQ(::mkfifo((dir / "fifo.kzo").c_str(), 0600), 0);
    EXPECT_EQ(refused(dir / "fifo.kzo"), "not a regular file");
    EXPECT_TRUE(kzo::readFile((dir / "fifo.kzo").string(), bytes)->notRegularFile);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{7}));
    EXPECT_FALSE(kzo::readFileBytes((dir / "zero.3ds").string(), bytes));

    std::ofstream(dir / "model.3ds", std::ios::binary) << "MM";
    fs::create_symlink(dir / "model.3ds", dir / "link.3ds");
    EXPECT_EQ(refused(dir / "link.3ds"), "read");
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'M', 'M'}));
}

TEST(FileIo, aFailedWriteEndsWithTheSystemsReason) {
    const fs::path dir = freshDirectory("reason");
    fs::create_directory(dir / "a.kzo");
    std::string reason;
    EXPECT_EQ(kzo::writeFilesAtomically({{(dir / "a.kzo").string(), {1}}}, &reason),
              (dir / "a.kzo").string());
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_NE(kzo::writeFilesAtomically({{(dir / "none" / "b.kzo").string(), {1}}}, &reason), "");
    EXPECT_EQ(reason, "No such file or directory");

    // A write that the system stops half-way: a file size limit in a child.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string why;
        kzo::writeFilesAtomically({{(dir / "big.kzo").string(), std::vector<std::uint8_t>(100)}},
                                  &why);
        ::_exit(why == "File too large" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "the half-written temporary file is removed";
}

TEST(FileIo, aReplacedFileKeepsItsPermissionBitsAndATakenTemporaryNameIsPassedOver) {
    const fs::path dir = freshDirectory("modes");
    const auto modeOf = [](const fs::path& p) {
        return fs::status(p).permissions() & fs::perms::all;
    };
    for (const fs::perms mode : {fs::perms(0444), fs::perms(0640), fs::perms(0755)}) {
        const fs::path target = dir / "a.kzo";
        fs::remove(target);
        { std::ofstream(target) << "old"; }
        fs::permissions(target, mode);
        ASSERT_EQ(kzo::writeFilesAtomically({{target.string(), {7}}}), "");
        EXPECT_EQ(modeOf(target), mode);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(kzo::readFileBytes(target.string(), bytes));
        EXPECT_EQ(bytes, std::vector<std::uint8_t>{7});
    }
    const ::mode_t umask = ::umask(022);
    ASSERT_EQ(kzo::writeFilesAtomically({{(dir / "new.kzo").string(), {1}}}), "");
    EXPECT_EQ(modeOf(dir / "new.kzo"), fs::perms(0644));
    ::umask(umask);

    // Names that this process would take first (its counter starts at 0 in a
    // test run alone), left by an earlier process with the same id.
    const std::string stem =
        ".b.kzo.tmp-" + kzo::sys::hostName() + "-" + std::to_string(kzo::sys::processId()) + "-";
    for (int n = 0; n < 50; ++n) {
        std::ofstream(dir / (stem + std::to_string(n))) << "left";
    }
    ASSERT_EQ(kzo::writeFilesAtomically({{(dir / "b.kzo").string(), {2}}}), "");
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kzo::readFileBytes((dir / "b.kzo").string(), bytes));
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{2});
    for (int n = 0; n < 50; ++n) {
        ASSERT_TRUE(kzo::readFileBytes((dir / (stem + std::to_string(n))).string(), bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "left");
    }
}
