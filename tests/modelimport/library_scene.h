// Scenes of the import library built in memory, for the mapping's tests and
// fuzzer: meshes, nodes and materials handed over as the library's readers
// would, or broken in ways they should not be.
#pragma once

#include <assimp/anim.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

namespace kzotest {

inline aiMesh* libraryMesh(const std::vector<aiVector3D>& vertices,
                           const std::vector<std::vector<unsigned>>& faces, unsigned material = 0) {
    auto* mesh = new aiMesh;
    mesh->mNumVertices = static_cast<unsigned>(vertices.size());
    if (!vertices.empty()) {
        mesh->mVertices = new aiVector3D[vertices.size()];
        std::copy(vertices.begin(), vertices.end(), mesh->mVertices);
    }
    mesh->mNumFaces = static_cast<unsigned>(faces.size());
    if (!faces.empty()) {
        mesh->mFaces = new aiFace[faces.size()];
        for (std::size_t f = 0; f < faces.size(); ++f) {
            mesh->mFaces[f].mNumIndices = static_cast<unsigned>(faces[f].size());
            mesh->mFaces[f].mIndices = new unsigned[faces[f].size()];
            std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
        }
    }
    mesh->mMaterialIndex = material;
    return mesh;
}

inline aiNode* libraryNode(const std::string& name, const std::vector<unsigned>& meshes,
                           const std::vector<aiNode*>& children = {},
                           const aiMatrix4x4& transform = aiMatrix4x4()) {
    auto* node = new aiNode(name);
    node->mTransformation = transform;
    node->mNumMeshes = static_cast<unsigned>(meshes.size());
    if (!meshes.empty()) {
        node->mMeshes = new unsigned[meshes.size()];
        std::copy(meshes.begin(), meshes.end(), node->mMeshes);
    }
    if (!children.empty()) {
        node->addChildren(static_cast<unsigned>(children.size()),
                          const_cast<aiNode**>(children.data()));
    }
    return node;
}

inline aiMaterial* libraryMaterial(float r, float g, float b, float opacity,
                                   const std::string& texture = {}) {
    auto* material = new aiMaterial;
    const aiColor3D colour(r, g, b);
    material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
    if (!texture.empty()) {
        const aiString path(texture);
        material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material;
}

// An animation of one node's position, at ticksPerSecond, keys as (tick, x).
inline aiAnimation* libraryAnimation(const std::string& node,
                                     const std::vector<std::pair<double, float>>& keys,
                                     double ticksPerSecond = 1) {
    auto* channel = new aiNodeAnim;
    channel->mNodeName = aiString(node);
    channel->mNumPositionKeys = static_cast<unsigned>(keys.size());
    channel->mPositionKeys = new aiVectorKey[keys.size()];
    for (std::size_t k = 0; k < keys.size(); ++k) {
        channel->mPositionKeys[k] = aiVectorKey(keys[k].first, aiVector3D(keys[k].second, 0, 0));
    }
    auto* animation = new aiAnimation;
    animation->mTicksPerSecond = ticksPerSecond;
    animation->mNumChannels = 1;
    animation->mChannels = new aiNodeAnim*[1]{channel};
    return animation;
}

// The scene owns everything handed to it.
inline std::unique_ptr<aiScene> libraryScene(const std::vector<aiMesh*>& meshes,
                                             const std::vector<aiMaterial*>& materials,
                                             aiNode* root) {
    auto scene = std::make_unique<aiScene>();
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    if (!meshes.empty()) {
        scene->mMeshes = new aiMesh*[meshes.size()];
        std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
    }
    scene->mNumMaterials = static_cast<unsigned>(materials.size());
    if (!materials.empty()) {
        scene->mMaterials = new aiMaterial*[materials.size()];
        std::copy(materials.begin(), materials.end(), scene->mMaterials);
    }
    scene->mRootNode = root;
    return scene;
}

} // namespace kzotest
