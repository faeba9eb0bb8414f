#include "converter/model/scene_model.h"

namespace kzo {

SceneModel::SceneModel()
    : images(kMaxImages), materials(kMaxMaterials), vertices(kMaxVertices), faces(kMaxFaces),
      pivots(kMaxPivots), lights(kMaxLights), materialNames(kMaxMaterialNames),
      materialNameMap(kMaxMaterialNames), textureCoords(kMaxTextureCoords),
      vertexRemap(kMaxVertices) {}

void resetSceneModel(SceneModel& model) {
    model.defaultTransparency = 128;
    model.imageCount = 0;
    model.materialCount = 0;
    model.textureCoordCount = 0;
    model.vertexCount = 0;
    model.faceCount = 0;
    model.pivotCount = 0;
    model.materialNameCount = 0;
    model.objectFaceBase = 0;
    model.objectVertexNumber = 0;
    model.materialSearchStart = 0;
    model.lightCount = 0;
    model.ambientColor[0] = model.ambientColor[1] = model.ambientColor[2] = 0.0f;
    model.vertices.reset();
    model.faces.reset();
    model.pivots.reset();
    model.lights.reset();
    model.textureCoords.reset();
}

void markMaterialFlags(SceneModel& model, const ConversionSettings& settings) {
    for (int i = 0; i < model.materialCount; ++i) {
        Material& m = model.materials[static_cast<std::size_t>(i)];
        m.flags |= kMaterialAlways;
        if (settings.shadingType != kNoShading) {
            m.flags |= kMaterialShaded;
        }
        if (m.imageIndex >= 0) {
            m.flags |= kMaterialTextured | kMaterialTextured40;
        }
    }
}

} // namespace kzo
