#include "converter/import/import_lws_scene.h"

#include "converter/import/camera_file.h"
#include "converter/import/light_file.h"
#include "converter/import/load_3ds.h"
#include "converter/import/motion_file.h"
#include "converter/import/object_path.h"
#include "converter/import/scene_objects.h"
#include "converter/import/scene_text.h"
#include "converter/model/default_material.h"
#include "converter/model/kzo_writer.h"
#include "converter/model/paths.h"
#include "converter/model/sort_faces.h"
#include "format/file_io.h"

namespace kzo {
namespace {

SceneText readScene(SceneModel& model, const std::string& input) {
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(input, bytes)) {
        fatalError(model.sink, "cannot open '%s'", input.c_str());
    }
    return makeSceneText(input, std::string(bytes.begin(), bytes.end()));
}

} // namespace

void importLwsScene(SceneModel& model, const std::string& input, const std::string& output) {
    const SceneText scene = readScene(model, input);
    const std::string sceneDirectory = directoryPart(input);
    importSceneText(model, scene, output,
                    [&sceneDirectory](SceneModel& m, const ObjectName& object) {
                        std::string found = findObjectGeometry(sceneDirectory, object.path);
                        // A name with blanks: the cut token is tried first, as the format
                        // reads it, then the whole name, which the error then names.
                        if (found.empty() && object.wholeLine != object.path) {
                            found = findObjectGeometry(sceneDirectory, object.wholeLine);
                        }
                        if (found.empty()) {
                            fatalError(m.sink, "cannot open '%s'",
                                       objectGeometryName(object.wholeLine).c_str());
                        }
                        load3dsFile(m, found);
                    });
}

void importSceneText(SceneModel& model, const SceneText& scene, const std::string& output,
                     const ObjectLoader& loadObject) {
    resetSceneModel(model);
    for (Face& face : model.faces) {
        face.materialIndex = -1;
    }
    readLights(model, scene);
    readSceneObjects(model, scene, loadObject);

    appendDefaultMaterial(model, scene.path);
    sortFacesByMaterial(model);
    markMaterialFlags(model);

    if (model.settings.animation == 0) {
        writeKzo(model, output);
    } else {
        writeKzoWithPivots(model, output);
        writeMotFile(model, scene, replaceExtension(output, "mot"));
    }
    // The camera's target point reads the pivot points as the KZO writer left
    // them: scaled.
    writeCamFile(model, scene, replaceExtension(output, "cam"));
    writeKzlFile(model, replaceExtension(output, "kzl"));
}

} // namespace kzo
