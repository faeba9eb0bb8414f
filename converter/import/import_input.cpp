#include "converter/import/import_input.h"

#include "converter/import/import_lws_scene.h"
#include "converter/import/load_3ds.h"
#include "converter/import/load_lwo.h"

namespace kzo {

InputKind inputKindOf(const std::string& path) {
    if (path.size() < 3) {
        return InputKind::unsupported;
    }
    const char* c = path.data() + path.size() - 3;
    if (c[0] == '3' && (c[1] == 'D' || c[1] == 'd') && (c[2] == 'S' || c[2] == 's')) {
        return InputKind::threeDStudio;
    }
    if ((c[0] == 'L' || c[0] == 'l') && (c[1] == 'W' || c[1] == 'w') &&
        (c[2] == 'S' || c[2] == 's')) {
        return InputKind::lightWaveScene;
    }
    return InputKind::unsupported;
}

ImportedInput importInput(InputKind kind, SceneModel& model, const std::string& path) {
    switch (kind) {
    case InputKind::threeDStudio:
        return import3dsFile(model, path);
    case InputKind::lightWaveScene:
        return importLwsScene(model, path);
    case InputKind::unsupported:
        break;
    }
    return ImportedInput{};
}

ImportedInput import3dsFile(SceneModel& model, const std::string& path) {
    load3dsFile(model, path);
    ImportedInput imported;
    imported.filesRead.push_back(path);
    return imported;
}

ImportedInput importLwoFile(SceneModel& model, const std::string& path) {
    loadLwoFile(model, path, kAllLayers);
    ImportedInput imported;
    imported.filesRead.push_back(path);
    return imported;
}

} // namespace kzo
