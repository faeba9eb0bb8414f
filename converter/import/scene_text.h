// A LightWave scene held in memory as lines, and the scanf-style parsing of
// those lines.
//
// The scene is read once and walked by cursors: each pass over it (lights,
// objects, motion, camera) starts its own cursor at the top, and readers that
// consume lines (an envelope's keys) advance the cursor they are given, so the
// caller's pass resumes behind what they consumed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kzo {

// A fault of a scene's text that ends its reading: the line (from 1) and what
// is wrong there.
struct SceneTextError {
    std::size_t line = 0;
    std::string what;
};

struct SceneText {
    std::string path;
    std::string text;
    // Views into text: one per line, without the line break; a line is cut at
    // its first NUL byte, as a C string would be.
    std::vector<std::string_view> lines;
};

// Splits bytes into lines on '\n', dropping a '\r' before it. Lines have no
// length limit.
SceneText makeSceneText(std::string path, std::string text);

struct LineCursor {
    const SceneText* scene = nullptr;
    std::size_t next = 0;

    bool atEnd() const { return next >= scene->lines.size(); }
    // The next line, or false at the end of the scene (then line is untouched).
    bool read(std::string_view& line) {
        if (atEnd()) {
            return false;
        }
        line = scene->lines[next++];
        return true;
    }
};

inline LineCursor startOf(const SceneText& scene) {
    return LineCursor{&scene, 0};
}

// A keyword is recognised by a case-sensitive comparison of its own length at
// the very start of the line ("LoadObject" also matches "LoadObjectLayer").
inline bool startsWithKeyword(std::string_view line, std::string_view keyword) {
    return line.substr(0, keyword.size()) == keyword;
}

// Reads lines until one starts with keyword; false when the scene ends first.
bool skipToKeyword(LineCursor& cursor, std::string_view keyword);

// scanf-style conversions over one line. Each conversion skips leading white
// space and parses one value; the first one that fails stops the scan, and it
// and every later conversion leave their targets untouched, so fields keep
// their defaults when a line holds fewer values than the format asks for.
class LineScanner {
public:
    explicit LineScanner(std::string_view text) : rest_(text) {}

    bool scan(std::int32_t& value); // "%d"; saturates at the int32 range
    bool scan(float& value);        // "%f"
    bool scan(std::string& token);  // "%s": a run of non-space characters
    bool ok() const { return ok_; }

private:
    void skipSpace();

    std::string_view rest_;
    bool ok_ = true;
};

// The text behind a keyword whose comparison matched, for the "<Keyword> %d"
// style formats.
inline LineScanner scanAfter(std::string_view line, std::string_view keyword) {
    return LineScanner(line.substr(keyword.size()));
}

// Parses up to n floats ("%f %f ...") into values; returns how many parsed.
int scanFloats(std::string_view line, float* values, int n);

} // namespace kzo
