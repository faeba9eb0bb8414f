// kzomaker over models whose reader crashes, loops, allocates without end or
// replies with damage (the stand-in reader of tests/modelimport/
// fault_model_reader.cpp), and over models that name files outside their
// folder: one ERROR line each, nothing written for them, and the rest of the
// run converted, one file at a time or two.
#include "converter/app/command_line.h"
#include "format/system_calls.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/run_kzomaker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

using kzotest::CliRun;
using kzotest::kzomaker;
using kzotest::TempDir;

void writeText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

const char* const kTriangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

TEST(ModelReaderFaults, eachFailingReaderIsOneErrorLineAndTheRunGoesOn) {
    setenv("KZO_MODULE_DIR", KZO_FAULT_READER_DIR, 1);
    TempDir in;
    std::vector<std::string> files;
    std::string errors;
    auto add = [&](const std::string& name, const std::string& fault, const std::string& why) {
        files.push_back(in / name);
        writeText(files.back(), fault.empty() ? kTriangleObj : "kzo-test-fault: " + fault + "\n");
        if (!why.empty()) {
            errors += "ERROR: cannot read '" + files.back() + "': " + why + "\n";
        }
    };
    add("a.obj", "", "");
    add("crash.obj", "crash", "the model reader crashed (signal 11)");
    add("b.obj", "", "");
    add("loop.obj", "loop", "the model reader took longer than 1 s");
    add("garbage.obj", "garbage",
        "the model reader sent a malformed reply: this is not a model reply");
    add("abort.obj", "abort", "the model reader aborted (signal 6)");
    std::size_t failing = 4;
    if (kzo::sys::writableMemoryLimited()) {
        add("allocate.obj", "allocate", "the model reader needed more than 64 MiB");
        ++failing;
    }
    add("c.obj", "", "");

    for (const char* jobs : {"1", "2"}) {
        TempDir out;
        std::vector<std::string> args = {"-j", jobs, "--reader-timeout", "1", "--reader-memory",
                                         "64", "-o", out.path().string()};
        args.insert(args.end(), files.begin(), files.end());
        const CliRun r = kzomaker(args);
        EXPECT_EQ(r.status, 1) << jobs;
        EXPECT_EQ(r.err, errors) << jobs;
        EXPECT_TRUE(r.out.ends_with(std::to_string(files.size()) + " files: 3 converted, " +
                                    std::to_string(failing) + " failed, 0 rejected\n"))
            << r.out;
        EXPECT_EQ(kzotest::listDirectory(out.path()),
                  (std::vector<std::string>{"a.kzo", "b.kzo", "c.kzo"}))
            << jobs;
    }
    unsetenv("KZO_MODULE_DIR");
}

TEST(ModelReaderFaults, aModelNamingAFileOutsideItsFolderIsRefusedUnlessASearchPathAdmitsIt) {
    TempDir dir, out;
    writeText(dir / "shared/x.mtl", "newmtl red\nKd 1 0 0\n");
    const std::string model = dir / "models/up.obj";
    writeText(model, std::string("mtllib ../shared/x.mtl\nusemtl red\n") + kTriangleObj);

    CliRun r = kzomaker({"-q", "-o", out.path().string(), model});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: cannot read '" + model +
                         "': names '../shared/x.mtl' outside its folder: the files a model names "
                         "are read only from its folder or below a --search-path directory\n");
    EXPECT_TRUE(kzotest::listDirectory(out.path()).empty());

    r = kzomaker({"-q", "--deps", "--search-path", dir / "elsewhere", "--search-path",
                  dir / "shared", "-o", out.path().string(), model});
    EXPECT_EQ(r.status, 2) << "no such directory";
    EXPECT_EQ(r.err, "kzomaker: --search-path '" + (dir / "elsewhere") +
                         "' is not a directory\nTry 'kzomaker --help'.\n");
    std::filesystem::create_directories(dir / "elsewhere");
    r = kzomaker({"-q", "--deps", "--search-path", dir / "elsewhere", "--search-path",
                  dir / "shared", "-o", out.path().string(), model});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kzotest::listDirectory(out.path()), (std::vector<std::string>{"up.kzo", "up.kzo.d"}));
    const std::vector<std::uint8_t> deps = kzotest::readBytes(out / "up.kzo.d");
    EXPECT_NE(std::string(deps.begin(), deps.end()).find("shared/x.mtl"), std::string::npos);
}

} // namespace
