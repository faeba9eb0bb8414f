#include "converter/import/scene_channels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace kzo {

std::string_view trimmedLine(const SceneText& text, std::size_t line) {
    std::string_view s = text.lines[line];
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    return s;
}

namespace {

EndBehavior behaviorOf(std::int32_t code) {
    return code >= 0 && code <= 5 ? static_cast<EndBehavior>(code) : EndBehavior::constant;
}

KeyShape shapeOf(std::int32_t code) {
    return code >= 0 && code <= 5 ? static_cast<KeyShape>(code) : KeyShape::tcb;
}

void readBehaviors(LineScanner scanner, Envelope& envelope) {
    std::int32_t pre = 1;
    std::int32_t post = 1;
    scanner.scan(pre);
    scanner.scan(post);
    envelope.pre = behaviorOf(pre);
    envelope.post = behaviorOf(post);
}

// "value time shape p1 p2 p3 p4 p5 p6" behind "Key": p1..p3 are tension,
// continuity and bias of a TCB key, p1..p4 the handles of a 2D Bezier key, p4
// and p5 the incoming and outgoing tangents of the others. Version 2's lines
// end after p3.
EnvelopeKey parseKey(LineScanner scanner) {
    float value = 0.0f;
    float time = 0.0f;
    std::int32_t shape = 0;
    float p[6] = {};
    scanner.scan(value);
    scanner.scan(time);
    scanner.scan(shape);
    for (float& v : p) {
        scanner.scan(v);
    }
    EnvelopeKey key;
    key.value = value;
    key.time = time;
    key.shape = shapeOf(shape);
    if (key.shape == KeyShape::bezier2d) {
        key.param = {p[0], p[1], p[2], p[3]};
    } else {
        key.tension = p[0];
        key.continuity = p[1];
        key.bias = p[2];
        key.param[0] = p[3];
        key.param[1] = p[4];
    }
    return key;
}

// Keys in time order, each with its line; keys whose time is not a number go
// last (the caller refuses them).
void sortKeys(SceneChannel& channel) {
    std::vector<std::pair<EnvelopeKey, std::size_t>> keys;
    for (std::size_t i = 0; i < channel.envelope.keys.size(); ++i) {
        keys.emplace_back(channel.envelope.keys[i], channel.keyLines[i]);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        if (std::isnan(a.first.time)) {
            return false;
        }
        return std::isnan(b.first.time) || a.first.time < b.first.time;
    });
    for (std::size_t i = 0; i < keys.size(); ++i) {
        channel.envelope.keys[i] = keys[i].first;
        channel.keyLines[i] = keys[i].second;
    }
}

bool readInteger(std::string_view line, std::int32_t& value) {
    LineScanner scanner(line);
    return scanner.scan(value);
}

} // namespace

SceneChannel readEnvelopeBlock(const SceneText& text, std::size_t open, std::size_t* end) {
    SceneChannel channel;
    std::size_t i = open + 1;
    // Nested blocks (channel modifiers) are passed over whole.
    for (int depth = 1; i < text.lines.size() && depth > 0; ++i) {
        const std::string_view line = trimmedLine(text, i);
        if (startsWithKeyword(line, "Plugin")) {
            LineScanner scanner = scanAfter(line, "Plugin");
            std::string kind;
            std::int32_t number = 0;
            std::string server;
            scanner.scan(kind);
            scanner.scan(number);
            scanner.scan(server);
            channel.modifiers.emplace_back(i, server);
            while (i + 1 < text.lines.size() &&
                   !startsWithKeyword(trimmedLine(text, i), "EndPlugin")) {
                ++i;
            }
        } else if (startsWithKeyword(line, "{")) {
            ++depth;
        } else if (startsWithKeyword(line, "}")) {
            --depth;
        } else if (depth == 1 && startsWithKeyword(line, "Key ")) {
            channel.envelope.keys.push_back(parseKey(scanAfter(line, "Key")));
            channel.keyLines.push_back(i);
        } else if (depth == 1 && startsWithKeyword(line, "Behaviors")) {
            readBehaviors(scanAfter(line, "Behaviors"), channel.envelope);
        }
    }
    sortKeys(channel);
    *end = i;
    return channel;
}

ChannelMotion readChannelMotion(const SceneText& text, std::size_t keywordLine, std::size_t* end) {
    ChannelMotion motion;
    std::int32_t channel = -1;
    std::size_t i = keywordLine + 1;
    while (i < text.lines.size()) {
        const std::string_view line = trimmedLine(text, i);
        if (startsWithKeyword(line, "NumChannels")) {
            ++i;
        } else if (startsWithKeyword(line, "Channel ")) {
            channel = -1;
            readInteger(line.substr(8), channel);
            ++i;
        } else if (startsWithKeyword(line, "{")) {
            const bool envelope = startsWithKeyword(line, "{ Envelope");
            SceneChannel read = readEnvelopeBlock(text, i, &i);
            if (envelope && channel >= 0 && channel < kMotionChannels) {
                motion[static_cast<std::size_t>(channel)] = std::move(read);
            }
            channel = -1;
        } else {
            break;
        }
    }
    *end = i;
    return motion;
}

namespace {

std::string channelName(std::int32_t channel) {
    static const char* const kNames[kMotionChannels] = {"position x", "position y", "position z",
                                                        "heading",    "pitch",      "bank",
                                                        "scale x",    "scale y",    "scale z"};
    return channel < kMotionChannels ? kNames[channel] : "channel " + std::to_string(channel);
}

// A count line holds one whole number of 0 or more and nothing else.
bool readCountLine(std::string_view line, std::int32_t& count) {
    LineScanner scanner(line);
    std::string rest;
    return scanner.scan(count) && count >= 0 && !scanner.scan(rest);
}

// A key line starts with the key's value and time, which neither a count line
// nor a keyword line does.
bool isKeyLine(std::string_view line) {
    LineScanner scanner(line);
    float value = 0.0f;
    float time = 0.0f;
    return scanner.scan(value) && scanner.scan(time);
}

[[noreturn]] void failAt(std::size_t line, std::string what) {
    throw SceneTextError{line + 1, std::move(what)};
}

// The count on line i, which names what it counts; its absence, or anything
// but one whole number there, is an error. A key line where a count belongs
// means the channel before (counted on line previousCount) holds more keys
// than it said.
std::int32_t readCount(const SceneText& text, std::size_t i, const std::string& what,
                       std::size_t keywordLine, const std::string& previous,
                       std::size_t previousCount) {
    if (i >= text.lines.size()) {
        failAt(keywordLine, "the scene ends before " + what + " of this motion");
    }
    std::int32_t count = 0;
    if (!readCountLine(text.lines[i], count)) {
        std::string fault = what + " is not one whole number";
        if (!previous.empty() && isKeyLine(text.lines[i])) {
            fault += "; the count of " + previous + " on line " +
                     std::to_string(previousCount + 1) + " may be short of its keys";
        }
        failAt(i, fault);
    }
    return count;
}

} // namespace

ChannelMotion readVersion2Motion(const SceneText& text, std::size_t keywordLine, std::size_t* end) {
    ChannelMotion motion;
    std::size_t i = keywordLine + 1;
    const std::int32_t channels = readCount(text, i, "the channel count", keywordLine, {}, 0);
    ++i;
    std::size_t previousCountLine = 0;
    for (std::int32_t c = 0; c < channels; ++c) {
        const std::string name = channelName(c);
        const std::size_t countLine = i;
        const std::int32_t keys =
            readCount(text, i, "the key count of " + name, keywordLine,
                      c > 0 ? channelName(c - 1) : std::string(), previousCountLine);
        previousCountLine = countLine;
        ++i;
        SceneChannel channel;
        for (std::int32_t k = 0; k < keys; ++k, ++i) {
            if (i >= text.lines.size()) {
                failAt(countLine, name + " counts " + std::to_string(keys) +
                                      " keys, but the scene ends after " + std::to_string(k) +
                                      " of them");
            }
            if (!isKeyLine(text.lines[i])) {
                failAt(i, "key " + std::to_string(k + 1) + " of the " + std::to_string(keys) +
                              " that line " + std::to_string(countLine + 1) + " counts for " +
                              name + " is no key line (value time shape tension continuity bias)");
            }
            channel.envelope.keys.push_back(parseKey(LineScanner(text.lines[i])));
            channel.keyLines.push_back(i);
        }
        if (i < text.lines.size()) {
            const std::string_view line = trimmedLine(text, i);
            for (std::string_view keyword : {"Behaviors", "Pre/PostBehavior"}) {
                if (startsWithKeyword(line, keyword)) {
                    readBehaviors(scanAfter(line, keyword), channel.envelope);
                    ++i;
                    break;
                }
            }
        }
        sortKeys(channel);
        if (c < kMotionChannels) {
            motion[static_cast<std::size_t>(c)] = std::move(channel);
        }
    }
    *end = i;
    return motion;
}

bool frameOfTime(double seconds, double framesPerSecond, std::int32_t& frame) {
    const double rounded = std::round(seconds * framesPerSecond);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    frame = static_cast<std::int32_t>(rounded);
    return true;
}

std::vector<SceneKey> sampleChannels(const ChannelMotion& motion, double framesPerSecond) {
    // Every keyed frame with the line of the first key found there.
    std::vector<std::pair<std::int32_t, std::size_t>> frames;
    for (const SceneChannel& channel : motion) {
        for (std::size_t k = 0; k < channel.envelope.keys.size(); ++k) {
            std::int32_t frame = 0;
            if (frameOfTime(channel.envelope.keys[k].time, framesPerSecond, frame)) {
                frames.emplace_back(frame, channel.keyLines[k]);
            }
        }
    }
    std::stable_sort(frames.begin(), frames.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    frames.erase(std::unique(frames.begin(), frames.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 frames.end());

    // Keys are in time order, so each channel's keys are met in frame order.
    std::array<std::size_t, kMotionChannels> next{};
    std::vector<SceneKey> sampled;
    sampled.reserve(frames.size());
    for (const auto& [frame, line] : frames) {
        double values[kMotionChannels] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
        for (std::size_t c = 0; c < motion.size(); ++c) {
            const std::vector<EnvelopeKey>& keys = motion[c].envelope.keys;
            if (keys.empty()) {
                continue;
            }
            std::int32_t keyFrame = 0;
            while (
                next[c] < keys.size() &&
                (!frameOfTime(keys[next[c]].time, framesPerSecond, keyFrame) || keyFrame < frame)) {
                ++next[c];
            }
            // A key of the channel at this very frame gives its own value; the
            // frame's time need not be the key's time exactly.
            if (next[c] < keys.size() && keyFrame == frame) {
                values[c] = keys[next[c]].value;
            } else {
                values[c] = evaluateEnvelope(motion[c].envelope, frame / framesPerSecond);
            }
        }
        SceneKey key;
        key.line = line + 1;
        key.key.frame = frame;
        const double degrees = 180.0 / std::numbers::pi;
        for (int a = 0; a < 3; ++a) {
            key.key.position[a] = static_cast<float>(values[a]);
            key.key.scale[a] = static_cast<float>(values[6 + a]);
        }
        key.key.heading = static_cast<float>(values[3] * degrees);
        key.key.pitch = static_cast<float>(values[4] * degrees);
        key.key.bank = static_cast<float>(values[5] * degrees);
        sampled.push_back(key);
    }
    return sampled;
}

} // namespace kzo
