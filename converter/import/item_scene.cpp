#include "converter/import/item_scene.h"

#include "converter/import/lws_items.h"
#include "converter/import/scene_lights.h"
#include "converter/model/pivot_hierarchy.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace kzo {
namespace {

// Objects with geometry tag their vertices with their pivot index in 8 bits.
constexpr std::size_t kMaxGeometryObjects = 256;

const char* typeName(LwsItemType type) {
    switch (type) {
    case LwsItemType::object:
        return "object";
    case LwsItemType::light:
        return "light";
    case LwsItemType::camera:
        return "camera";
    case LwsItemType::bone:
        return "bone";
    }
    return "item";
}

class ItemScene {
public:
    ItemScene(const SceneText& text, const LwsScene& lws, const MessageSink& sink)
        : text_(text), lws_(lws), sink_(sink) {
        scene_.path = text.path;
        scene_.lastFrame = lws.lastFrame;
        for (std::size_t i = 0; i < lws.items.size(); ++i) {
            const LwsItem& item = lws.items[i];
            if (item.type == LwsItemType::object) {
                objectOfItem_.emplace(i, objects_.size());
                objects_.push_back(i);
            }
            // The first item to declare an id keeps it.
            itemOfId_.emplace(item.id, i);
        }
    }

    SceneDescription build(const GeometryLoader& loadGeometry) {
        checkCapacities();
        warnOfWhatIsNotConverted();
        for (std::size_t o = 0; o < objects_.size(); ++o) {
            addObject(lws_.items[objects_[o]], o, loadGeometry);
        }
        linkParents();
        addLights();
        addCamera();
        return std::move(scene_);
    }

private:
    // "light 'Spot'", "object 'Objects/box.lwo'", "bone 40000000".
    std::string describe(const LwsItem& item) const {
        std::string text = typeName(item.type);
        if (!item.name.empty()) {
            return text + " '" + item.name + "'";
        }
        char id[16];
        std::snprintf(id, sizeof id, " %08X", unsigned(item.id));
        return text + id;
    }

    void warn(std::size_t line, const std::string& what) const {
        printMessage(sink_, "WARNING: '%s' line %zu: %s", text_.path.c_str(), line, what.c_str());
    }

    void checkCapacities() const {
        if (objects_.size() > std::size_t(kMaxPivots)) {
            fatalError(sink_, "'%s' has more than %d objects; the pivot table holds %d",
                       text_.path.c_str(), kMaxPivots, kMaxPivots);
        }
        std::size_t lights = 0;
        for (const LwsItem& item : lws_.items) {
            lights += item.type == LwsItemType::light ? 1 : 0;
            if (item.type == LwsItemType::bone) {
                continue; // not converted
            }
            for (const SceneChannel& channel : item.motion) {
                for (std::size_t k = 0; k < channel.envelope.keys.size(); ++k) {
                    std::int32_t frame = 0;
                    if (!frameOfTime(channel.envelope.keys[k].time, lws_.framesPerSecond, frame)) {
                        fatalError(sink_,
                                   "'%s' line %zu: the key's time gives no frame within "
                                   "the 32-bit range",
                                   text_.path.c_str(), channel.keyLines[k] + 1);
                    }
                }
            }
        }
        if (lights > std::size_t(kMaxLights)) {
            fatalError(sink_, "'%s' has %zu lights; the light table holds %d", text_.path.c_str(),
                       lights, kMaxLights);
        }
    }

    void warnOfWhatIsNotConverted() const {
        bool cameraSeen = false;
        for (const LwsItem& item : lws_.items) {
            if (item.type == LwsItemType::bone) {
                warn(item.line, describe(item) + " is not converted");
            } else if (item.type == LwsItemType::camera && cameraSeen) {
                warn(item.line, describe(item) + " is not converted; only the first camera is");
            }
            cameraSeen = cameraSeen || item.type == LwsItemType::camera;
            for (const auto& [line, what] : item.notConverted) {
                warn(line, "the " + what + " of " + describe(item) + " is not converted");
            }
        }
    }

    std::int32_t addMotion(const LwsItem& item) {
        scene_.motions.push_back({sampleChannels(item.motion, lws_.framesPerSecond)});
        return static_cast<std::int32_t>(scene_.motions.size() - 1);
    }

    void addObject(const LwsItem& item, std::size_t index, const GeometryLoader& loadGeometry) {
        SceneObject& object = scene_.objects.emplace_back();
        object.kind = item.null ? SceneObjectKind::null : SceneObjectKind::geometry;
        object.name.path = item.null ? item.name : item.path;
        object.name.wholeLine = item.null ? item.name : item.wholePath;
        object.layer = item.layer;
        object.itemId = item.id;
        for (int k = 0; k < 3; ++k) {
            object.pivotPoint[k] = item.pivot[k];
        }
        object.motion = addMotion(item);
        const std::vector<SceneKey>& keys = scene_.motions.back().keys;
        object.firstKey = keys.empty() ? MotionKey{} : keys.front().key;
        scene_.motionFileBlocks.push_back(object.motion);
        if (object.kind == SceneObjectKind::geometry) {
            if (index >= kMaxGeometryObjects) {
                fatalError(sink_,
                           "'%s': object %zu has geometry, but only the first %zu objects can",
                           text_.path.c_str(), index + 1, kMaxGeometryObjects);
            }
            loadGeometry(object, index);
        }
    }

    // The object a link names, or -1 with a warning when it names none.
    std::int32_t linkedObject(const LwsItem& item, const LwsLink& link, const char* role) const {
        if (!link.present) {
            return -1;
        }
        if (!link.byId) {
            if (link.value <= objects_.size()) {
                return static_cast<std::int32_t>(link.value - 1);
            }
            warn(link.line, "the " + std::string(role) + " of " + describe(item) + ", object " +
                                std::to_string(link.value) + ", does not exist");
            return -1;
        }
        const auto found = itemOfId_.find(link.value);
        if (found == itemOfId_.end()) {
            char id[16];
            std::snprintf(id, sizeof id, "%08X", unsigned(link.value));
            warn(link.line, "the " + std::string(role) + " of " + describe(item) + ", item " + id +
                                ", does not exist");
            return -1;
        }
        const LwsItem& other = lws_.items[found->second];
        if (other.type != LwsItemType::object) {
            warn(link.line, "the " + std::string(role) + " of " + describe(item) + " is " +
                                describe(other) + ", which can only be an object here");
            return -1;
        }
        return static_cast<std::int32_t>(objectOfItem_.at(found->second));
    }

    void linkParents() {
        std::vector<std::uint16_t> parents;
        for (std::size_t o = 0; o < objects_.size(); ++o) {
            const LwsItem& item = lws_.items[objects_[o]];
            const std::int32_t parent = linkedObject(item, item.parent, "parent");
            parents.push_back(parent < 0 ? kNoParent : static_cast<std::uint16_t>(parent));
        }
        // A cycle of parents is cut where it closes, as for every scene.
        parents = effectiveParents(parents);
        for (std::size_t o = 0; o < parents.size(); ++o) {
            scene_.objects[o].parent = parents[o];
        }
    }

    // A colour channel as written: 0..1 from version 3 on, 0..255 before.
    std::uint8_t colourByte(float value) const {
        if (lws_.version >= 3) {
            const double scaled = std::round(static_cast<double>(value) * 255.0);
            return static_cast<std::uint8_t>(scaled > 0.0 ? (scaled < 255.0 ? scaled : 255.0)
                                                          : 0.0);
        }
        // Version 1's rule: the integer part, low 8 bits.
        if (!(std::fabs(value) < 2147483648.0f)) {
            return 0;
        }
        return static_cast<std::uint8_t>(static_cast<std::int32_t>(value) & 0xFF);
    }

    void addLights() {
        bool any = false;
        for (const LwsItem& item : lws_.items) {
            if (item.type != LwsItemType::light) {
                continue;
            }
            any = true;
            LightKeywords light;
            light.record.type = item.lightType;
            const std::vector<SceneKey> keys = sampleChannels(item.motion, lws_.framesPerSecond);
            const MotionKey first = keys.empty() ? MotionKey{} : keys.front().key;
            for (int k = 0; k < 3; ++k) {
                light.record.position[k] = first.position[k];
                light.record.color[k] = colourByte(item.color[k]);
            }
            light.heading = first.heading;
            light.pitch = first.pitch;
            light.bank = first.bank;
            const double firstTime = first.frame / lws_.framesPerSecond;
            light.record.intensity = static_cast<float>(
                evaluateEnvelope(item.intensity, keys.empty() ? 0.0 : firstTime));
            light.record.range = item.falloffType == 0 ? -1.0f : item.range;
            light.coneAngle = item.coneAngle;
            light.edgeAngle = item.edgeAngle;
            if (item.lightType < kDistantLight || item.lightType > kSpotLight) {
                warn(item.line, describe(item) + " has type " + std::to_string(item.lightType) +
                                    ", which lights nothing in the precalculated colours");
            }
            scene_.lights.push_back(finishLight(light));
        }
        // As in every scene, the ambient light counts only with lights.
        if (any) {
            for (int c = 0; c < 3; ++c) {
                const float colour =
                    lws_.ambientColorGiven
                        ? (lws_.version >= 3 ? float(colourByte(lws_.ambientColor[c]))
                                             : lws_.ambientColor[c])
                        : 255.0f;
                scene_.ambientColor[c] = colour * lws_.ambientIntensity;
            }
        }
    }

    void addCamera() {
        for (const LwsItem& item : lws_.items) {
            if (item.type != LwsItemType::camera) {
                continue;
            }
            scene_.camera.motion = addMotion(item);
            scene_.motionFileBlocks.push_back(scene_.camera.motion);
            const std::int32_t parent = linkedObject(item, item.parent, "parent");
            const std::int32_t target = linkedObject(item, item.target, "target");
            scene_.camera.parent = parent < 0 ? -1 : parent + 1;
            scene_.camera.target = target < 0 ? -1 : target + 1;
            return;
        }
    }

    const SceneText& text_;
    const LwsScene& lws_;
    const MessageSink& sink_;
    SceneDescription scene_;
    std::vector<std::size_t> objects_; // item index of each object
    std::unordered_map<std::size_t, std::size_t> objectOfItem_;
    std::unordered_map<std::uint32_t, std::size_t> itemOfId_;
};

} // namespace

SceneDescription parseItemScene(const SceneText& text, int version, const MessageSink& sink,
                                const GeometryLoader& loadGeometry) {
    LwsScene lws;
    try {
        lws = readLwsItems(text, version);
    } catch (const SceneTextError& e) {
        fatalError(sink, "'%s' line %zu: %s", text.path.c_str(), e.line, e.what.c_str());
    }
    return ItemScene(text, lws, sink).build(loadGeometry);
}

} // namespace kzo
