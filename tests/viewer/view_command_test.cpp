#include "viewer/view_command.h"

#include <gtest/gtest.h>

using kzoview::parseViewCommand;
using kzoview::ViewMode;

TEST(ViewCommand, noFileMeansEndAtOnce) {
    EXPECT_EQ(parseViewCommand({}).mode, ViewMode::nothing);
    EXPECT_EQ(parseViewCommand({"\"\""}).mode, ViewMode::nothing);
    EXPECT_EQ(parseViewCommand({"\""}).mode, ViewMode::nothing);
}

TEST(ViewCommand, wholeCommandLineIsOnePathWithoutItsQuotes) {
    const auto quoted = parseViewCommand({"\"C:\\my", "objects\\ship.kzo\""});
    EXPECT_EQ(quoted.mode, ViewMode::window);
    EXPECT_EQ(quoted.file, "C:\\my objects\\ship.kzo");
    EXPECT_EQ(parseViewCommand({"my", "ship.kzo"}).file, "my ship.kzo");
    EXPECT_EQ(parseViewCommand({"objects/ship \"two\".kzo"}).file, "objects/ship \"two\".kzo");
    EXPECT_EQ(parseViewCommand({"\"ship.kzo"}).file, "ship.kzo");
}

TEST(ViewCommand, snapshotTakesOutputOptionalSizeAndOneFile) {
    const auto sized = parseViewCommand({"--snapshot", "out.png", "--size", "64x48", "a b.lwo"});
    EXPECT_EQ(sized.mode, ViewMode::snapshot);
    EXPECT_EQ(sized.snapshotPath, "out.png");
    EXPECT_EQ(sized.file, "a b.lwo");
    EXPECT_EQ(sized.width, 64);
    EXPECT_EQ(sized.height, 48);

    const auto plain = parseViewCommand({"--snapshot", "out.png", "ship.kzo"});
    EXPECT_EQ(plain.mode, ViewMode::snapshot);
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
        EXPECT_EQ(c.mode, ViewMode::invalid) << bad.size();
        EXPECT_FALSE(c.error.empty());
    }
    EXPECT_EQ(parseViewCommand({"--info", "ship.kzo"}).mode, ViewMode::info);
}

TEST(ViewCommand, optionsFollowTheToolChainsConvention) {
    const auto any = parseViewCommand({"a.kzo", "--size=8x6", "--snapshot=out.png"});
    EXPECT_EQ(any.mode, ViewMode::snapshot);
    EXPECT_EQ(any.file, "a.kzo");
    EXPECT_EQ(any.snapshotPath, "out.png");
    EXPECT_EQ(any.width, 8);
    const auto dashed = parseViewCommand({"--", "-ship.kzo"});
    EXPECT_EQ(dashed.mode, ViewMode::window);
    EXPECT_EQ(dashed.file, "-ship.kzo");
    EXPECT_EQ(parseViewCommand({"--help"}).mode, ViewMode::help);
    EXPECT_EQ(parseViewCommand({"-h", "a.kzo"}).mode, ViewMode::help);
    EXPECT_EQ(parseViewCommand({"--version"}).mode, ViewMode::version);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"my", "-ship.kzo"},
                                               {"--size", "8x6", "a.kzo"},
                                               {"--info", "--snapshot", "out.png", "a.kzo"},
                                               {"--", "a", "b.kzo"}}) {
        EXPECT_EQ(parseViewCommand(bad).mode, ViewMode::invalid) << bad[0];
    }
}

TEST(ViewCommand, viewOptionsGoWithTheWindowAndTheSnapshot) {
    const auto all = parseViewCommand({"--snapshot", "o.png", "--shaded", "--frame", "12", "--fps",
                                       "25", "--lights", "--scale=0.5", "s.kzo"});
    EXPECT_EQ(all.mode, ViewMode::snapshot);
    EXPECT_TRUE(all.shaded);
    EXPECT_TRUE(all.play); // a frame is asked for: the scene plays
    EXPECT_EQ(all.frame, 12);
    EXPECT_EQ(all.framesPerSecond, 25);
    EXPECT_TRUE(all.lights);
    EXPECT_FLOAT_EQ(all.lightScale, 0.5f);

    const auto plain = parseViewCommand({"--play", "s.kzo"});
    EXPECT_EQ(plain.mode, ViewMode::window);
    EXPECT_EQ(plain.frame, 0);
    EXPECT_EQ(plain.framesPerSecond, 30);
    EXPECT_FALSE(plain.shaded);
    EXPECT_FALSE(parseViewCommand({"--shaded", "s.kzo"}).play);
    EXPECT_TRUE(parseViewCommand({"--auto-shaded", "s.kzo"}).autoShaded);
    EXPECT_TRUE(plain.textures);
    EXPECT_FALSE(parseViewCommand({"--no-textures", "s.kzo"}).textures);
    // --textures, unlike the other options, gathers every value, in order.
    const auto searched =
        parseViewCommand({"--textures", "maps", "--shaded", "--textures=../shared", "s.kzo"});
    EXPECT_EQ(searched.file, "s.kzo");
    EXPECT_EQ(searched.textureDirectories, (std::vector<std::string>{"maps", "../shared"}));

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--frame", "-1", "s.kzo"},
                                               {"--frame", "x", "s.kzo"},
                                               {"--fps", "0", "--play", "s.kzo"},
                                               {"--fps", "1001", "--play", "s.kzo"},
                                               {"--fps", "30", "s.kzo"},
                                               {"--scale", "2", "s.kzo"},
                                               {"--lights", "--scale", "0", "s.kzo"},
                                               {"--lights", "--scale", "nan", "s.kzo"},
                                               {"--info", "--shaded", "s.kzo"},
                                               {"--info", "--auto-shaded", "s.kzo"},
                                               {"--info", "--textures", "maps", "s.kzo"},
                                               {"--info", "--no-textures", "s.kzo"},
                                               {"--no-textures", "--textures", "m", "s.kzo"},
                                               {"--textures=", "s.kzo"}}) {
        const auto c = parseViewCommand(bad);
        EXPECT_EQ(c.mode, ViewMode::invalid) << bad[0] << " " << bad[1];
        EXPECT_FALSE(c.error.empty());
    }
}
