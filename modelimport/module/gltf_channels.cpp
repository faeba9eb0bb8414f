#include "modelimport/module/gltf_channels.h"

#include "format/byte_reader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string_view>

namespace kzo {
namespace {

using Json = nlohmann::json;

constexpr std::uint32_t kGlbMagic = 0x46546C67;    // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;   // "JSON"
constexpr std::uint32_t kBinaryChunk = 0x004E4942; // "BIN\0"
constexpr std::uint64_t kMaxAccessorCount = 1u << 26;

// A channel the reader cannot follow; the text says why.
struct Unreadable {
    std::string why;
};

const Json* member(const Json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::uint64_t index(const Json& object, const char* key,
                    std::optional<std::uint64_t> fallback = {}) {
    const Json* value = member(object, key);
    if (value == nullptr && fallback) {
        return *fallback;
    }
    if (value == nullptr || !value->is_number_unsigned()) {
        throw Unreadable{std::string("'") + key + "' is missing or not a number"};
    }
    return value->get<std::uint64_t>();
}

const Json& entry(const Json& root, const char* table, std::uint64_t at) {
    const Json* list = member(root, table);
    if (list == nullptr || !list->is_array() || at >= list->size()) {
        throw Unreadable{std::string(table) + " " + std::to_string(at) + " is missing"};
    }
    return (*list)[at];
}

struct Document {
    Json root;
    std::vector<std::uint8_t> glbBinary;
    bool hasGlbBinary = false;
};

std::optional<Document> parseGlb(std::span<const std::uint8_t> file,
                                 std::vector<std::string>& warnings) {
    Document doc;
    try {
        ByteReader in(file.data(), file.size());
        if (in.u32le() != kGlbMagic) {
            return std::nullopt;
        }
        in.skip(8); // version, length
        bool haveJson = false;
        while (in.remaining() >= 8) {
            const std::uint32_t length = in.u32le();
            const std::uint32_t type = in.u32le();
            const std::span<const std::uint8_t> chunk = in.view(length);
            if (type == kJsonChunk && !haveJson) {
                doc.root = Json::parse(chunk.begin(), chunk.end(), nullptr, false);
                haveJson = true;
            } else if (type == kBinaryChunk && !doc.hasGlbBinary) {
                doc.glbBinary.assign(chunk.begin(), chunk.end());
                doc.hasGlbBinary = true;
            }
        }
        if (!haveJson) {
            return std::nullopt;
        }
    } catch (const OutOfData&) {
        warnings.push_back("the animation's interpolation could not be read: the file ends early");
        return std::nullopt;
    }
    return doc;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' || c == '-' ? 62 : c == '/' || c == '_' ? 63 : -1;
}

std::vector<std::uint8_t> decodeBase64(std::string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int v = base64Value(c);
        if (v < 0) {
            if (c == '=') {
                break;
            }
            throw Unreadable{"a data URI is not base64"};
        }
        bits = (bits << 6) | std::uint32_t(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return out;
}

std::string decodedUri(const std::string& uri) {
    std::string out;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            out += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += uri[i];
        }
    }
    return out;
}

class AccessorReader {
public:
    AccessorReader(const Document& doc, const GltfFileLoader& loadFile)
        : doc_(doc), loadFile_(loadFile) {}

    // count x width values of the accessor as doubles (normalized integers
    // scaled to -1..1 or 0..1).
    std::vector<double> read(std::uint64_t accessorIndex, int width) {
        const Json& accessor = entry(doc_.root, "accessors", accessorIndex);
        if (member(accessor, "sparse") != nullptr) {
            throw Unreadable{"sparse accessors are not read"};
        }
        const Json* type = member(accessor, "type");
        const char* wanted = width == 1 ? "SCALAR" : width == 3 ? "VEC3" : "VEC4";
        if (type == nullptr || !type->is_string() || type->get<std::string>() != wanted) {
            throw Unreadable{std::string("an accessor is not ") + wanted};
        }
        const std::uint64_t count = index(accessor, "count");
        if (count == 0 || count > kMaxAccessorCount) {
            throw Unreadable{"an accessor counts " + std::to_string(count) + " values"};
        }
        const std::uint64_t component = index(accessor, "componentType");
        const Json* normalizedValue = member(accessor, "normalized");
        const bool normalized = normalizedValue != nullptr && normalizedValue->is_boolean() &&
                                normalizedValue->get<bool>();
        const std::size_t size = componentSize(component, normalized);
        const Json& view = entry(doc_.root, "bufferViews", index(accessor, "bufferView"));
        const std::vector<std::uint8_t>& buffer = bufferBytes(index(view, "buffer"));
        const std::uint64_t viewOffset = index(view, "byteOffset", 0);
        const std::uint64_t viewLength = index(view, "byteLength");
        const std::uint64_t element = size * std::uint64_t(width);
        const std::uint64_t stride = index(view, "byteStride", element);
        const std::uint64_t offset = index(accessor, "byteOffset", 0);
        // Written so that no sum can wrap: each difference is of a checked pair.
        const bool inside = viewOffset <= buffer.size() &&
                            viewLength <= buffer.size() - viewOffset && stride >= element &&
                            offset <= viewLength && element <= viewLength - offset &&
                            count - 1 <= (viewLength - offset - element) / stride;
        if (!inside) {
            throw Unreadable{"an accessor lies outside its buffer"};
        }
        ByteReader in(buffer.data() + viewOffset, static_cast<std::size_t>(viewLength));
        std::vector<double> values;
        values.reserve(static_cast<std::size_t>(count) * width);
        for (std::uint64_t i = 0; i < count; ++i) {
            in.seek(static_cast<std::size_t>(offset + i * stride));
            for (int k = 0; k < width; ++k) {
                values.push_back(componentValue(in, component));
            }
        }
        return values;
    }

private:
    static std::size_t componentSize(std::uint64_t component, bool normalized) {
        switch (component) {
        case 5126:
            return 4;
        case 5120:
        case 5121:
            if (normalized) {
                return 1;
            }
            break;
        case 5122:
        case 5123:
            if (normalized) {
                return 2;
            }
            break;
        default:
            break;
        }
        throw Unreadable{"an accessor's component type " + std::to_string(component) +
                         " is not read"};
    }

    static double componentValue(ByteReader& in, std::uint64_t component) {
        switch (component) {
        case 5120:
            return std::max(double(static_cast<std::int8_t>(in.u8())) / 127.0, -1.0);
        case 5121:
            return double(in.u8()) / 255.0;
        case 5122:
            return std::max(double(in.i16le()) / 32767.0, -1.0);
        case 5123:
            return double(in.u16le()) / 65535.0;
        default:
            return double(in.f32le());
        }
    }

    const std::vector<std::uint8_t>& bufferBytes(std::uint64_t at) {
        const auto known = buffers_.find(at);
        if (known != buffers_.end()) {
            return known->second;
        }
        const Json& buffer = entry(doc_.root, "buffers", at);
        const Json* uri = member(buffer, "uri");
        std::vector<std::uint8_t> bytes;
        if (uri == nullptr) {
            if (at != 0 || !doc_.hasGlbBinary) {
                throw Unreadable{"buffer " + std::to_string(at) + " has no data"};
            }
            bytes = doc_.glbBinary;
        } else if (!uri->is_string()) {
            throw Unreadable{"a buffer's URI is not text"};
        } else {
            const std::string text = uri->get<std::string>();
            if (text.rfind("data:", 0) == 0) {
                const std::size_t comma = text.find(',');
                if (comma == std::string::npos ||
                    text.substr(0, comma).find(";base64") == std::string::npos) {
                    throw Unreadable{"a data URI is not base64"};
                }
                bytes = decodeBase64(std::string_view(text).substr(comma + 1));
            } else {
                auto loaded = loadFile_(decodedUri(text));
                if (!loaded) {
                    throw Unreadable{"buffer '" + text + "' cannot be opened"};
                }
                bytes = std::move(*loaded);
            }
        }
        return buffers_.emplace(at, std::move(bytes)).first->second;
    }

    const Document& doc_;
    const GltfFileLoader& loadFile_;
    std::map<std::uint64_t, std::vector<std::uint8_t>> buffers_;
};

std::string nodeName(const Json& root, std::uint64_t node) {
    const Json& n = entry(root, "nodes", node);
    const Json* name = member(n, "name");
    if (name != nullptr && name->is_string() && !name->get<std::string>().empty()) {
        return name->get<std::string>();
    }
    return "nodes[" + std::to_string(node) + "]";
}

// glTF stores x, y, z, w; the tracks hold w, x, y, z.
void rotateComponents(std::vector<double>& values) {
    for (std::size_t i = 0; i + 3 < values.size(); i += 4) {
        std::rotate(values.begin() + std::ptrdiff_t(i), values.begin() + std::ptrdiff_t(i) + 3,
                    values.begin() + std::ptrdiff_t(i) + 4);
    }
}

ChannelTrack splineTrack(AccessorReader& reader, const Json& sampler, TrackChannel channel) {
    const int width = channel == kRotation ? 4 : 3;
    ChannelTrack track;
    track.interpolation = Interpolation::cubicSpline;
    const std::vector<double> times = reader.read(index(sampler, "input"), 1);
    std::vector<double> parts = reader.read(index(sampler, "output"), width);
    const std::size_t n = times.size();
    if (parts.size() != 3 * n * std::size_t(width)) {
        throw Unreadable{"a spline's values do not match its times"};
    }
    if (channel == kRotation) {
        rotateComponents(parts);
    }
    track.seconds = times;
    for (std::size_t i = 0; i < n; ++i) {
        const auto at = [&](std::size_t part) {
            return parts.begin() + std::ptrdiff_t((3 * i + part) * std::size_t(width));
        };
        track.inTangents.insert(track.inTangents.end(), at(0), at(0) + width);
        track.values.insert(track.values.end(), at(1), at(1) + width);
        track.outTangents.insert(track.outTangents.end(), at(2), at(2) + width);
    }
    return track;
}

void readChannel(const Json& root, const Json& animation, const Json& channel,
                 AccessorReader& reader, GltfChannels& out) {
    const Json* target = member(channel, "target");
    const Json* path = target != nullptr ? member(*target, "path") : nullptr;
    if (path == nullptr || !path->is_string()) {
        return;
    }
    const std::string which = path->get<std::string>();
    const TrackChannel kind = which == "translation" ? kTranslation
                              : which == "rotation"  ? kRotation
                                                     : kScale;
    if (which != "translation" && which != "rotation" && which != "scale") {
        out.animatesProperties |= which != "weights";
        return;
    }
    const Json& sampler = entry(animation, "samplers", index(channel, "sampler"));
    const Json* interpolation = member(sampler, "interpolation");
    const std::string mode = interpolation != nullptr && interpolation->is_string()
                                 ? interpolation->get<std::string>()
                                 : "LINEAR";
    if (mode != "STEP" && mode != "CUBICSPLINE") {
        return;
    }
    ChannelOverride o;
    o.node = nodeName(root, index(*target, "node"));
    o.channel = kind;
    if (mode == "STEP") {
        o.track.interpolation = Interpolation::step;
    } else {
        o.track = splineTrack(reader, sampler, kind);
    }
    out.channels.push_back(std::move(o));
}

} // namespace

GltfChannels readGltfChannels(std::span<const std::uint8_t> file, bool binary,
                              const GltfFileLoader& loadFile) {
    GltfChannels out;
    std::optional<Document> doc;
    if (binary) {
        doc = parseGlb(file, out.warnings);
    } else {
        doc.emplace();
        doc->root = Json::parse(file.begin(), file.end(), nullptr, false);
    }
    if (!doc || doc->root.is_discarded()) {
        return out;
    }
    const Json* animations = member(doc->root, "animations");
    if (animations == nullptr || !animations->is_array() || animations->empty()) {
        return out;
    }
    const Json& animation = (*animations)[0];
    const Json* channels = member(animation, "channels");
    if (channels == nullptr || !channels->is_array()) {
        return out;
    }
    AccessorReader reader(*doc, loadFile);
    for (const Json& channel : *channels) {
        try {
            readChannel(doc->root, animation, channel, reader, out);
        } catch (const Json::exception&) {
            out.warnings.push_back(
                "the interpolation of an animation channel is taken as linear: it is not read");
        } catch (const Unreadable& e) {
            out.warnings.push_back(
                "the interpolation of an animation channel is taken as linear: " + e.why);
        } catch (const OutOfData&) {
            out.warnings.push_back("the interpolation of an animation channel is taken as linear: "
                                   "its data ends early");
        }
    }
    return out;
}

} // namespace kzo
