#include "modelimport/module/scene_mapping.h"

#include "modelimport/module/library_text.h"
#include "modelimport/module/material_mapping.h"
#include "modelimport/module/position_welder.h"
#include "modelimport/module/scene_nodes.h"

#include <assimp/scene.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kzo {
namespace {

// An affine transform of column vectors: x' = m[0][0]·x + m[0][1]·y +
// m[0][2]·z + m[0][3], and so on, summed left to right in floats.
struct Affine {
    float m[3][4];
};

Affine fromAxes(const SceneAxes& axes) {
    Affine a{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            a.m[i][j] = axes.rows[i][j];
        }
    }
    return a;
}

Affine affineOf(const aiMatrix4x4& t) {
    return Affine{{{t.a1, t.a2, t.a3, t.a4}, {t.b1, t.b2, t.b3, t.b4}, {t.c1, t.c2, t.c3, t.c4}}};
}

// parent · local: local applies first.
Affine composeAffine(const Affine& parent, const Affine& local) {
    Affine r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = ((parent.m[i][0] * local.m[0][j]) + (parent.m[i][1] * local.m[1][j])) +
                        (parent.m[i][2] * local.m[2][j]);
            if (j == 3) {
                sum = sum + parent.m[i][3];
            }
            r.m[i][j] = sum;
        }
    }
    return r;
}

float applyRow(const float row[4], const aiVector3D& p) {
    return ((row[0] * p.x + row[1] * p.y) + row[2] * p.z) + row[3];
}

bool mirrors(const Affine& a) {
    const auto& m = a.m;
    const double det = double(m[0][0]) * (double(m[1][1]) * m[2][2] - double(m[1][2]) * m[2][1]) -
                       double(m[0][1]) * (double(m[1][0]) * m[2][2] - double(m[1][2]) * m[2][0]) +
                       double(m[0][2]) * (double(m[1][0]) * m[2][1] - double(m[1][1]) * m[2][0]);
    return det < 0.0;
}

std::string nodeLabel(const aiNode& node) {
    const std::string name = libraryText(node.mName);
    return name.empty() ? "a node" : "node '" + name + "'";
}

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

class SceneMapper {
public:
    SceneMapper(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                const ModelReadOptions& options)
        : scene_(scene), facts_(facts), limits_(limits),
          options_(options), images_{facts.gltf, model_.embeddedImages, {}, model_.warnings},
          welder_(std::make_unique<PositionWelder>(model_.positions)) {}

    ImportedModel run() {
        checkTables();
        meshChecked_.assign(scene_.mNumMeshes, false);
        materialSlot_.assign(scene_.mNumMaterials, kMaterialUnmapped);
        if (scene_.mRootNode == nullptr) {
            throw MappingError("the model holds no node");
        }
        walkNodes(fromAxes(facts_.axes));
        addDroppedWarning();
        addMeshWarnings();
        placeScene(scene_, facts_, limits_, options_, walk_, model_);
        return std::move(model_);
    }

private:
    static constexpr std::int32_t kMaterialUnmapped = -2;

    struct PendingNode {
        const aiNode* node;
        Affine parent;
        std::size_t depth;
        std::int32_t up;     // the parent's visit
        std::int32_t object; // the nearest object above
    };

    // Meshes whose parts the engine has no place for, counted once each.
    struct LeftOutParts {
        std::size_t skinned = 0, morphed = 0, secondUvs = 0, colours = 0;
    };

    void checkTables() const {
        if (scene_.mNumMeshes > 0 && scene_.mMeshes == nullptr) {
            throw MappingError("the model counts meshes but holds none");
        }
        if (scene_.mNumMaterials > 0 && scene_.mMaterials == nullptr) {
            throw MappingError("the model counts materials but holds none");
        }
    }

    // Depth first, children in order, so the faces come in the file's order.
    void walkNodes(const Affine& axes) {
        std::vector<PendingNode> stack{{scene_.mRootNode, axes, 0, -1, -1}};
        std::size_t visits = 0;
        while (!stack.empty()) {
            const PendingNode pending = stack.back();
            stack.pop_back();
            const aiNode& node = *pending.node;
            if (++visits > limits_.maxNodeVisits) {
                throw MappingError("the model has more than " +
                                   std::to_string(limits_.maxNodeVisits) + " node instances");
            }
            if (pending.depth > limits_.maxNodeDepth) {
                throw MappingError("the model's nodes nest deeper than " +
                                   std::to_string(limits_.maxNodeDepth) + " levels");
            }
            const Affine global = composeAffine(pending.parent, affineOf(node.mTransformation));
            if (node.mNumMeshes > 0 && node.mMeshes == nullptr) {
                throw MappingError(nodeLabel(node) + " counts meshes but names none");
            }
            const auto visit = static_cast<std::int32_t>(walk_.visits.size());
            walk_.visits.push_back({&node, pending.up, -1});
            std::int32_t object = pending.object;
            if (node.mNumMeshes > 0) {
                object = startObject(node, pending.object, visit);
            }
            for (unsigned i = 0; i < node.mNumMeshes; ++i) {
                const unsigned meshIndex = node.mMeshes[i];
                if (meshIndex >= scene_.mNumMeshes) {
                    throw MappingError(nodeLabel(node) + " names mesh " +
                                       std::to_string(meshIndex) + " of " +
                                       std::to_string(scene_.mNumMeshes));
                }
                emitMesh(meshIndex, global);
            }
            if (options_.hierarchy) {
                model_.vertexObjects.resize(model_.vertexCount(),
                                            static_cast<std::uint32_t>(object));
            }
            if (node.mNumChildren > 0 && node.mChildren == nullptr) {
                throw MappingError(nodeLabel(node) + " counts children but holds none");
            }
            for (unsigned i = node.mNumChildren; i-- > 0;) {
                if (node.mChildren[i] == nullptr) {
                    throw MappingError(nodeLabel(node) + " holds an empty child");
                }
                stack.push_back({node.mChildren[i], global, pending.depth + 1, visit, object});
            }
        }
    }

    // In a hierarchy an object welds its positions among themselves only.
    std::int32_t startObject(const aiNode& node, std::int32_t parent, std::int32_t visit) {
        const auto object = static_cast<std::int32_t>(model_.objects.size());
        model_.objects.push_back({libraryText(node.mName), parent, {}});
        walk_.visits[static_cast<std::size_t>(visit)].object = object;
        walk_.objectVisits.push_back(visit);
        if (options_.hierarchy) {
            welder_ = std::make_unique<PositionWelder>(model_.positions);
        }
        return object;
    }

    const aiMesh& checkedMesh(unsigned index) {
        const aiMesh* mesh = scene_.mMeshes[index];
        if (mesh != nullptr && meshChecked_[index]) {
            return *mesh;
        }
        const std::string label = "mesh " + std::to_string(index);
        if (mesh == nullptr) {
            throw MappingError(label + " is missing");
        }
        if (mesh->mNumVertices > 0 && mesh->mVertices == nullptr) {
            throw MappingError(label + " counts vertices but holds none");
        }
        if (mesh->mNumFaces > 0 && mesh->mFaces == nullptr) {
            throw MappingError(label + " counts faces but holds none");
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 0 || face.mNumIndices > 3 || face.mIndices == nullptr) {
                throw MappingError(label + " face " + std::to_string(f) + " has " +
                                   std::to_string(face.mIndices == nullptr ? 0 : face.mNumIndices) +
                                   " corners");
            }
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                if (face.mIndices[k] >= mesh->mNumVertices) {
                    throw MappingError(label + " face " + std::to_string(f) + " uses vertex " +
                                       std::to_string(face.mIndices[k]) + " of " +
                                       std::to_string(mesh->mNumVertices));
                }
            }
        }
        meshChecked_[index] = true;
        countLeftOutParts(*mesh);
        return *mesh;
    }

    void countLeftOutParts(const aiMesh& mesh) {
        leftOut_.skinned += mesh.mNumBones > 0 ? 1 : 0;
        leftOut_.morphed += mesh.mNumAnimMeshes > 0 ? 1 : 0;
        leftOut_.secondUvs += mesh.mTextureCoords[1] != nullptr ? 1 : 0;
        leftOut_.colours += mesh.mColors[0] != nullptr ? 1 : 0;
    }

    // The engine's material index of the library's material: -1 for none.
    std::int32_t materialOf(const aiMesh& mesh, unsigned meshIndex) {
        const unsigned index = mesh.mMaterialIndex;
        if (index >= scene_.mNumMaterials) {
            if (scene_.mNumMaterials == 0) {
                return -1;
            }
            throw MappingError("mesh " + std::to_string(meshIndex) + " names material " +
                               std::to_string(index) + " of " +
                               std::to_string(scene_.mNumMaterials));
        }
        std::int32_t& slot = materialSlot_[index];
        if (slot == kMaterialUnmapped) {
            const aiMaterial* material = scene_.mMaterials[index];
            if (material == nullptr || index == facts_.addedMaterial ||
                isLibraryDefaultMaterial(*material)) {
                slot = -1;
            } else {
                slot = static_cast<std::int32_t>(model_.materials.size());
                model_.materials.push_back(mapMaterial(scene_, *material, images_));
            }
        }
        return slot;
    }

    // The corner's position in the engine's space, welded.
    std::uint32_t weldCorner(const Affine& global, const aiVector3D& p) {
        const float x = applyRow(global.m[0], p) + 0.0f;
        const float y = applyRow(global.m[1], p) + 0.0f;
        const float z = -applyRow(global.m[2], p) + 0.0f; // + 0.0f folds -0.0 into 0.0
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            throw MappingError("a vertex position is not a finite number");
        }
        return welder_->weld(x, y, z);
    }

    void addToBounds(const aiMesh& mesh, const Affine& global) {
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            const aiVector3D& p = mesh.mVertices[v];
            const double at[3] = {applyRow(global.m[0], p), applyRow(global.m[1], p),
                                  -applyRow(global.m[2], p)};
            walk_.bounds.add(at);
        }
    }

    // In a hierarchy the object's own space is its node's, so the positions
    // are the mesh's; the front faces still follow the node's placement.
    void emitMesh(unsigned meshIndex, const Affine& global) {
        const aiMesh& mesh = checkedMesh(meshIndex);
        const std::int32_t material = materialOf(mesh, meshIndex);
        const aiVector3D* uvs = mesh.mTextureCoords[0];
        const bool flip = mirrors(global);
        const Affine place = options_.hierarchy ? fromAxes(SceneAxes{}) : global;
        if (scene_.mNumLights > 0) {
            addToBounds(mesh, global);
        }
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices == 1) {
                model_.dropped.points += 1;
                continue;
            }
            if (face.mNumIndices == 2) {
                model_.dropped.lines += 1;
                continue;
            }
            unsigned corners[3] = {face.mIndices[0], face.mIndices[1], face.mIndices[2]};
            if (flip) {
                std::swap(corners[1], corners[2]);
            }
            if (++emitted_ > limits_.maxTriangles) {
                throw MappingError("the model has more than " +
                                   std::to_string(limits_.maxTriangles) + " triangles");
            }
            std::uint32_t v[3];
            for (int k = 0; k < 3; ++k) {
                v[k] = weldCorner(place, mesh.mVertices[corners[k]]);
            }
            if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) {
                model_.dropped.degenerateTriangles += 1;
                continue;
            }
            model_.triangles.insert(model_.triangles.end(), {v[0], v[1], v[2]});
            for (unsigned corner : corners) {
                const float u = uvs != nullptr ? uvs[corner].x : 0.0f;
                const float w = uvs != nullptr ? uvs[corner].y : 0.0f;
                if (!std::isfinite(u) || !std::isfinite(w)) {
                    throw MappingError("a texture coordinate is not a finite number");
                }
                model_.cornerUvs.insert(model_.cornerUvs.end(), {u, w});
            }
            model_.faceMaterials.push_back(material);
        }
    }

    void addDroppedWarning() {
        const DroppedPrimitives& d = model_.dropped;
        std::vector<std::string> parts;
        if (d.points > 0) {
            parts.push_back(plural(d.points, "point", "points"));
        }
        if (d.lines > 0) {
            parts.push_back(plural(d.lines, "line", "lines"));
        }
        if (d.degenerateTriangles > 0) {
            parts.push_back(
                plural(d.degenerateTriangles, "degenerate triangle", "degenerate triangles"));
        }
        if (parts.empty()) {
            return;
        }
        std::string text = "left out ";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
        }
        model_.warnings.push_back(text);
    }

    void addMeshWarnings() {
        const LeftOutParts& p = leftOut_;
        if (p.skinned > 0) {
            model_.warnings.push_back(
                plural(p.skinned, "skinned mesh", "skinned meshes") +
                (p.skinned == 1 ? " converted in its bind pose" : " converted in their bind pose"));
        }
        const std::pair<std::size_t, const char*> parts[] = {
            {p.morphed, "morph targets of "},
            {p.secondUvs, "a second texture coordinate set of "},
            {p.colours, "vertex colours of "}};
        for (const auto& [count, what] : parts) {
            if (count > 0) {
                model_.warnings.push_back(what + plural(count, "mesh", "meshes") + " left out");
            }
        }
    }

    const aiScene& scene_;
    const SceneFacts& facts_;
    const MappingLimits& limits_;
    const ModelReadOptions& options_;
    ImportedModel model_;
    MaterialImages images_;
    std::unique_ptr<PositionWelder> welder_;
    SceneWalk walk_;
    LeftOutParts leftOut_;
    std::vector<bool> meshChecked_;
    std::vector<std::int32_t> materialSlot_;
    std::size_t emitted_ = 0;
};

} // namespace

ImportedModel mapScene(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                       const ModelReadOptions& options) {
    return SceneMapper(scene, facts, limits, options).run();
}

} // namespace kzo
