#include "converter/encode/dependency_file.h"

#include <algorithm>

namespace kzo {

std::string escapeForMake(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == ' ' || c == '\t' || c == '#' || c == ':') {
            // A backslash run before the escape would otherwise swallow it.
            for (std::size_t j = i; j > 0 && path[j - 1] == '\\'; --j) {
                out += '\\';
            }
            out += '\\';
        } else if (c == '$') {
            out += '$';
        }
        out += c;
    }
    return out;
}

std::string whyMakeCannotName(const std::string& path) {
    for (const char c : path) {
        switch (c) {
        case '\n':
        case '\r':
            return "make reads a line break as the end of the rule";
        case '\t':
            return "make reads a tab in a target as a separator, escaped or not";
        case ';':
            return "make reads ';' as the start of a recipe";
        case '=':
            return "make reads a line with '=' as a variable assignment";
        case '|':
            return "make reads '|' as the start of order-only prerequisites";
        case '%':
            return "make reads a name with '%' as a pattern";
        default:
            break;
        }
    }
    // Before the line's end or the ':' of an empty rule, make reads it as an
    // escape; no doubling reads back the same in both places.
    if (!path.empty() && path.back() == '\\') {
        return "make reads a backslash at the end of a name as an escape";
    }
    return {};
}

std::string makeDependencyRule(const std::vector<std::string>& targets,
                               const std::vector<std::string>& prerequisites) {
    std::vector<std::string> unique;
    for (const std::string& p : prerequisites) {
        if (std::find(unique.begin(), unique.end(), p) == unique.end()) {
            unique.push_back(p);
        }
    }
    std::string rule;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        rule += (i ? " " : "") + escapeForMake(targets[i]);
    }
    rule += ":";
    for (const std::string& p : unique) {
        rule += " \\\n  " + escapeForMake(p);
    }
    rule += "\n";
    for (std::size_t i = 1; i < unique.size(); ++i) {
        rule += "\n" + escapeForMake(unique[i]) + ":\n";
    }
    return rule;
}

std::string dependencyFilePath(const std::string& kzoPath) {
    return kzoPath + ".d";
}

namespace {

// Control characters as escapes, so that the message stays one line.
std::string visiblePath(const std::string& path) {
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            static const char kHex[] = "0123456789ABCDEF";
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

OutputFile dependencyFile(const std::vector<OutputFile>& outputs, const std::string& input,
                          const std::vector<std::string>& filesRead, const std::string& kzoPath,
                          const MessageSink& sink) {
    std::vector<std::string> targets;
    for (const OutputFile& file : outputs) {
        targets.push_back(file.path);
    }
    std::vector<std::string> prerequisites{input};
    prerequisites.insert(prerequisites.end(), filesRead.begin(), filesRead.end());
    for (const std::vector<std::string>* paths : {&prerequisites, &targets}) {
        for (const std::string& path : *paths) {
            if (const std::string why = whyMakeCannotName(path); !why.empty()) {
                const std::string which = path == input ? "" : ": '" + visiblePath(path) + "'";
                fatalError(sink, "'%s'%s cannot be named in a dependency file: %s",
                           visiblePath(input).c_str(), which.c_str(), why.c_str());
            }
        }
    }
    const std::string rule = makeDependencyRule(targets, prerequisites);
    return OutputFile{dependencyFilePath(kzoPath),
                      std::vector<std::uint8_t>(rule.begin(), rule.end())};
}

} // namespace kzo
