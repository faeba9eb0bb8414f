#include "format/module_loader.h"
#include "tests/converter/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

std::string loadFailure(const std::string& module, const std::string& symbol) {
    try {
        kzo::moduleSymbol(module, symbol);
    } catch (const kzo::ModuleError& e) {
        return e.what();
    }
    return "loaded";
}

TEST(ModuleLoaderTest, findsModulesInOrderAndWordsEveryFailure) {
    kzotest::TempDir dir;
    std::ofstream(dir / "garbage.so") << "not a shared object";
    ::setenv("KZO_MODULE_DIR", dir.path().c_str(), 1);
    const std::vector<std::string> dirs = kzo::moduleSearchDirectories();
    ASSERT_EQ(dirs.size(), 3u); // this test runs in the build tree
    EXPECT_EQ(dirs[0], dir.path().string());
    EXPECT_TRUE(dirs[1].ends_with("/../lib/kzo-tools")) << dirs[1];
    EXPECT_EQ(dirs[2], KZO_TEST_MODULE_DIR);

    EXPECT_EQ(loadFailure("absent.so", "x"), "cannot find module 'absent.so' in '" + dirs[0] +
                                                 "', '" + dirs[1] + "', '" + dirs[2] + "'");
    EXPECT_TRUE(loadFailure("garbage.so", "x")
                    .starts_with("cannot load module '" + (dir / "garbage.so") + "': "));
    // Found in the build tree, behind the two directories that lack it.
    const auto* value =
        static_cast<const int*>(kzo::moduleSymbol("kzo-test-module.so", "kzoTestModuleValue"));
    EXPECT_EQ(*value, 1234);
    EXPECT_EQ(loadFailure("kzo-test-module.so", "missingEntry"),
              "module 'kzo-test-module.so' has no entry 'missingEntry'");
    ::unsetenv("KZO_MODULE_DIR");
}

} // namespace
