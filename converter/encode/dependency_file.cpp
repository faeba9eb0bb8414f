#include "converter/encode/dependency_file.h"

#include <algorithm>

namespace kzo {

std::string escapeForMake(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == ' ' || c == '\t') {
            // A backslash run before a blank would otherwise swallow the escape.
            for (std::size_t j = i; j > 0 && path[j - 1] == '\\'; --j) {
                out += '\\';
            }
            out += '\\';
        } else if (c == '#' || c == ':') {
            out += '\\';
        } else if (c == '$') {
            out += '$';
        }
        out += c;
    }
    return out;
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

OutputFile dependencyFile(const std::vector<OutputFile>& outputs, const std::string& input,
                          const std::vector<std::string>& filesRead, const std::string& kzoPath) {
    std::vector<std::string> targets;
    for (const OutputFile& file : outputs) {
        targets.push_back(file.path);
    }
    std::vector<std::string> prerequisites{input};
    prerequisites.insert(prerequisites.end(), filesRead.begin(), filesRead.end());
    const std::string rule = makeDependencyRule(targets, prerequisites);
    return OutputFile{kzoPath + ".d", std::vector<std::uint8_t>(rule.begin(), rule.end())};
}

} // namespace kzo
