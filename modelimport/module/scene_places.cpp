// The objects' keys, the camera and the lights, from the walked node tree and
// the file's first animation.
#include "modelimport/module/library_text.h"
#include "modelimport/module/scene_nodes.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kzo {
namespace {

std::string nameList(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 5;
    std::string text;
    const std::size_t shown = std::min(names.size(), kShown);
    for (std::size_t i = 0; i < shown; ++i) {
        const bool last = i + 1 == shown && names.size() <= kShown;
        text += (i == 0 ? "" : last ? " and " : ", ") + ("'" + names[i] + "'");
    }
    if (names.size() > kShown) {
        text += " and " + std::to_string(names.size() - kShown) + " more";
    }
    return text;
}

Transform axesTransform(const SceneAxes& axes) {
    Transform t;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t.m[i][j] = axes.rows[i][j];
        }
    }
    return t;
}

// The camera's own axes in its node's space: it looks along -z with y up.
Transform cameraFrame(const aiCamera& camera, const SceneFacts& facts) {
    double look[3] = {camera.mLookAt.x, camera.mLookAt.y, camera.mLookAt.z};
    double up[3] = {camera.mUp.x, camera.mUp.y, camera.mUp.z};
    if (facts.maxCameras) {
        look[0] = look[1] = up[0] = up[2] = 0;
        look[2] = -1;
        up[1] = 1;
    }
    // A glTF reader repeats the node's translation as the camera's position.
    const bool ownPosition = !facts.gltf;
    auto length = [](const double v[3]) {
        return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    };
    if (!(length(look) > 1e-12) || !std::isfinite(length(look))) {
        look[0] = look[1] = 0;
        look[2] = -1;
    }
    const double ln = length(look);
    for (double& c : look) {
        c /= ln;
    }
    const double along = up[0] * look[0] + up[1] * look[1] + up[2] * look[2];
    for (int k = 0; k < 3; ++k) {
        up[k] -= along * look[k];
    }
    if (!(length(up) > 1e-9) || !std::isfinite(length(up))) {
        up[0] = std::abs(look[1]) < 0.9 ? 0 : 1;
        up[1] = std::abs(look[1]) < 0.9 ? 1 : 0;
        up[2] = 0;
        const double a = up[0] * look[0] + up[1] * look[1] + up[2] * look[2];
        for (int k = 0; k < 3; ++k) {
            up[k] -= a * look[k];
        }
    }
    const double un = length(up);
    for (double& c : up) {
        c /= un;
    }
    const double right[3] = {look[1] * up[2] - look[2] * up[1], look[2] * up[0] - look[0] * up[2],
                             look[0] * up[1] - look[1] * up[0]};
    Transform t;
    for (int i = 0; i < 3; ++i) {
        t.m[i][0] = right[i];
        t.m[i][1] = up[i];
        t.m[i][2] = -look[i];
        t.m[i][3] = 0;
    }
    if (ownPosition) {
        t.m[0][3] = camera.mPosition.x;
        t.m[1][3] = camera.mPosition.y;
        t.m[2][3] = camera.mPosition.z;
    }
    return t;
}

class ScenePlacer {
public:
    ScenePlacer(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                const ModelReadOptions& options, const SceneWalk& walk, ImportedModel& model)
        : scene_(scene), facts_(facts), options_(options), walk_(walk),
          model_(model), budget_{{limits.maxFrame, limits.maxKeys, limits.maxNodeSamples}, 0, 0} {}

    void run() {
        fps_ = facts_.framesPerSecond > 0 && std::isfinite(facts_.framesPerSecond)
                   ? facts_.framesPerSecond
               : options_.framesPerSecond > 0 ? double(options_.framesPerSecond)
                                              : 30.0;
        model_.framesPerSecond = fps_;
        for (const NodeVisit& v : walk_.visits) {
            nodeNames_.insert(libraryText(v.node->mName));
        }
        guarded(
            "motion",
            [&] {
                readAnimation();
                placeMotion();
            },
            [&] {
                tracks_ = NodeTracks{};
                try {
                    placeMotion();
                } catch (const MappingError&) {
                    // Not even the nodes' rest places fit a key.
                    leaveMotionOut();
                }
            });
        guarded(
            "lights", [&] { placeLights(); },
            [&] {
                model_.lights.clear();
                placeAmbient({});
            });
    }

private:
    // Without a hierarchy a static model must convert as it always did: a
    // part of the scene that cannot be mapped is left out with a warning.
    template <typename Work, typename Fallback>
    void guarded(const char* what, Work work, Fallback fallback) {
        if (options_.hierarchy) {
            work();
            return;
        }
        try {
            work();
        } catch (const MappingError& e) {
            model_.warnings.push_back(std::string("the scene's ") + what +
                                      " left out: " + e.what());
            fallback();
        }
    }

    void readAnimation() {
        if (scene_.mNumAnimations == 0) {
            return;
        }
        if (scene_.mAnimations == nullptr || scene_.mAnimations[0] == nullptr) {
            throw MappingError("the model counts animations but holds none");
        }
        const aiAnimation& first = *scene_.mAnimations[0];
        std::vector<std::string> later;
        for (unsigned a = 1; a < scene_.mNumAnimations; ++a) {
            const aiAnimation* anim = scene_.mAnimations[a];
            later.push_back(anim != nullptr ? libraryText(anim->mName) : std::string());
        }
        if (!later.empty()) {
            model_.warnings.push_back((later.size() == 1 ? "animation " : "animations ") +
                                      nameList(later) + " left out: only the first, '" +
                                      libraryText(first.mName) + "', is converted");
        }
        if (first.mNumMeshChannels > 0 || first.mNumMorphMeshChannels > 0) {
            model_.warnings.push_back("the animation of meshes and morph weights is left out");
        }
        tracks_ = readNodeTracks(first, fps_, facts_.channels);
        std::vector<std::string> unknown;
        for (const std::string& name : tracks_.names) {
            if (nodeNames_.count(name) == 0) {
                unknown.push_back(name);
            }
        }
        if (!unknown.empty()) {
            model_.warnings.push_back("the animation of " + nameList(unknown) +
                                      ", which the scene has no node of, is left out");
        }
    }

    const NodeTrack* trackOf(const aiNode& node) const {
        const auto it = tracks_.byName.find(libraryText(node.mName));
        return it == tracks_.byName.end() ? nullptr : &tracks_.tracks[it->second];
    }

    // The nodes from the visit up to (not including) the nearest object above
    // it, or to the root when stopAtObject is false or there is none; top
    // first.
    std::vector<const aiNode*> chainOf(std::int32_t visit, bool stopAtObject, bool& reachesRoot) {
        std::vector<const aiNode*> chain;
        std::int32_t at = visit;
        reachesRoot = true;
        while (at >= 0) {
            const NodeVisit& v = walk_.visits[static_cast<std::size_t>(at)];
            if (stopAtObject && at != visit && v.object >= 0) {
                reachesRoot = false;
                break;
            }
            chain.push_back(v.node);
            at = v.up;
        }
        std::reverse(chain.begin(), chain.end());
        return chain;
    }

    // The chain as steps: runs of nodes that do not move composed into one
    // transform, and the animated nodes with their rest parts.
    struct CurveStep {
        Transform fixed;
        const NodeTrack* track = nullptr;
        RestPlace rest;
    };

    PlaceCurve curveOf(const std::vector<const aiNode*>& chain, const Transform& top,
                       const Transform& bottom) {
        PlaceCurve curve;
        std::vector<CurveStep> steps{{top, nullptr, {}}};
        for (const aiNode* node : chain) {
            const NodeTrack* track = trackOf(*node);
            if (track == nullptr) {
                if (steps.back().track != nullptr) {
                    steps.push_back({});
                }
                steps.back().fixed =
                    compose(steps.back().fixed, fromLibrary(node->mTransformation));
                continue;
            }
            steps.push_back({Transform{}, track, restPlaceOf(*node)});
            for (const ChannelTrack& c : track->channels) {
                if (!c.seconds.empty()) {
                    curve.channels.push_back(&c);
                }
            }
        }
        if (steps.back().track != nullptr) {
            steps.push_back({});
        }
        steps.back().fixed = compose(steps.back().fixed, bottom);
        curve.animatedNodes = steps.size() / 2;
        curve.at = [steps = std::move(steps)](double seconds) {
            Transform m = steps.front().fixed;
            for (std::size_t i = 1; i < steps.size(); ++i) {
                const CurveStep& s = steps[i];
                m = compose(m, s.track != nullptr ? trackTransformAt(*s.track, s.rest, seconds)
                                                  : s.fixed);
            }
            return toEngineAxes(m);
        };
        return curve;
    }

    void placeMotion() {
        // Unkeyed, the cameras are still found, so that the ones left out
        // are named as before.
        const bool keyed = options_.motion || options_.hierarchy;
        budget_.used = 0;
        budget_.nodeSamples = 0;
        bool animated = false;
        std::int32_t lastFrame = 0;
        auto note = [&](const std::vector<MotionKey>& keys) {
            lastFrame = animated ? std::max(lastFrame, keys.back().frame) : keys.back().frame;
            animated = true;
        };
        for (std::size_t o = 0; o < model_.objects.size() && keyed; ++o) {
            bool root = false;
            auto chain = chainOf(walk_.objectVisits[o], true, root);
            const Transform top = root ? axesTransform(facts_.axes) : Transform{};
            model_.objects[o].keys =
                motionKeys(curveOf(std::move(chain), top, Transform{}), fps_, budget_);
            note(model_.objects[o].keys);
        }
        placeCamera(note, keyed);
        model_.lastFrame = animated ? lastFrame : 0;
    }

    void leaveMotionOut() {
        for (ImportedObject& object : model_.objects) {
            object.keys.clear();
        }
        model_.hasCamera = false;
        model_.camera = ImportedCamera{};
        model_.lastFrame = 0;
    }

    template <typename Note>
    void placeCamera(Note note, bool keyed) {
        model_.hasCamera = false;
        model_.camera = ImportedCamera{};
        if (scene_.mNumCameras == 0 || scene_.mCameras == nullptr) {
            return;
        }
        std::unordered_map<std::string, const aiCamera*> cameras;
        std::vector<std::string> order;
        for (unsigned c = 0; c < scene_.mNumCameras; ++c) {
            if (scene_.mCameras[c] != nullptr) {
                const std::string name = libraryText(scene_.mCameras[c]->mName);
                if (cameras.emplace(name, scene_.mCameras[c]).second) {
                    order.push_back(name);
                }
            }
        }
        for (std::size_t v = 0; v < walk_.visits.size(); ++v) {
            const std::string name = libraryText(walk_.visits[v].node->mName);
            const auto it = cameras.find(name);
            if (it == cameras.end()) {
                continue;
            }
            model_.camera.name = name;
            model_.hasCamera = true;
            if (keyed) {
                bool root = false;
                auto chain = chainOf(static_cast<std::int32_t>(v), false, root);
                const Transform frame = cameraFrame(*it->second, facts_);
                model_.camera.keys =
                    motionKeys(curveOf(chain, axesTransform(facts_.axes), frame), fps_, budget_);
                note(model_.camera.keys);
            }
            break;
        }
        std::vector<std::string> others;
        for (const std::string& name : order) {
            if (!model_.hasCamera || name != model_.camera.name) {
                others.push_back(name);
            }
        }
        if (!others.empty() && model_.hasCamera) {
            model_.warnings.push_back((others.size() == 1 ? "camera " : "cameras ") +
                                      nameList(others) + " left out: only the first, '" +
                                      model_.camera.name + "', is converted");
        }
    }

    static double lightRange(const aiNode& node) {
        if (node.mMetaData == nullptr) {
            return -1;
        }
        float single = 0;
        double value = 0;
        if (node.mMetaData->Get("PBR_LightRange", single)) {
            return single;
        }
        if (node.mMetaData->Get("PBR_LightRange", value)) {
            return value;
        }
        return -1;
    }

    void placeLights() {
        std::vector<PlacedLight> placed;
        std::vector<std::string> moving;
        std::vector<std::string> unplaced;
        std::unordered_map<std::string, std::int32_t> visitOf;
        for (std::size_t v = 0; v < walk_.visits.size(); ++v) {
            visitOf.emplace(libraryText(walk_.visits[v].node->mName), static_cast<std::int32_t>(v));
        }
        for (unsigned l = 0; l < scene_.mNumLights && scene_.mLights != nullptr; ++l) {
            const aiLight* light = scene_.mLights[l];
            if (light == nullptr) {
                continue;
            }
            const std::string name = libraryText(light->mName);
            const auto it = visitOf.find(name);
            if (it == visitOf.end()) {
                unplaced.push_back(name);
                continue;
            }
            bool root = false;
            const auto chain = chainOf(it->second, false, root);
            Transform place = axesTransform(facts_.axes);
            bool moves = false;
            for (const aiNode* node : chain) {
                place = compose(place, fromLibrary(node->mTransformation));
                moves |= trackOf(*node) != nullptr;
            }
            if (moves) {
                moving.push_back(name);
            }
            placed.push_back({light, place, lightRange(*chain.back())});
        }
        const MappedLights mapped = mapLights(placed, walk_.bounds, facts_.gltf);
        model_.lights = mapped.lights;
        placeAmbient(mapped.ambient);
        if (!mapped.leftOut.empty()) {
            model_.warnings.push_back(
                (mapped.leftOut.size() == 1 ? "light " : "lights ") + nameList(mapped.leftOut) +
                " left out: only point, spot and directional lights are converted");
        }
        unplaced.insert(unplaced.end(), mapped.unplaced.begin(), mapped.unplaced.end());
        if (!unplaced.empty()) {
            model_.warnings.push_back((unplaced.size() == 1 ? "light " : "lights ") +
                                      nameList(unplaced) +
                                      " left out: no node places them at a finite point");
        }
        if (!moving.empty()) {
            model_.warnings.push_back("the motion of " +
                                      std::string(moving.size() == 1 ? "light " : "lights ") +
                                      nameList(moving) + " is left out: lights stay at rest");
        }
    }

    void placeAmbient(const std::array<float, 3>& fromLights) {
        for (int i = 0; i < 3; ++i) {
            const float file = facts_.ambient[i];
            const float fromFile = std::isfinite(file) && file > 0 ? 255.0f * file : 0.0f;
            model_.ambientColor[i] = std::min(255.0f, fromFile + fromLights[i]);
        }
    }

    const aiScene& scene_;
    const SceneFacts& facts_;
    const ModelReadOptions& options_;
    const SceneWalk& walk_;
    ImportedModel& model_;
    KeyBudget budget_;
    double fps_ = 30;
    NodeTracks tracks_;
    std::unordered_set<std::string> nodeNames_;
};

} // namespace

void placeScene(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                const ModelReadOptions& options, const SceneWalk& walk, ImportedModel& model) {
    ScenePlacer(scene, facts, limits, options, walk, model).run();
}

} // namespace kzo
