// Writes the file extensions the import library reads, one quoted C++ string
// literal a line, sorted: the list the programs ask (model_extensions.cpp),
// made when they are built, so that asking never loads the library.
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT\n";
        return 2;
    }
    aiString list;
    Assimp::Importer().GetExtensionList(list);
    // "*.3ds;*.obj;..."
    std::set<std::string> extensions;
    const std::string text = list.C_Str();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        end = end == std::string::npos ? text.size() : end;
        std::string item = text.substr(start, end - start);
        item.erase(0, item.find_first_not_of("*."));
        std::transform(item.begin(), item.end(), item.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // The programs ask for the text after a name's last dot.
        if (!item.empty() && item.find_first_of(".\"\\") == std::string::npos) {
            extensions.insert(item);
        }
        start = end + 1;
    }
    std::ofstream out(argv[1]);
    for (const std::string& extension : extensions) {
        out << '"' << extension << "\",\n";
    }
    out.close();
    return out ? 0 : 1;
}
