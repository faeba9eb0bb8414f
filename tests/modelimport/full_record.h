// A model with every field of the record set to something other than its
// default, partly made of the request it answers, so that a record that
// crosses a pipe and back shows that every field of both went and came.
#pragma once

#include "modelimport/model_reader_protocol.h"

#include <cmath>
#include <string>

namespace kzotest {

inline kzo::MotionKey keyAt(std::int32_t frame, float base) {
    kzo::MotionKey key;
    key.frame = frame;
    key.position[0] = base;
    key.position[1] = base + 0.5f;
    key.position[2] = -base;
    key.heading = base * 2;
    key.pitch = base * 3;
    key.bank = -0.0f; // kept as written, sign and all
    key.scale[0] = 1.5f;
    key.scale[1] = base;
    key.scale[2] = 3.0f;
    return key;
}

inline kzo::ImportedModel fullRecord(const kzo::ModelReadRequest& request) {
    const kzo::ModelReadOptions& o = request.options;
    kzo::ImportedModel m;
    //  0 ---- 1     two triangles of two objects, one textured, one not
    //  |  \   |
    //  3 ---- 2
    m.positions = {0, 0, 0, 1, 0, 0, 1, -1, 0.25f, 0, -1, 1e-30f};
    m.triangles = {0, 1, 2, 0, 2, 3};
    m.cornerUvs = {0, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0, 0.5f};
    m.faceMaterials = {1, -1};
    m.materials = {{1, 2, 3, 4, "bark.png", -1}, {250, 251, 252, 253, "", 0}};
    m.embeddedImages = {{"png", {0x89, 'P', 'N', 'G', 0, 255}}};
    m.dropped = {5, 6, 7};
    m.objects = {{"trunk", -1, {keyAt(0, 1.0f), keyAt(10, 2.0f)}}, {"", 0, {keyAt(0, 4.0f)}}};
    m.vertexObjects = {0, 0, 1, 1};
    m.hasCamera = true;
    m.camera = {"eye", {keyAt(0, 8.0f), keyAt(3, 16.0f)}};
    kzo::Light light;
    light.type = kzo::kSpotLight;
    light.position[0] = 1;
    light.direction[1] = 1;
    light.color[0] = 200;
    light.color[2] = 7;
    light.intensity = 0.75f;
    light.range = 12.5f;
    light.coneCos = 0.5f;
    light.edgeCos = 0.25f;
    m.lights = {light, kzo::Light{}};
    m.ambientColor[0] = 10;
    m.ambientColor[1] = 20.5f;
    m.ambientColor[2] = 255;
    m.lastFrame = 10;
    // The request's own values come back in the fields they fit.
    m.framesPerSecond = o.framesPerSecond + 0.25;
    m.fit = {o.fit.maxVertices, o.fit.maxFaces, o.hierarchy ? 11u : 12u, o.motion ? 13u : 14u};
    m.warnings = {"from '" + request.workingDirectory + "'", ""};
    m.filesRead = {request.path};
    for (const std::string& dir : o.searchPaths) {
        m.filesRead.push_back(dir);
    }
    return m;
}

} // namespace kzotest
