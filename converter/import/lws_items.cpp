#include "converter/import/lws_items.h"

#include <array>
#include <initializer_list>

namespace kzo {
namespace {

// The rest of the line behind a keyword, without the blanks around it.
std::string_view restOf(std::string_view line, std::string_view keyword) {
    std::string_view rest = line.substr(keyword.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) {
        rest.remove_suffix(1);
    }
    return rest;
}

// The first of the keywords the line starts with; empty when none.
std::string_view matchKeyword(std::string_view line,
                              std::initializer_list<std::string_view> keywords) {
    for (std::string_view keyword : keywords) {
        if (startsWithKeyword(line, keyword)) {
            return keyword;
        }
    }
    return {};
}

// A leading hex id of up to 8 digits and the text behind it; false when the
// text does not start with one followed by a blank or the end.
bool splitHexId(std::string_view text, std::uint32_t& id, std::string_view& rest) {
    std::size_t n = 0;
    std::uint32_t value = 0;
    for (; n < text.size() && n < 8; ++n) {
        const char c = text[n];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) {
            break;
        }
        value = value << 4 | std::uint32_t(digit);
    }
    if (n == 0 || (n < text.size() && text[n] != ' ' && text[n] != '\t')) {
        return false;
    }
    id = value;
    rest = restOf(text, text.substr(0, n));
    return true;
}

class ItemReader {
public:
    ItemReader(const SceneText& text, int version) : text_(text) { scene_.version = version; }

    LwsScene read() {
        std::size_t i = 2; // behind "LWSC" and the version
        while (i < text_.lines.size()) {
            i = readLine(i);
        }
        return std::move(scene_);
    }

private:
    LwsItem* current() { return scene_.items.empty() ? nullptr : &scene_.items.back(); }

    // Starts an item; the id is the declared one when the line has one (then
    // rest moves behind it), else the type and the item's ordinal.
    LwsItem& startItem(LwsItemType type, std::size_t line, std::string_view* rest,
                       bool idDeclared) {
        const std::uint32_t ordinal = ordinals_[std::size_t(type)]++;
        LwsItem& item = scene_.items.emplace_back();
        item.type = type;
        item.line = line + 1;
        item.id = (std::uint32_t(type) << 28) | (ordinal & 0x0FFFFFFF);
        item.intensity.keys.push_back({});
        item.intensity.keys.back().value = kDefaultLightIntensity;
        std::uint32_t id = 0;
        std::string_view behind;
        if (idDeclared && rest && splitHexId(*rest, id, behind)) {
            item.id = id;
            *rest = behind;
        }
        return item;
    }

    void readObjectLine(std::string_view line, std::size_t i) {
        const bool layered = startsWithKeyword(line, "LoadObjectLayer");
        std::string_view rest = restOf(line, layered ? "LoadObjectLayer" : "LoadObject");
        std::int32_t layer = -1;
        if (layered) {
            LineScanner scanner(rest);
            std::string token;
            if (scanner.scan(token)) {
                LineScanner(token).scan(layer);
                rest = restOf(rest, token);
            }
        }
        LwsItem& item = startItem(LwsItemType::object, i, &rest, scene_.version >= 4);
        item.layer = layer;
        item.wholePath = std::string(rest);
        // The layered form names the file with the rest of the line; version
        // 2 reads a token, and tries the whole line when that names nothing.
        item.path = layered ? item.wholePath : item.wholePath.substr(0, rest.find(' '));
        item.name = item.wholePath;
    }

    // A motion keyword: the motion belongs to the item in progress.
    std::size_t readMotion(std::size_t i) {
        std::size_t end = i + 1;
        ChannelMotion motion = scene_.version == 2 ? readVersion2Motion(text_, i, &end)
                                                   : readChannelMotion(text_, i, &end);
        if (LwsItem* item = current()) {
            for (const SceneChannel& channel : motion) {
                for (const auto& modifier : channel.modifiers) {
                    item->notConverted.emplace_back(modifier.first + 1,
                                                    "channel modifier " + modifier.second);
                }
            }
            item->motion = std::move(motion);
        }
        return end;
    }

    static LwsLink link(std::string_view rest, bool byId, std::size_t i) {
        LwsLink l;
        l.line = i + 1;
        l.byId = byId;
        if (byId) {
            std::string_view behind;
            l.present = splitHexId(rest, l.value, behind);
        } else {
            std::int32_t number = 0;
            l.present = LineScanner(rest).scan(number) && number > 0;
            l.value = l.present ? std::uint32_t(number) : 0;
        }
        return l;
    }

    // "Plugin <class> <n> <server>" to "EndPlugin": the lines between need not
    // follow the scene's syntax and are passed over.
    std::size_t readPlugin(std::string_view line, std::size_t i) {
        LineScanner scanner(restOf(line, "Plugin"));
        std::string kind;
        std::int32_t n = 0;
        std::string server;
        scanner.scan(kind);
        scanner.scan(n);
        scanner.scan(server);
        static constexpr std::array<std::string_view, 4> kMotionClasses = {
            "ItemMotionHandler", "MotionHandler", "ChannelHandler", "DisplacementHandler"};
        LwsItem* item = current();
        for (std::string_view motionClass : kMotionClasses) {
            if (item && kind == motionClass) {
                item->notConverted.emplace_back(i + 1, "plug-in " + server + " (" + kind + ")");
            }
        }
        for (++i; i < text_.lines.size(); ++i) {
            if (startsWithKeyword(trimmedLine(text_, i), "EndPlugin")) {
                return i + 1;
            }
        }
        return i;
    }

    void readLightLine(LwsItem& light, std::string_view line, std::size_t& i) {
        std::string_view keyword;
        if (startsWithKeyword(line, "LightType")) {
            scanAfter(line, "LightType").scan(light.lightType);
        } else if (startsWithKeyword(line, "LightColor")) {
            scanFloats(restOf(line, "LightColor"), light.color, 3);
        } else if (!(keyword = matchKeyword(line, {"LightIntensity", "LgtIntensity"})).empty()) {
            readIntensity(light, restOf(line, keyword), i);
        } else if (startsWithKeyword(line, "LightRange")) {
            scanAfter(line, "LightRange").scan(light.range);
        } else if (startsWithKeyword(line, "LightFalloffType")) {
            scanAfter(line, "LightFalloffType").scan(light.falloffType);
        } else if (!(keyword = matchKeyword(line, {"LightConeAngle", "ConeAngle"})).empty()) {
            scanAfter(line, keyword).scan(light.coneAngle);
        } else if (!(keyword = matchKeyword(line, {"LightEdgeAngle", "EdgeAngle"})).empty()) {
            scanAfter(line, keyword).scan(light.edgeAngle);
        } else if (startsWithKeyword(line, "LightName")) {
            light.name = std::string(restOf(line, "LightName"));
        }
    }

    // A value, or "(envelope)" and an envelope block on the next line.
    void readIntensity(LwsItem& light, std::string_view rest, std::size_t& i) {
        if (rest == "(envelope)" && i + 1 < text_.lines.size() &&
            startsWithKeyword(trimmedLine(text_, i + 1), "{ Envelope")) {
            std::size_t end = i + 1;
            light.intensity = readEnvelopeBlock(text_, i + 1, &end).envelope;
            i = end - 1;
            return;
        }
        float value = kDefaultLightIntensity;
        LineScanner(rest).scan(value);
        light.intensity.keys.assign(1, {});
        light.intensity.keys[0].value = value;
    }

    // Handles line i; returns the index of the next line to read.
    std::size_t readLine(std::size_t i) {
        const std::string_view line = trimmedLine(text_, i);
        LwsItem* item = current();
        std::string_view rest;
        if (startsWithKeyword(line, "LoadObject")) {
            readObjectLine(line, i);
        } else if (startsWithKeyword(line, "AddNullObject")) {
            rest = restOf(line, "AddNullObject");
            LwsItem& null = startItem(LwsItemType::object, i, &rest, scene_.version >= 4);
            null.null = true;
            null.name = std::string(rest);
        } else if (startsWithKeyword(line, "AddLight")) {
            rest = restOf(line, "AddLight");
            startItem(LwsItemType::light, i, &rest, true);
        } else if (startsWithKeyword(line, "AddCamera")) {
            rest = restOf(line, "AddCamera");
            startItem(LwsItemType::camera, i, &rest, true);
        } else if (startsWithKeyword(line, "AddBone")) {
            rest = restOf(line, "AddBone");
            startItem(LwsItemType::bone, i, &rest, true);
        } else if ((startsWithKeyword(line, "ShowCamera") ||
                    startsWithKeyword(line, "CameraMotion")) &&
                   !(item && item->type == LwsItemType::camera)) {
            // Without AddCamera, the camera's lines start its block.
            startItem(LwsItemType::camera, i, nullptr, false);
            return readLine(i);
        } else if (!matchKeyword(line,
                                 {"ObjectMotion", "LightMotion", "CameraMotion", "BoneMotion"})
                        .empty()) {
            return readMotion(i);
        } else if (startsWithKeyword(line, "Plugin")) {
            return readPlugin(line, i);
        } else if (startsWithKeyword(line, "{")) {
            std::size_t end = i + 1;
            readEnvelopeBlock(text_, i, &end); // a block no keyword here reads
            return end;
        } else if (startsWithKeyword(line, "FramesPerSecond")) {
            float fps = 0.0f;
            if (scanAfter(line, "FramesPerSecond").scan(fps) && fps > 0.0f) {
                scene_.framesPerSecond = fps;
            }
        } else if (startsWithKeyword(line, "LastFrame")) {
            if (!scene_.hasLastFrame) {
                scanAfter(line, "LastFrame").scan(scene_.lastFrame);
                scene_.hasLastFrame = true;
            }
        } else if (startsWithKeyword(line, "AmbientColor")) {
            scanFloats(restOf(line, "AmbientColor"), scene_.ambientColor, 3);
            scene_.ambientColorGiven = true;
        } else if (!(rest = matchKeyword(line, {"AmbientIntensity", "AmbIntensity"})).empty()) {
            scanAfter(line, rest).scan(scene_.ambientIntensity);
        } else if (item) {
            readItemLine(*item, line, i);
        }
        return i + 1;
    }

    void readItemLine(LwsItem& item, std::string_view line, std::size_t& i) {
        const std::string_view pivot = matchKeyword(line, {"PivotPosition", "PivotPoint"});
        if (!pivot.empty()) {
            scanFloats(restOf(line, pivot), item.pivot, 3);
        } else if (startsWithKeyword(line, "ParentItem")) {
            item.parent = link(restOf(line, "ParentItem"), true, i);
        } else if (startsWithKeyword(line, "ParentObject")) {
            item.parent = link(restOf(line, "ParentObject"), false, i);
        } else if (startsWithKeyword(line, "TargetItem")) {
            item.target = link(restOf(line, "TargetItem"), true, i);
        } else if (startsWithKeyword(line, "TargetObject")) {
            item.target = link(restOf(line, "TargetObject"), false, i);
        } else if (startsWithKeyword(line, "CameraName")) {
            item.name = std::string(restOf(line, "CameraName"));
        } else if (startsWithKeyword(line, "BoneName")) {
            item.name = std::string(restOf(line, "BoneName"));
        } else if (startsWithKeyword(line, "MorphTarget") ||
                   startsWithKeyword(line, "MorphAmount")) {
            item.notConverted.emplace_back(i + 1, "morph");
        } else if (item.type == LwsItemType::light) {
            readLightLine(item, line, i);
        }
    }

    const SceneText& text_;
    LwsScene scene_;
    std::array<std::uint32_t, 5> ordinals_{};
};

} // namespace

int sceneVersion(const SceneText& text) {
    if (text.lines.size() < 2 || !startsWithKeyword(text.lines[0], "LWSC")) {
        return 0;
    }
    std::int32_t version = 0;
    LineScanner(text.lines[1]).scan(version);
    return version;
}

LwsScene readLwsItems(const SceneText& text, int version) {
    return ItemReader(text, version).read();
}

} // namespace kzo
