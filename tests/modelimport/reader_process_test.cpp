// Reads through the model reader's processes, with the stand-in reader of
// fault_model_reader.cpp: a model whose text asks for a fault makes its read
// process crash, abort, loop, allocate without end or reply with damaged
// bytes. Each costs that read one error saying which, and the next read of
// the same thread is served again.
#include "format/system_calls.h"
#include "modelimport/model_import.h"
#include "tests/converter/temp_dir.h"
#include "tests/modelimport/full_record.h"
#include "tests/modelimport/imported_model_expect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

class ReaderProcessTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KZO_MODULE_DIR", KZO_FAULT_READER_DIR, 1); }
    void TearDown() override { unsetenv("KZO_MODULE_DIR"); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }
    std::string fault(const std::string& kind) {
        return write(kind + ".obj", "kzo-test-fault: " + kind + "\n");
    }
    std::string triangle() { return write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"); }

    kzotest::TempDir dir;
};

std::string failure(const std::string& path, const kzo::ModelReaderLimits& limits = {}) {
    try {
        kzo::readModelFile(path, {}, limits);
    } catch (const kzo::ModelImportError& e) {
        EXPECT_EQ(e.stage(), kzo::ModelErrorStage::read);
        return e.what();
    }
    return "read";
}

TEST_F(ReaderProcessTest, theRecordCrossesToTheReaderAndBackWholeEveryField) {
    kzo::ModelReadRequest request;
    request.workingDirectory = std::filesystem::current_path().string();
    request.path = fault("echo");
    request.options.hierarchy = true;
    request.options.motion = true;
    request.options.framesPerSecond = 24;
    request.options.searchPaths = {dir.path().string(), "/nowhere"};
    request.options.fit = {300, 200};
    const kzo::ImportedModel model = kzo::readModelFile(request.path, request.options);
    kzotest::expectSameRecord(model, kzotest::fullRecord(request));
}

TEST_F(ReaderProcessTest, aReaderThatFailsCostsOneErrorAndTheNextReadIsServed) {
    const std::string good = triangle();
    struct Case {
        std::string kind;
        kzo::ModelReaderLimits limits;
        std::string error;
    };
    std::vector<Case> cases = {
        {"crash", {}, "the model reader crashed (signal 11)"},
        {"abort", {}, "the model reader aborted (signal 6)"},
        {"loop", {0, 1}, "the model reader took longer than 1 s"},
        {"garbage", {}, "the model reader sent a malformed reply: this is not a model reply"},
        {"truncated", {}, "the model reader sent a malformed reply: "},
        {"bad-index",
         {},
         "the model reader sent a malformed reply: triangle 1 names a vertex twice or past the 4 "
         "vertices"},
        {"status", {}, "the model reader ended with status 7"},
    };
    if (kzo::sys::writableMemoryLimited()) {
        cases.push_back({"allocate", {64, 0}, "the model reader needed more than 64 MiB"});
    }
    for (const Case& c : cases) {
        const std::string error = failure(fault(c.kind), c.limits);
        EXPECT_TRUE(error.starts_with(c.error)) << c.kind << ": " << error;
        EXPECT_EQ(kzo::readModelFile(good).faceCount(), 1u) << "after " << c.kind;
    }
}

// A process that read a model cleanly takes the thread's next read with the
// same limits; a fault there is the file's only if a fresh process has it too.
TEST_F(ReaderProcessTest, aCleanReadsProcessServesTheNextAndAFaultThereIsReadAgainFresh) {
    const std::string good = triangle();
    ASSERT_EQ(kzo::readModelFile(good).faceCount(), 1u);
    EXPECT_EQ(failure(fault("only-if-reused")), "read");
    ASSERT_EQ(kzo::readModelFile(good).faceCount(), 1u);
    EXPECT_EQ(failure(fault("crash-if-reused")), "read");
    ASSERT_EQ(kzo::readModelFile(good).faceCount(), 1u);
    EXPECT_NE(failure(fault("only-if-reused"), {128, 30}).find("a fresh process"),
              std::string::npos);
}

} // namespace
