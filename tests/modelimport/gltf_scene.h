// A glTF scene written in a test: nodes given as JSON text, meshes of
// triangles, animation channels with their samplers, cameras and lights, all
// data in one base64 data: buffer, so that a test shows every value it feeds
// in.
#pragma once

#include "tests/support/bytes.h"

#include <array>
#include <string>
#include <vector>

namespace kzotest {

inline std::string base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t a = bytes[i];
        const std::uint32_t b = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const std::uint32_t c = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const std::uint32_t bits = (a << 16) | (b << 8) | c;
        out += kDigits[(bits >> 18) & 63];
        out += kDigits[(bits >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(bits >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[bits & 63] : '=';
    }
    return out;
}

inline std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        out += (i > 0 ? "," : "") + parts[i];
    }
    return out;
}

using Point = std::array<float, 3>;

struct GltfScene {
    Bytes bin;
    std::vector<std::string> views, accessors, meshes, nodes, samplers, channels, cameras, lights;
    std::vector<int> roots;
    // Further animations, each as JSON text, after the first.
    std::vector<std::string> moreAnimations;

    // Float values as an accessor of the given type ("SCALAR", "VEC3", ...).
    int accessor(const std::vector<float>& values, const char* type, int width,
                 bool bounds = false) {
        while (bin.size() % 4 != 0) {
            bin.u8(0);
        }
        const std::size_t offset = bin.size();
        for (float v : values) {
            bin.f32le(v);
        }
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                        ",\"byteLength\":" + std::to_string(values.size() * 4) + "}");
        std::string text =
            "{\"bufferView\":" + std::to_string(views.size() - 1) +
            ",\"componentType\":5126,\"count\":" + std::to_string(values.size() / width) +
            ",\"type\":\"" + type + "\"";
        if (bounds) {
            std::vector<float> lo(width, 1e30f), hi(width, -1e30f);
            for (std::size_t i = 0; i < values.size(); ++i) {
                lo[i % width] = std::min(lo[i % width], values[i]);
                hi[i % width] = std::max(hi[i % width], values[i]);
            }
            auto list = [](const std::vector<float>& v) {
                std::vector<std::string> parts;
                for (float f : v) {
                    parts.push_back(std::to_string(f));
                }
                return "[" + joined(parts) + "]";
            };
            text += ",\"min\":" + list(lo) + ",\"max\":" + list(hi);
        }
        accessors.push_back(text + "}");
        return static_cast<int>(accessors.size() - 1);
    }

    // A mesh of one primitive per list of triangle corners; extra is added to
    // each primitive's JSON (",\"material\":0").
    // Bytes as an accessor of any component type.
    int accessorOf(const Bytes& bytes, int componentType, int count, const char* type) {
        while (bin.size() % 4 != 0) {
            bin.u8(0);
        }
        const std::size_t offset = bin.size();
        bin.append(bytes);
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                        ",\"byteLength\":" + std::to_string(bytes.size()) + "}");
        accessors.push_back("{\"bufferView\":" + std::to_string(views.size() - 1) +
                            ",\"componentType\":" + std::to_string(componentType) +
                            ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"}");
        return static_cast<int>(accessors.size() - 1);
    }

    int mesh(const std::vector<std::vector<Point>>& primitives, const std::string& extra = "") {
        std::vector<std::string> parts;
        for (const auto& corners : primitives) {
            std::vector<float> flat;
            for (const Point& p : corners) {
                flat.insert(flat.end(), p.begin(), p.end());
            }
            const int position = accessor(flat, "VEC3", 3, true);
            parts.push_back("{\"attributes\":{\"POSITION\":" + std::to_string(position) + "}" +
                            extra + "}");
        }
        meshes.push_back("{\"primitives\":[" + joined(parts) + "]}");
        return static_cast<int>(meshes.size() - 1);
    }

    int node(const std::string& json) {
        nodes.push_back(json);
        return static_cast<int>(nodes.size() - 1);
    }

    // A channel of the first animation with a sampler of its own.
    void channel(int target, const char* path, const std::vector<float>& seconds,
                 const std::vector<float>& values, const char* interpolation = "LINEAR") {
        const int width = std::string(path) == "rotation" ? 4 : 3;
        const int input = accessor(seconds, "SCALAR", 1, true);
        const int output = accessor(values, width == 4 ? "VEC4" : "VEC3", width);
        samplers.push_back("{\"input\":" + std::to_string(input) +
                           ",\"output\":" + std::to_string(output) + ",\"interpolation\":\"" +
                           interpolation + "\"}");
        channels.push_back("{\"sampler\":" + std::to_string(samplers.size() - 1) +
                           ",\"target\":{\"node\":" + std::to_string(target) + ",\"path\":\"" +
                           path + "\"}}");
    }

    std::string json(const std::string& extra = "") const {
        std::string text = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[";
        std::vector<std::string> rootList;
        for (int r : roots) {
            rootList.push_back(std::to_string(r));
        }
        text += joined(rootList) + "]}],\"nodes\":[" + joined(nodes) + "]";
        if (!meshes.empty()) {
            text += ",\"meshes\":[" + joined(meshes) + "]";
        }
        if (!channels.empty()) {
            std::vector<std::string> all = {"{\"name\":\"first\",\"samplers\":[" +
                                            joined(samplers) + "],\"channels\":[" +
                                            joined(channels) + "]}"};
            all.insert(all.end(), moreAnimations.begin(), moreAnimations.end());
            text += ",\"animations\":[" + joined(all) + "]";
        }
        if (!cameras.empty()) {
            text += ",\"cameras\":[" + joined(cameras) + "]";
        }
        if (!lights.empty()) {
            text += ",\"extensionsUsed\":[\"KHR_lights_punctual\"],\"extensions\":{"
                    "\"KHR_lights_punctual\":{\"lights\":[" +
                    joined(lights) + "]}}";
        }
        if (!bin.data.empty()) {
            text += ",\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) +
                    ",\"uri\":\"data:application/octet-stream;base64," + base64(bin.data) +
                    "\"}],\"bufferViews\":[" + joined(views) + "],\"accessors\":[" +
                    joined(accessors) + "]";
        }
        return text + extra + "}";
    }
};

// The one triangle most tests place: corners that differ in every coordinate.
inline std::vector<Point> triangle(float x = 0) {
    return {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}};
}

} // namespace kzotest
