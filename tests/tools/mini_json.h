// A minimal strict JSON reader for the tests: enough to parse kzodump's output
// back and look values up. Throws std::runtime_error on anything malformed,
// so a test that parses a document also proves it is valid JSON.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kzotest {

struct Json {
    enum class Type { null, boolean, number, string, array, object } type = Type::null;
    bool boolean = false;
    std::string text; // the number as written, or the string's value
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const {
        const auto it = members.find(key);
        if (type != Type::object || it == members.end()) {
            throw std::runtime_error("no member " + key);
        }
        return it->second;
    }
    const Json& operator[](std::size_t i) const {
        if (type != Type::array || i >= items.size()) {
            throw std::runtime_error("no item " + std::to_string(i));
        }
        return items[i];
    }
    bool isNull() const { return type == Type::null; }
    // Numbers read back as float the way a script would read them.
    float asFloat() const { return std::strtof(number().c_str(), nullptr); }
    long long asInt() const { return std::stoll(number()); }
    const std::string& number() const {
        if (type != Type::number) {
            throw std::runtime_error("not a number: " + text);
        }
        return text;
    }
};

class JsonParser {
public:
    explicit JsonParser(std::string_view s) : s_(s) {}

    Json document() {
        Json j = value();
        space();
        if (pos_ != s_.size()) {
            fail("text after the document");
        }
        return j;
    }

private:
    [[noreturn]] void fail(const std::string& why) {
        throw std::runtime_error("bad JSON at " + std::to_string(pos_) + ": " + why);
    }
    void space() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\t' || s_[pos_] == '\r')) {
            ++pos_;
        }
    }
    char peek() {
        space();
        if (pos_ >= s_.size()) {
            fail("unexpected end");
        }
        return s_[pos_];
    }
    void expect(char c) {
        if (peek() != c) {
            fail(std::string("expected ") + c);
        }
        ++pos_;
    }
    bool literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) == word) {
            pos_ += word.size();
            return true;
        }
        return false;
    }

    Json value() {
        Json j;
        const char c = peek();
        if (c == '{') {
            j.type = Json::Type::object;
            ++pos_;
            if (peek() == '}') {
                ++pos_;
                return j;
            }
            do {
                const std::string key = string();
                expect(':');
                if (!j.members.emplace(key, value()).second) {
                    fail("duplicate key " + key);
                }
            } while (peek() == ',' && ++pos_);
            expect('}');
        } else if (c == '[') {
            j.type = Json::Type::array;
            ++pos_;
            if (peek() == ']') {
                ++pos_;
                return j;
            }
            do {
                j.items.push_back(value());
            } while (peek() == ',' && ++pos_);
            expect(']');
        } else if (c == '"') {
            j.type = Json::Type::string;
            j.text = string();
        } else if (literal("true") || literal("false")) {
            j.type = Json::Type::boolean;
            j.boolean = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
        } else if (literal("null")) {
            j.type = Json::Type::null;
        } else {
            j.type = Json::Type::number;
            j.text = number();
        }
        return j;
    }

    std::string number() {
        const std::size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-') {
            ++pos_;
        }
        const std::size_t digits = pos_;
        while (pos_ < s_.size() &&
               std::string_view("0123456789.eE+-").find(s_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
        if (pos_ == digits || s_[digits] < '0' || s_[digits] > '9') {
            fail("not a value");
        }
        return std::string(s_.substr(start, pos_ - start));
    }

    std::string string() {
        expect('"');
        std::string out;
        while (true) {
            if (pos_ >= s_.size()) {
                fail("unterminated string");
            }
            const auto c = static_cast<unsigned char>(s_[pos_++]);
            if (c == '"') {
                return out;
            }
            if (c < 0x20) {
                fail("raw control character in string");
            }
            if (c != '\\') {
                out += char(c);
                continue;
            }
            const char e = pos_ < s_.size() ? s_[pos_++] : '\0';
            if (e == 'u') {
                const long code = std::strtol(std::string(s_.substr(pos_, 4)).c_str(), nullptr, 16);
                pos_ += 4;
                if (code > 0xFF) {
                    fail("the tests only expect byte escapes");
                }
                out += char(code);
            } else if (e == '"' || e == '\\' || e == '/') {
                out += e;
            } else {
                fail("unknown escape");
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

inline Json parseJson(std::string_view text) {
    return JsonParser(text).document();
}

} // namespace kzotest
