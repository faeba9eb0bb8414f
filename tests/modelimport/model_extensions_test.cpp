// The programs' list of the extensions the import library reads, made when
// they are built, agrees with the library itself.
#include "modelimport/model_import.h"
#include "modelimport/module/read_model_file.h"

#include <assimp/Importer.hpp>

#include <gtest/gtest.h>

#include <cctype>

namespace {

TEST(ModelExtensionsTest, theBuiltListAnswersAsTheLibraryDoes) {
    aiString list;
    Assimp::Importer().GetExtensionList(list);
    std::vector<std::string> probes = {"", "txt", "kzo", "tar.gz", ".obj", "obj.", "GlTf", "OBJ"};
    const std::string text = list.C_Str();
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(';', start);
        end = end == std::string::npos ? text.size() : end;
        std::string extension = text.substr(start, end - start);
        extension.erase(0, extension.find_first_not_of("*."));
        probes.push_back(extension);
        for (char& c : extension) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        probes.push_back(extension + "x");
        probes.push_back(extension);
        start = end + 1;
    }
    ASSERT_GT(probes.size(), 100u);
    for (const std::string& probe : probes) {
        EXPECT_EQ(kzo::modelExtensionSupported(probe), kzo::libraryReadsExtension(probe)) << probe;
    }
    EXPECT_TRUE(kzo::modelExtensionSupported("gltf"));
    EXPECT_FALSE(kzo::modelExtensionSupported("txt"));
}

} // namespace
