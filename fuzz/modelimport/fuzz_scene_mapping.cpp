// The mapping from the import library's scenes to plain arrays, on scenes the
// fuzzer spells out in memory: counts without arrays, indices past their
// tables, faces of any corner count, NaN, infinite and huge values, deep and
// wide node trees. The import library's own parsers are not fuzzed here.
// Whatever the scene, the mapping either refuses it or returns arrays that
// keep every promise of imported_model.h, and fitting keeps them too.
#include "modelimport/module/fit_model.h"
#include "modelimport/module/scene_mapping.h"
#include "tests/modelimport/library_scene.h"

#include <fuzzer/FuzzedDataProvider.h>

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
    return kzotest::libraryNode("n", refs, children, t);
}

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Every promise of imported_model.h.
void checkModel(const kzo::ImportedModel& model) {
    check(model.positions.size() % 3 == 0 && model.triangles.size() % 3 == 0);
    check(model.cornerUvs.size() == 2 * model.triangles.size());
    check(model.faceMaterials.size() == model.faceCount());
    std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> seen;
    for (std::size_t v = 0; v < model.vertexCount(); ++v) {
        const float* p = &model.positions[3 * v];
        for (int k = 0; k < 3; ++k) {
            check(std::isfinite(p[k]) && std::bit_cast<std::uint32_t>(p[k]) != 0x80000000u);
        }
        check(seen.emplace(std::bit_cast<std::uint32_t>(p[0]), std::bit_cast<std::uint32_t>(p[1]),
                           std::bit_cast<std::uint32_t>(p[2]))
                  .second);
    }
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        const std::uint32_t* t = &model.triangles[3 * f];
        check(t[0] < model.vertexCount() && t[1] < model.vertexCount() &&
              t[2] < model.vertexCount());
        check(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
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
    const kzo::MappingLimits limits{.maxTriangles = 200, .maxNodeDepth = 8, .maxNodeVisits = 300};
    const auto scene = kzotest::libraryScene(
        meshes, materials, fuzzedNode(in, static_cast<unsigned>(meshes.size()), 0));

    kzo::ImportedModel model;
    try {
        model = kzo::mapScene(*scene, facts, limits);
    } catch (const kzo::MappingError&) {
        return 0;
    }
    checkModel(model);
    const kzo::FitLimits fit{model.vertexCount() / 2, model.faceCount() / 2};
    try {
        const kzo::FitReport report = kzo::fitModelToLimits(model, fit);
        check(report.verticesAfter <= fit.maxVertices && report.facesAfter <= fit.maxFaces);
        check(report.facesAfter == model.faceCount());
    } catch (const kzo::FitError&) {
    }
    checkModel(model);
    return 0;
}
