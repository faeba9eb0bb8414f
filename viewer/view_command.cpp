#include "viewer/view_command.h"

#include <charconv>

namespace kzoview {

std::string fileFromCommandLine(const std::string& text) {
    std::string name = text;
    if (!name.empty() && name.front() == '"') {
        name.erase(0, 1);
    }
    if (!name.empty() && name.back() == '"') {
        name.pop_back();
    }
    return name;
}

namespace {

bool parseSide(const std::string& text, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kMaxSnapshotSide) {
        return false;
    }
    out = value;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) &&
           parseSide(text.substr(x + 1), height);
}

ViewCommand invalid(std::string why) {
    ViewCommand c;
    c.mode = ViewMode::Invalid;
    c.error = std::move(why);
    return c;
}

ViewCommand parseSnapshot(const std::vector<std::string>& args) {
    ViewCommand c;
    c.mode = ViewMode::Snapshot;
    std::size_t i = 1;
    if (i >= args.size()) {
        return invalid("--snapshot needs an output file");
    }
    c.snapshotPath = args[i++];
    if (i < args.size() && args[i] == "--size") {
        if (i + 1 >= args.size() || !parseSize(args[i + 1], c.width, c.height)) {
            return invalid("--size needs WIDTHxHEIGHT, each 1 to " +
                           std::to_string(kMaxSnapshotSide));
        }
        i += 2;
    }
    if (i + 1 != args.size()) {
        return invalid("--snapshot needs exactly one object file after its options");
    }
    c.file = args[i];
    return c;
}

} // namespace

ViewCommand parseViewCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        return {};
    }
    if (args[0] == "--snapshot") {
        return parseSnapshot(args);
    }
    if (args[0] == "--info") {
        if (args.size() != 2) {
            return invalid("--info needs exactly one object file");
        }
        ViewCommand c;
        c.mode = ViewMode::Info;
        c.file = args[1];
        return c;
    }
    std::string text = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        text += ' ';
        text += args[i];
    }
    ViewCommand c;
    c.file = fileFromCommandLine(text);
    c.mode = c.file.empty() ? ViewMode::Nothing : ViewMode::Window;
    return c;
}

} // namespace kzoview
