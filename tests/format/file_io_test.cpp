#include "format/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path freshDirectory(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("kzo_file_io_" + name);
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

TEST(FileIo, readRefusesMissingFilesAndDirectories) {
    std::vector<std::uint8_t> bytes = {7};
    EXPECT_FALSE(kzo::readFileBytes("/nonexistent/kzo/file", bytes));
    EXPECT_FALSE(kzo::readFileBytes(fs::temp_directory_path().string(), bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{7}));
}
