#include "viewer/view_command.h"

#include <gtest/gtest.h>

using kzoview::parseViewCommand;
using kzoview::ViewMode;

TEST(ViewCommand, noFileMeansEndAtOnce) {
    EXPECT_EQ(parseViewCommand({}).mode, ViewMode::Nothing);
    EXPECT_EQ(parseViewCommand({"\"\""}).mode, ViewMode::Nothing);
    EXPECT_EQ(parseViewCommand({"\""}).mode, ViewMode::Nothing);
}

TEST(ViewCommand, wholeCommandLineIsOnePathWithoutItsQuotes) {
    const auto quoted = parseViewCommand({"\"C:\\my", "objects\\ship.kzo\""});
    EXPECT_EQ(quoted.mode, ViewMode::Window);
    EXPECT_EQ(quoted.file, "C:\\my objects\\ship.kzo");
    EXPECT_EQ(parseViewCommand({"my", "ship.kzo"}).file, "my ship.kzo");
    EXPECT_EQ(parseViewCommand({"objects/ship \"two\".kzo"}).file, "objects/ship \"two\".kzo");
    EXPECT_EQ(parseViewCommand({"\"ship.kzo"}).file, "ship.kzo");
}

TEST(ViewCommand, snapshotTakesOutputOptionalSizeAndOneFile) {
    const auto sized = parseViewCommand({"--snapshot", "out.png", "--size", "64x48", "a b.lwo"});
    EXPECT_EQ(sized.mode, ViewMode::Snapshot);
    EXPECT_EQ(sized.snapshotPath, "out.png");
    EXPECT_EQ(sized.file, "a b.lwo");
    EXPECT_EQ(sized.width, 64);
    EXPECT_EQ(sized.height, 48);

    const auto plain = parseViewCommand({"--snapshot", "out.png", "ship.kzo"});
    EXPECT_EQ(plain.mode, ViewMode::Snapshot);
    EXPECT_EQ(plain.width, kzoview::kFormClientWidth);
    EXPECT_EQ(plain.height, kzoview::kFormClientHeight);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--snapshot"},
             {"--snapshot", "out.png"},
             {"--snapshot", "out.png", "--size", "64x48"},
             {"--snapshot", "out.png", "--size", "0x48", "a.kzo"},
             {"--snapshot", "out.png", "--size", "64", "a.kzo"},
             {"--snapshot", "out.png", "--size", "64x48x2", "a.kzo"},
             {"--snapshot", "out.png", "--size", "99999x48", "a.kzo"},
             {"--snapshot", "out.png", "a.kzo", "b.kzo"},
             {"--info"},
             {"--info", "a.kzo", "b.kzo"}}) {
        const auto c = parseViewCommand(bad);
        EXPECT_EQ(c.mode, ViewMode::Invalid) << bad.size();
        EXPECT_FALSE(c.error.empty());
    }
    EXPECT_EQ(parseViewCommand({"--info", "ship.kzo"}).mode, ViewMode::Info);
}
