// Named objects of a 3DS file: vertex lists (welded into the scene's vertex
// table), face lists with their material lists, and mapping coordinates.
//
// Faces are stored with the object's own vertex numbers and translated to
// table indices only when the object ends, so the lists may come in any order
// within the mesh.
#include "converter/import/chunks_3ds.h"
#include "converter/model/scene_model.h"

namespace kzo {
namespace {

void readVertexList(const Reader3ds& reader, Chunk3ds& list) {
    SceneModel& model = reader.model;
    model.objectVertexNumber = 0;
    const std::uint16_t count = list.data.u16le();
    for (std::uint32_t i = 0; i < count; ++i) {
        const float fx = list.data.f32le();
        const float fy = list.data.f32le();
        const float fz = list.data.f32le();
        if (model.objectVertexNumber >= kMaxVertices) {
            fatalError(model.sink, "'%s' has more than %d vertices in one object",
                       reader.path.c_str(), kMaxVertices);
        }
        // The file's z axis is the model's y axis.
        const std::int32_t index = reader.welder(model, fx, fz, fy);
        if (index == model.vertexCount) {
            if (model.vertexCount >= kMaxVertices) {
                fatalError(model.sink, "'%s' has more than %d vertices", reader.path.c_str(),
                           kMaxVertices);
            }
            Vertex vertex;
            vertex.x = fx;
            vertex.y = fz;
            vertex.z = fy;
            vertex.pivotIndex = reader.pivotIndex;
            model.vertices[static_cast<std::size_t>(index)] = vertex;
            model.vertexCount += 1;
        }
        model.vertexRemap[static_cast<std::size_t>(model.objectVertexNumber)] =
            static_cast<std::uint16_t>(index);
        model.objectVertexNumber += 1;
    }
}

// The material index a face material list names: the first entry of this
// file's materials with that name, or 0 when none has it.
std::int16_t materialIndexNamed(const SceneModel& model, const std::string& name) {
    for (std::int32_t i = model.materialSearchStart; i < model.materialNameCount; ++i) {
        if (model.materialNames[static_cast<std::size_t>(i)] == name) {
            return model.materialNameMap[static_cast<std::size_t>(i)];
        }
    }
    return 0;
}

void readFaceMaterialList(const Reader3ds& reader, Chunk3ds& list) {
    SceneModel& model = reader.model;
    const std::string name = readName(reader, list);
    const std::uint16_t count = list.data.u16le();
    const std::int16_t materialIndex = materialIndexNamed(model, name);
    const std::int32_t objectFaces = model.faceCount - model.objectFaceBase;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t q = list.data.u16le();
        if (q >= objectFaces) {
            reportDamage(reader,
                         "material list '%s' at byte %zu names face %u of an object with %d faces",
                         name.c_str(), list.offset, unsigned(q), objectFaces);
        }
        model.faces[static_cast<std::size_t>(model.objectFaceBase + q)].materialIndex =
            materialIndex;
    }
}

void readFaceList(const Reader3ds& reader, Chunk3ds& list) {
    SceneModel& model = reader.model;
    const std::uint16_t count = list.data.u16le();
    for (std::uint32_t i = 0; i < count; ++i) {
        Face face; // texture coordinates 0, corners white, no material
        face.vertexIndex[0] = list.data.u16le();
        face.vertexIndex[1] = list.data.u16le();
        face.vertexIndex[2] = list.data.u16le();
        list.data.u16le(); // 3DS edge flags: not used
        if (model.faceCount >= kMaxFaces) {
            fatalError(model.sink, "'%s' has more than %d faces", reader.path.c_str(), kMaxFaces);
        }
        model.faces[static_cast<std::size_t>(model.faceCount)] = face;
        model.faceCount += 1;
    }
    forEachChild(reader, list, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kFaceMaterialList) {
            readFaceMaterialList(reader, child);
        }
    });
}

void readMappingCoords(const Reader3ds& reader, Chunk3ds& list) {
    SceneModel& model = reader.model;
    const std::uint16_t count = list.data.u16le();
    for (std::uint32_t i = 0; i < count; ++i) {
        TextureCoord coord;
        coord.u = list.data.f32le();
        coord.v = list.data.f32le();
        if (model.textureCoordCount >= kMaxTextureCoords) {
            fatalError(model.sink, "'%s' has more than %d mapping coordinates in one object",
                       reader.path.c_str(), kMaxTextureCoords);
        }
        model.textureCoords[static_cast<std::size_t>(model.textureCoordCount)] = coord;
        model.textureCoordCount += 1;
    }
}

void readTriangleMesh(const Reader3ds& reader, Chunk3ds& mesh) {
    forEachChild(reader, mesh, [&](Chunk3ds& child) {
        switch (child.id) {
        case chunk3ds::kVertexList:
            readVertexList(reader, child);
            break;
        case chunk3ds::kFaceList:
            readFaceList(reader, child);
            break;
        case chunk3ds::kMappingCoords:
            readMappingCoords(reader, child);
            break;
        default:
            break;
        }
    });
}

// Turns the object's faces from its own vertex numbers into table indices and
// gives each corner its texture coordinates (texel units of a 256-texel map;
// 0 where the object has no coordinate for the vertex) and a white colour.
void finishObjectFaces(const Reader3ds& reader, std::int32_t firstFace,
                       const std::string& objectName) {
    SceneModel& model = reader.model;
    const std::int32_t vertexNumbers = model.objectVertexNumber;
    for (std::int32_t f = firstFace; f < model.faceCount; ++f) {
        Face& face = model.faces[static_cast<std::size_t>(f)];
        for (int k = 0; k < 3; ++k) {
            const std::uint16_t n = face.vertexIndex[k];
            if (n >= vertexNumbers) {
                reportDamage(reader, "face %d of object '%s' uses vertex %u of %d",
                             int(f - firstFace), objectName.c_str(), unsigned(n), vertexNumbers);
            }
            if (n < model.textureCoordCount) {
                const TextureCoord& coord = model.textureCoords[n];
                face.texU[k] = static_cast<float>(static_cast<double>(coord.u) * 255.0);
                face.texV[k] = static_cast<float>(static_cast<double>(coord.v) * 255.0);
            } else {
                face.texU[k] = 0.0f;
                face.texV[k] = 0.0f;
            }
            face.vertexIndex[k] = model.vertexRemap[n];
            face.colorR[k] = face.colorG[k] = face.colorB[k] = 255;
        }
    }
}

} // namespace

void readNamedObject(const Reader3ds& reader, Chunk3ds& object) {
    SceneModel& model = reader.model;
    const std::string name = readName(reader, object);
    const std::int32_t firstFace = model.faceCount;
    model.objectFaceBase = firstFace;
    model.textureCoordCount = 0;
    // An object without a vertex list has no vertices, whatever the one before
    // it had.
    model.objectVertexNumber = 0;
    forEachChild(reader, object, [&](Chunk3ds& child) {
        if (child.id == chunk3ds::kTriangleMesh) {
            readTriangleMesh(reader, child);
        }
    });
    finishObjectFaces(reader, firstFace, name);
}

} // namespace kzo
