// The items of a LightWave scene of versions 2 to 5 as the scene declares
// them: objects, lights, cameras and bones with their ids, pivots, links,
// per-channel motions and light values, before the links are followed.
//
// Keywords, by version (a line belongs to the item declared last):
//   item        v2                      v3                        v4, v5
//   object      LoadObject path         LoadObjectLayer l path    LoadObjectLayer l id path
//   null        AddNullObject name      AddNullObject name        AddNullObject id name
//   light       AddLight                AddLight                  AddLight [id]
//   camera      (its first camera line) AddCamera                 AddCamera id
//   bone        AddBone                 AddBone                   AddBone id
//   pivot       PivotPoint x y z        PivotPosition x y z
//   parent      ParentObject n          ParentItem id
//   target      TargetObject n          TargetItem id
//   motion      ObjectMotion, LightMotion, CameraMotion, BoneMotion (see scene_channels.h)
// Either spelling is read in every version. Ids are 8 hex digits whose first
// digit is the item type (1 object, 2 light, 3 camera, 4 bone); an item line
// without one gets the type and its ordinal among items of that type, which is
// what version 3 means by an id. Object numbers count objects from 1.
#pragma once

#include "converter/import/scene_channels.h"
#include "converter/import/scene_text.h"
#include "lightwave/envelope.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

enum class LwsItemType : std::uint8_t { object = 1, light = 2, camera = 3, bone = 4 };

inline LwsItemType itemTypeOfId(std::uint32_t id) {
    return static_cast<LwsItemType>(id >> 28);
}

// A link to another item: an id (ParentItem, TargetItem) or an object number
// (ParentObject, TargetObject).
struct LwsLink {
    bool present = false;
    bool byId = false;
    std::uint32_t value = 0;
    std::size_t line = 0; // from 1
};

struct LwsItem {
    LwsItemType type = LwsItemType::object;
    bool null = false; // AddNullObject
    std::uint32_t id = 0;
    std::size_t line = 0; // of the declaration, from 1
    // Object path: cut at the first blank (version 2 reads the path as a
    // token) and the whole rest of the line; the same from version 3 on.
    std::string path;
    std::string wholePath;
    std::int32_t layer = -1; // LoadObjectLayer's layer; -1 for LoadObject
    std::string name;        // LightName, CameraName, BoneName, a null's name
    float pivot[3] = {};
    LwsLink parent;
    LwsLink target;
    ChannelMotion motion;
    // Light values as written: colour 0..1 (0..255 in version 2), angles in
    // degrees, range -1 and falloff type -1 when not given.
    std::int32_t lightType = 0;
    float color[3] = {};
    Envelope intensity;
    float range = -1.0f;
    std::int32_t falloffType = -1;
    float coneAngle = 0.0f;
    float edgeAngle = 0.0f;
    // What the item has that no output can express, named for warnings:
    // plug-ins, morphs, channel modifiers, each with its line.
    std::vector<std::pair<std::size_t, std::string>> notConverted;
};

struct LwsScene {
    int version = 0;
    double framesPerSecond = 30.0;
    bool hasLastFrame = false;
    std::int32_t lastFrame = 0;
    float ambientColor[3] = {1.0f, 1.0f, 1.0f}; // as written
    bool ambientColorGiven = false;
    float ambientIntensity = 1.0f;
    std::vector<LwsItem> items;
};

// The number on the second line of an "LWSC" scene, 0 when there is none.
int sceneVersion(const SceneText& text);

// Throws SceneTextError for a version 2 motion whose counts do not match its
// lines (scene_channels.h).
LwsScene readLwsItems(const SceneText& text, int version);

// A light's intensity when none is given.
inline constexpr float kDefaultLightIntensity = 1.0f;

} // namespace kzo
