#include "converter/encode/dependency_file.h"

#include <gmock/gmock.h>

using namespace kzo;

TEST(DependencyFile, escapesWhatMakeWouldReadOtherwise) {
    EXPECT_EQ(escapeForMake("out/my scene.kzo"), "out/my\\ scene.kzo");
    EXPECT_EQ(escapeForMake("a#1$b"), "a\\#1$$b");
    EXPECT_EQ(escapeForMake("shots/12:30.kzo"), "shots/12\\:30.kzo");
    EXPECT_EQ(escapeForMake("dir\\ x"), "dir\\\\\\ x");
    EXPECT_EQ(escapeForMake("dir\\#x\\:y"), "dir\\\\\\#x\\\\\\:y");
    EXPECT_EQ(escapeForMake("plain/path.3ds"), "plain/path.3ds");
}

TEST(DependencyFile, listsOutputsAsTargetsAndEveryFileReadOnce) {
    EXPECT_EQ(makeDependencyRule({"out/s.kzo", "out/s.mot"},
                                 {"scenes/s.lws", "scenes/Objects/a b.3ds", "scenes/box.3ds",
                                  "scenes/Objects/a b.3ds"}),
              "out/s.kzo out/s.mot: \\\n"
              "  scenes/s.lws \\\n"
              "  scenes/Objects/a\\ b.3ds \\\n"
              "  scenes/box.3ds\n"
              "\n"
              "scenes/Objects/a\\ b.3ds:\n"
              "\n"
              "scenes/box.3ds:\n");
}

TEST(DependencyFile, aPathThatMakeCannotReadBackIsAnErrorNamingItAndTheInput) {
    std::vector<std::string> messages;
    const MessageSink sink = [&](const std::string& line) { messages.push_back(line); };
    const auto refuse = [&](const std::string& input, const std::string& read,
                            const std::string& kzo) {
        messages.clear();
        EXPECT_THROW(dependencyFile({{kzo, {}}}, input, {read}, kzo, sink), FatalErrorSignal)
            << input << " " << read << " " << kzo;
        return messages.empty() ? std::string() : messages.back();
    };
    EXPECT_EQ(refuse("s.lws", "Objects/a\nb.lwo", "out/s.kzo"),
              "ERROR: 's.lws': 'Objects/a\\nb.lwo' cannot be named in a dependency file: make "
              "reads a line break as the end of the rule");
    EXPECT_EQ(refuse("a;b.3ds", "x.3ds", "out/a;b.kzo"),
              "ERROR: 'a;b.3ds' cannot be named in a dependency file: make reads ';' as the "
              "start of a recipe");
    EXPECT_EQ(refuse("s.lws", "x.3ds", "out/a=b.kzo"),
              "ERROR: 's.lws': 'out/a=b.kzo' cannot be named in a dependency file: make reads a "
              "line with '=' as a variable assignment");
    for (const char* bad : {"a|b", "100%", "a\tb", "a\rb", "dir\\"}) {
        EXPECT_THAT(refuse("s.lws", bad, "out/s.kzo"),
                    ::testing::HasSubstr("cannot be named in a dependency file"))
            << bad;
    }
    messages.clear();
    const OutputFile file =
        dependencyFile({{"out/s.kzo", {}}}, "s.lws", {"a\\b #1 (x).3ds"}, "out/s.kzo", sink);
    EXPECT_EQ(std::string(file.bytes.begin(), file.bytes.end()),
              "out/s.kzo: \\\n  s.lws \\\n  a\\b\\ \\#1\\ (x).3ds\n\na\\b\\ \\#1\\ (x).3ds:\n");
    EXPECT_TRUE(messages.empty());
}
