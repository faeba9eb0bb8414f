// The mapping from the import library's scenes to plain arrays, on scenes the
// fuzzer spells out in memory: counts without arrays, indices past their
// tables, faces of any corner count, NaN, infinite and huge values, deep and
// wide node trees, animations of named nodes with keys at any time, cameras
// and lights of every kind. The import library's own parsers are not fuzzed
// here. Whatever the scene, the mapping either refuses it or returns arrays
// that keep every promise of imported_model.h, and fitting keeps them too.
#include "modelimport/module/fit_model.h"
#include "modelimport/module/scene_mapping.h"
#include "tests/modelimport/library_scene.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <assimp/anim.h>
#include <assimp/camera.h>
#include <assimp/light.h>

#include <bit>
#include <cmath>
#include <set>
#include <tuple>

namespace {

// Mostly small exact values, so that many scenes map; now and then any bits
// (NaN, infinities, huge values).
float anyFloat(FuzzedDataProvider& in) {
    static constexpr float kPicks[] = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, -0.0f, 3.0f, 0.25f};
    const int pick = in.ConsumeIntegralInRange<int>(0, 8);
    if (pick == 8) {
        return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    }
    return kPicks[pick];
}

// An index of a table of count entries, now and then one past it.
unsigned anyIndex(FuzzedDataProvider& in, unsigned count) {
    if (count == 0 || in.ConsumeIntegralInRange<int>(0, 31) == 0) {
        return in.ConsumeIntegralInRange<unsigned>(count, count + 1);
    }
    return in.ConsumeIntegralInRange<unsigned>(0, count - 1);
}

aiMesh* fuzzedMesh(FuzzedDataProvider& in, unsigned materials) {
    const unsigned vertexCount = in.ConsumeIntegralInRange<unsigned>(0, 12);
    std::vector<aiVector3D> vertices;
    for (unsigned v = 0; v < vertexCount; ++v) {
        vertices.emplace_back(anyFloat(in), anyFloat(in), anyFloat(in));
    }
    std::vector<std::vector<unsigned>> faces(in.ConsumeIntegralInRange<unsigned>(0, 12));
    for (auto& face : faces) {
        // Mostly triangles; points, lines, empty faces and polygons too.
        face.resize(in.ConsumeBool() ? 3 : in.ConsumeIntegralInRange<unsigned>(0, 4));
        for (unsigned& index : face) {
            index = anyIndex(in, vertexCount);
        }
    }
    aiMesh* mesh = kzotest::libraryMesh(vertices, faces,
                                        in.ConsumeIntegralInRange<unsigned>(0, materials + 1));
    if (in.ConsumeBool() && vertexCount > 0) {
        mesh->mNumUVComponents[0] = 2;
        mesh->mTextureCoords[0] = new aiVector3D[vertexCount];
        for (unsigned v = 0; v < vertexCount; ++v) {
            mesh->mTextureCoords[0][v] = aiVector3D(anyFloat(in), anyFloat(in), 0);
        }
    }
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) {
        delete[] mesh->mVertices; // a count without its array
        mesh->mVertices = nullptr;
    }
    return mesh;
}

// Names that the animations, cameras and lights below also use.
constexpr const char* kNames[] = {"a", "b", "c", "eye", "lamp", ""};

const char* anyName(FuzzedDataProvider& in) {
    return kNames[in.ConsumeIntegralInRange<int>(0, 5)];
}

aiNode* fuzzedNode(FuzzedDataProvider& in, unsigned meshes, int depth) {
    std::vector<unsigned> refs(in.ConsumeIntegralInRange<unsigned>(0, 2));
    for (unsigned& r : refs) {
        r = anyIndex(in, meshes);
    }
    std::vector<aiNode*> children;
    if (depth < 10) {
        children.resize(in.ConsumeIntegralInRange<unsigned>(0, 3));
        for (aiNode*& child : children) {
            child = fuzzedNode(in, meshes, depth + 1);
        }
    }
    aiMatrix4x4 t;
    if (in.ConsumeBool()) {
        for (float* row : {&t.a1, &t.b1, &t.c1}) {
            for (int j = 0; j < 4; ++j) {
                row[j] = anyFloat(in);
            }
        }
    }
    return kzotest::libraryNode(anyName(in), refs, children, t);
}

// Key times mostly on or near small frame numbers, now and then any value.
double anyTime(FuzzedDataProvider& in) {
    const int pick = in.ConsumeIntegralInRange<int>(0, 7);
    if (pick == 7) {
        return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    }
    return double(in.ConsumeIntegralInRange<int>(-2, 40)) * (pick == 6 ? 0.37 : 1.0);
}

template <typename Key, typename Fill>
void fuzzedKeys(FuzzedDataProvider& in, unsigned& count, Key*& keys, Fill fill) {
    count = in.ConsumeIntegralInRange<unsigned>(0, 5);
    if (count == 0) {
        return;
    }
    keys = new Key[count];
    for (unsigned k = 0; k < count; ++k) {
        keys[k].mTime = anyTime(in);
        fill(keys[k].mValue);
    }
}

aiAnimation* fuzzedAnimation(FuzzedDataProvider& in) {
    auto* anim = new aiAnimation;
    anim->mTicksPerSecond = in.ConsumeIntegralInRange<int>(0, 3) * 12.5;
    anim->mNumChannels = in.ConsumeIntegralInRange<unsigned>(0, 3);
    if (anim->mNumChannels > 0) {
        anim->mChannels = new aiNodeAnim*[anim->mNumChannels];
        for (unsigned c = 0; c < anim->mNumChannels; ++c) {
            auto* ch = new aiNodeAnim;
            ch->mNodeName = aiString(anyName(in));
            auto vector = [&](aiVector3D& v) {
                v = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            };
            fuzzedKeys(in, ch->mNumPositionKeys, ch->mPositionKeys, vector);
            fuzzedKeys(in, ch->mNumRotationKeys, ch->mRotationKeys, [&](aiQuaternion& q) {
                q = aiQuaternion(anyFloat(in), anyFloat(in), anyFloat(in), anyFloat(in));
            });
            fuzzedKeys(in, ch->mNumScalingKeys, ch->mScalingKeys, vector);
            anim->mChannels[c] = ch;
        }
    }
    return anim;
}

void addSceneParts(FuzzedDataProvider& in, aiScene& scene) {
    scene.mNumAnimations = in.ConsumeIntegralInRange<unsigned>(0, 2);
    if (scene.mNumAnimations > 0) {
        scene.mAnimations = new aiAnimation*[scene.mNumAnimations];
        for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
            scene.mAnimations[a] = fuzzedAnimation(in);
        }
    }
    scene.mNumCameras = in.ConsumeIntegralInRange<unsigned>(0, 2);
    if (scene.mNumCameras > 0) {
        scene.mCameras = new aiCamera*[scene.mNumCameras];
        for (unsigned c = 0; c < scene.mNumCameras; ++c) {
            auto* camera = new aiCamera;
            camera->mName = aiString(anyName(in));
            camera->mPosition = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            camera->mLookAt = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            camera->mUp = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            scene.mCameras[c] = camera;
        }
    }
    scene.mNumLights = in.ConsumeIntegralInRange<unsigned>(0, 3);
    if (scene.mNumLights > 0) {
        scene.mLights = new aiLight*[scene.mNumLights];
        for (unsigned l = 0; l < scene.mNumLights; ++l) {
            auto* light = new aiLight;
            light->mName = aiString(anyName(in));
            light->mType = static_cast<aiLightSourceType>(in.ConsumeIntegralInRange<int>(0, 6));
            light->mPosition = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            light->mDirection = aiVector3D(anyFloat(in), anyFloat(in), anyFloat(in));
            light->mColorDiffuse = aiColor3D(anyFloat(in), anyFloat(in), anyFloat(in));
            light->mColorAmbient = aiColor3D(anyFloat(in), anyFloat(in), anyFloat(in));
            light->mAttenuationConstant = anyFloat(in);
            light->mAttenuationLinear = anyFloat(in);
            light->mAttenuationQuadratic = anyFloat(in);
            light->mAngleInnerCone = anyFloat(in);
            light->mAngleOuterCone = anyFloat(in);
            scene.mLights[l] = light;
        }
    }
}

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool finiteKey(const kzo::MotionKey& k) {
    const float values[9] = {k.position[0], k.position[1], k.position[2], k.heading, k.pitch,
                             k.bank,        k.scale[0],    k.scale[1],    k.scale[2]};
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

// Never empty, frames increasing, every value finite; returns the last frame.
std::int32_t checkKeys(const std::vector<kzo::MotionKey>& keys) {
    check(!keys.empty());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        check(finiteKey(keys[k]));
        check(k == 0 || keys[k].frame > keys[k - 1].frame);
    }
    return keys.back().frame;
}

void checkScene(const kzo::ImportedModel& model, const kzo::ModelReadOptions& options) {
    const bool hierarchy = options.hierarchy;
    bool anyKeys = false;
    std::int32_t last = 0;
    // Without a hierarchy the motion is left out, all of it, when it is not
    // asked for or when not even the rest places fit a key.
    const bool keyed = hierarchy || options.motion;
    const bool placed = keyed && (model.objects.empty() || !model.objects[0].keys.empty());
    check(placed || !hierarchy);
    check(placed || !keyed || !model.hasCamera);
    for (std::size_t o = 0; o < model.objects.size(); ++o) {
        const std::int32_t parent = model.objects[o].parent;
        check(parent >= -1 && parent < static_cast<std::int32_t>(o));
        check(model.objects[o].keys.empty() == !placed);
        if (!placed) {
            continue;
        }
        const std::int32_t frame = checkKeys(model.objects[o].keys);
        last = anyKeys ? std::max(last, frame) : frame;
        anyKeys = true;
    }
    if (model.hasCamera && placed) {
        const std::int32_t frame = checkKeys(model.camera.keys);
        last = anyKeys ? std::max(last, frame) : frame;
    }
    check(model.lastFrame == last);
    check(std::isfinite(model.framesPerSecond) && model.framesPerSecond > 0);
    check(placed || (model.camera.keys.empty() && model.lastFrame == 0));
    check(model.vertexObjects.size() == (hierarchy ? model.vertexCount() : 0));
    for (std::uint32_t o : model.vertexObjects) {
        check(o < model.objects.size());
    }
    for (const kzo::Light& l : model.lights) {
        check(l.type >= kzo::kDistantLight && l.type <= kzo::kSpotLight);
        check(std::isfinite(l.position[0]) && std::isfinite(l.position[1]) &&
              std::isfinite(l.position[2]));
        const double length = std::sqrt(double(l.direction[0]) * l.direction[0] +
                                        double(l.direction[1]) * l.direction[1] +
                                        double(l.direction[2]) * l.direction[2]);
        check(std::abs(length - 1.0) < 1e-5);
        check(l.intensity >= 0.0f && l.intensity <= 1.0f);
        check(std::isfinite(l.range) && (l.range >= 0.0f || l.range == -1.0f));
        check(std::isfinite(l.coneCos) && std::isfinite(l.edgeCos) && l.coneCos >= l.edgeCos);
    }
    for (float a : model.ambientColor) {
        check(a >= 0.0f && a <= 255.0f);
    }
    for (const kzo::ImportedMaterial& m : model.materials) {
        check(m.embeddedImage >= -1 &&
              m.embeddedImage < static_cast<std::int32_t>(model.embeddedImages.size()));
        check(m.embeddedImage < 0 || m.imageName.empty());
    }
}

// Every promise of imported_model.h.
void checkModel(const kzo::ImportedModel& model, const kzo::ModelReadOptions& options) {
    const bool hierarchy = options.hierarchy;
    check(model.positions.size() % 3 == 0 && model.triangles.size() % 3 == 0);
    check(model.cornerUvs.size() == 2 * model.triangles.size());
    check(model.faceMaterials.size() == model.faceCount());
    checkScene(model, options);
    // Welded: no position twice (within one object in a hierarchy).
    std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>> seen;
    for (std::size_t v = 0; v < model.vertexCount(); ++v) {
        const float* p = &model.positions[3 * v];
        for (int k = 0; k < 3; ++k) {
            check(std::isfinite(p[k]) && std::bit_cast<std::uint32_t>(p[k]) != 0x80000000u);
        }
        check(seen.emplace(hierarchy ? model.vertexObjects[v] : 0,
                           std::bit_cast<std::uint32_t>(p[0]), std::bit_cast<std::uint32_t>(p[1]),
                           std::bit_cast<std::uint32_t>(p[2]))
                  .second);
    }
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        const std::uint32_t* t = &model.triangles[3 * f];
        check(t[0] < model.vertexCount() && t[1] < model.vertexCount() &&
              t[2] < model.vertexCount());
        check(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
        check(!hierarchy || (model.vertexObjects[t[0]] == model.vertexObjects[t[1]] &&
                             model.vertexObjects[t[1]] == model.vertexObjects[t[2]]));
        check(model.faceMaterials[f] >= -1 &&
              model.faceMaterials[f] < static_cast<std::int32_t>(model.materials.size()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<aiMaterial*> materials(in.ConsumeIntegralInRange<unsigned>(0, 3));
    for (aiMaterial*& m : materials) {
        const bool embedded = in.ConsumeBool();
        m = kzotest::libraryMaterial(anyFloat(in), anyFloat(in), anyFloat(in), anyFloat(in),
                                     embedded ? "*0" : in.ConsumeRandomLengthString(12));
    }
    std::vector<aiMesh*> meshes(in.ConsumeIntegralInRange<unsigned>(0, 4));
    for (aiMesh*& mesh : meshes) {
        mesh = fuzzedMesh(in, static_cast<unsigned>(materials.size()));
    }
    kzo::SceneFacts facts;
    facts.addedMaterial = in.ConsumeIntegralInRange<int>(-1, 3);
    facts.gltf = in.ConsumeBool();
    facts.framesPerSecond = in.ConsumeIntegralInRange<int>(0, 3) * 12.5;
    kzo::ModelReadOptions options;
    options.hierarchy = in.ConsumeBool();
    options.motion = in.ConsumeBool();
    options.framesPerSecond = in.ConsumeIntegralInRange<int>(0, 60);
    const kzo::MappingLimits limits{.maxTriangles = 200,
                                    .maxNodeDepth = 8,
                                    .maxNodeVisits = 300,
                                    .maxFrame = 100'000,
                                    .maxKeys = 5000};
    const auto scene = kzotest::libraryScene(
        meshes, materials, fuzzedNode(in, static_cast<unsigned>(meshes.size()), 0));
    addSceneParts(in, *scene);

    kzo::ImportedModel model;
    try {
        model = kzo::mapScene(*scene, facts, limits, options);
    } catch (const kzo::MappingError&) {
        return 0;
    }
    checkModel(model, options);
    const kzo::FitLimits fit{model.vertexCount() / 2, model.faceCount() / 2};
    try {
        const kzo::FitReport report = kzo::fitModelToLimits(model, fit);
        check(report.verticesAfter <= fit.maxVertices && report.facesAfter <= fit.maxFaces);
        check(report.facesAfter == model.faceCount());
    } catch (const kzo::FitError&) {
    }
    checkModel(model, options);
    return 0;
}
