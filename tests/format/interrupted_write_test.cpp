// A write interrupted by SIGINT or SIGTERM, and what later writes do with the
// temporary files of processes that ended without cleaning up.
#include "format/file_io.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

int gReadyPipe = -1;

// The system stopped the write at the size limit: tell the test, then wait
// inside the write, with the temporary file half written, for its signal.
extern "C" void holdTheWrite(int) {
    const char ready = 'r';
    [[maybe_unused]] const ssize_t n = ::write(gReadyPipe, &ready, 1);
    for (;;) {
        ::pause();
    }
}

std::string hostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(const fs::path& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

} // namespace

TEST(InterruptedWrite, signalsRemoveTheTemporaryFilesAndLaterRunsTheStaleOnes) {
    // A directory of its own on every run: a process looks for stale files in
    // a directory only once.
    static int run = 0;
    const fs::path dir =
        fs::temp_directory_path() /
        ("kzo_interrupted_write_" + std::to_string(::getpid()) + "_" + std::to_string(run++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "a.kzo", std::ios::binary) << "old";
    const std::string host = hostName();

    pid_t ended = 0;
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            gReadyPipe = ready[1];
            ::alarm(60); // a child that is never ended fails the test instead of hanging it
            ::signal(SIGXFSZ, holdTheWrite);
            const rlimit limit{64, 64};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            kzo::writeFilesAtomically({{(dir / "a.kzo").string(), std::vector<std::uint8_t>(4096)},
                                       {(dir / "a.mot").string(), {1}}});
            ::_exit(3);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the child's write never reached the limit";
        ::close(ready[0]);

        const std::vector<std::string> during = namesIn(dir);
        ASSERT_EQ(during.size(), 2u);
        const std::string prefix = ".a.kzo.tmp-" + host + "-" + std::to_string(child) + "-";
        EXPECT_EQ(during[0].rfind(prefix, 0), 0u) << during[0];
        EXPECT_TRUE(std::all_of(during[0].begin() + long(prefix.size()), during[0].end(),
                                [](char c) { return c >= '0' && c <= '9'; }))
            << during[0];

        ASSERT_EQ(::kill(child, signalNumber), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber)
            << "ends by the signal itself, status " << status;
        EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"a.kzo"}));
        EXPECT_EQ(contentOf(dir / "a.kzo"), "old");
        ended = child;
    }

    // Left behind by an ended process of this host: removed by the next write
    // into the directory. Another host's, a running process's and names of
    // another shape stay.
    const std::string dead = std::to_string(ended);
    const std::vector<std::string> kept = {
        ".a.kzo.tmp-" + host + "x-" + dead + "-0",
        ".a.kzo.tmp-" + host + "-1-0",
        ".a.kzo.tmp-" + host + "-" + dead + "-x",
        "a.kzo.tmp-" + host + "-" + dead + "-0",
    };
    for (const std::string& name : kept) {
        std::ofstream(dir / name) << "x";
    }
    std::ofstream(dir / (".b.kzo.tmp-" + host + "-" + dead + "-7")) << "x";
    ASSERT_EQ(kzo::writeFilesAtomically({{(dir / "c.kzo").string(), {1}}}), "");
    std::vector<std::string> expected = kept;
    expected.push_back("a.kzo");
    expected.push_back("c.kzo");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir), expected);
    fs::remove_all(dir);
}
