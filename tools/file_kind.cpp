#include "tools/file_kind.h"

#include <cctype>
#include <string>

namespace kzo::dump {

std::optional<FileKind> fileKindFromName(std::string_view name) {
    for (FileKind kind : {FileKind::kzo, FileKind::mot, FileKind::cam, FileKind::kzl}) {
        if (name == fileKindName(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::optional<FileKind> fileKindFromPath(std::string_view path) {
    if (path.size() < 3) {
        return std::nullopt;
    }
    std::string last(path.substr(path.size() - 3));
    for (char& c : last) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return fileKindFromName(last);
}

const char* fileKindName(FileKind kind) {
    switch (kind) {
    case FileKind::kzo:
        return "kzo";
    case FileKind::mot:
        return "mot";
    case FileKind::cam:
        return "cam";
    case FileKind::kzl:
        return "kzl";
    }
    return "";
}

} // namespace kzo::dump
