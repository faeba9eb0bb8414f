#include "modelimport/imported_model_codec.h"

#include "format/side_formats.h"

#include <bit>
#include <cmath>

namespace kzo {
namespace {

// Fewest bytes one entry of each list takes, so that a count can be checked
// against what remains before the list is allocated.
constexpr std::size_t kTextBytes = 4;
constexpr std::size_t kMaterialBytes = 4 + kTextBytes + 4;
constexpr std::size_t kImageBytes = kTextBytes + 8;
constexpr std::size_t kObjectBytes = kTextBytes + 4 + 8;

void storeU32le(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

template <typename Value>
std::uint32_t bitsOf(Value v) {
    return std::bit_cast<std::uint32_t>(v);
}

// A list of 32-bit values: its length, then the values.
template <typename Value>
void writeValues(ByteWriter& out, const std::vector<Value>& values) {
    static_assert(sizeof(Value) == 4);
    writeU64(out, values.size());
    std::uint8_t* p = out.extend(4 * values.size());
    for (const Value v : values) {
        storeU32le(p, bitsOf(v));
        p += 4;
    }
}

[[noreturn]] void fail(const ByteReader& in, const std::string& what) {
    throw RecordError(what + " (at byte " + std::to_string(in.position()) + ")");
}

template <typename Value>
std::vector<Value> readValues(ByteReader& in, const char* what) {
    const std::size_t count = readCount(in, 4, what);
    const std::span<const std::uint8_t> bytes = in.view(4 * count);
    std::vector<Value> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = std::bit_cast<Value>(loadU32le(bytes.data() + 4 * i));
    }
    return values;
}

void writeKeys(ByteWriter& out, const std::vector<MotionKey>& keys) {
    writeU64(out, keys.size());
    for (const MotionKey& key : keys) {
        writeMotionKey(out, key);
    }
}

std::vector<MotionKey> readKeys(ByteReader& in) {
    std::vector<MotionKey> keys(readCount(in, kMotionKeySize, "motion keys"));
    for (MotionKey& key : keys) {
        key = readMotionKey(in);
    }
    return keys;
}

void writeTexts(ByteWriter& out, const std::vector<std::string>& texts) {
    writeU64(out, texts.size());
    for (const std::string& text : texts) {
        writeText(out, text);
    }
}

std::vector<std::string> readTexts(ByteReader& in, const char* what) {
    std::vector<std::string> texts(readCount(in, kTextBytes, what));
    for (std::string& text : texts) {
        text = readText(in);
    }
    return texts;
}

void writeMaterials(ByteWriter& out, const std::vector<ImportedMaterial>& materials) {
    writeU64(out, materials.size());
    for (const ImportedMaterial& m : materials) {
        out.u8(m.red);
        out.u8(m.green);
        out.u8(m.blue);
        out.u8(m.transparency);
        writeText(out, m.imageName);
        out.i32le(m.embeddedImage);
    }
}

std::vector<ImportedMaterial> readMaterials(ByteReader& in) {
    std::vector<ImportedMaterial> materials(readCount(in, kMaterialBytes, "materials"));
    for (ImportedMaterial& m : materials) {
        m.red = in.u8();
        m.green = in.u8();
        m.blue = in.u8();
        m.transparency = in.u8();
        m.imageName = readText(in);
        m.embeddedImage = in.i32le();
    }
    return materials;
}

void writeImages(ByteWriter& out, const std::vector<EmbeddedImage>& images) {
    writeU64(out, images.size());
    for (const EmbeddedImage& image : images) {
        writeText(out, image.extension);
        writeU64(out, image.bytes.size());
        out.raw(image.bytes.data(), image.bytes.size());
    }
}

std::vector<EmbeddedImage> readImages(ByteReader& in) {
    std::vector<EmbeddedImage> images(readCount(in, kImageBytes, "embedded images"));
    for (EmbeddedImage& image : images) {
        image.extension = readText(in);
        const std::span<const std::uint8_t> bytes = in.view(readCount(in, 1, "image bytes"));
        image.bytes.assign(bytes.begin(), bytes.end());
    }
    return images;
}

void writeObjects(ByteWriter& out, const std::vector<ImportedObject>& objects) {
    writeU64(out, objects.size());
    for (const ImportedObject& object : objects) {
        writeText(out, object.name);
        out.i32le(object.parent);
        writeKeys(out, object.keys);
    }
}

std::vector<ImportedObject> readObjects(ByteReader& in) {
    std::vector<ImportedObject> objects(readCount(in, kObjectBytes, "objects"));
    for (ImportedObject& object : objects) {
        object.name = readText(in);
        object.parent = in.i32le();
        object.keys = readKeys(in);
    }
    return objects;
}

void writeLights(ByteWriter& out, const std::vector<Light>& lights) {
    writeU64(out, lights.size());
    for (const Light& light : lights) {
        writeLight(out, light);
    }
}

std::vector<Light> readLights(ByteReader& in) {
    // The record's one pad byte, after the colour.
    constexpr std::size_t kPadByte = 4 + 12 + 12 + 3;
    std::vector<Light> lights(readCount(in, kLightRecordSize, "lights"));
    for (Light& light : lights) {
        const std::span<const std::uint8_t> record = in.view(kLightRecordSize);
        if (record[kPadByte] != 0) {
            fail(in, "a light's pad byte is not 0");
        }
        ByteReader fields(record);
        light = readLight(fields);
    }
    return lights;
}

bool within(std::int64_t index, std::size_t count) {
    return index >= -1 && index < static_cast<std::int64_t>(count);
}

// The promises the programs follow without looking again.
void checkIndices(const ByteReader& in, const ImportedModel& m) {
    if (m.positions.size() % 3 != 0 || m.triangles.size() % 3 != 0) {
        fail(in, "positions or triangles do not come in threes");
    }
    if (m.cornerUvs.size() != 2 * m.triangles.size() || m.faceMaterials.size() != m.faceCount()) {
        fail(in, "texture coordinates or face materials do not match the triangles");
    }
    for (const float p : m.positions) {
        if (!std::isfinite(p)) {
            fail(in, "a position is not a finite number");
        }
    }
    const std::size_t vertices = m.vertexCount();
    for (std::size_t f = 0; f < m.faceCount(); ++f) {
        const std::uint32_t* t = &m.triangles[3 * f];
        if (t[0] >= vertices || t[1] >= vertices || t[2] >= vertices || t[0] == t[1] ||
            t[1] == t[2] || t[0] == t[2]) {
            fail(in, "triangle " + std::to_string(f) + " names a vertex twice or past the " +
                         std::to_string(vertices) + " vertices");
        }
        if (!within(m.faceMaterials[f], m.materials.size())) {
            fail(in, "triangle " + std::to_string(f) + " names a material that does not exist");
        }
    }
    for (const ImportedMaterial& material : m.materials) {
        if (!within(material.embeddedImage, m.embeddedImages.size())) {
            fail(in, "a material names an embedded image that does not exist");
        }
    }
    for (std::size_t o = 0; o < m.objects.size(); ++o) {
        if (m.objects[o].parent < -1 || m.objects[o].parent >= static_cast<std::int64_t>(o)) {
            fail(in, "object " + std::to_string(o) + " has a parent that does not come before it");
        }
    }
    if (!m.vertexObjects.empty() && m.vertexObjects.size() != vertices) {
        fail(in, "the vertices' objects do not match the vertices");
    }
    for (const std::uint32_t object : m.vertexObjects) {
        if (object >= m.objects.size()) {
            fail(in, "a vertex names an object that does not exist");
        }
    }
    if (!(m.framesPerSecond > 0.0) || !std::isfinite(m.framesPerSecond) || m.lastFrame < 0) {
        fail(in, "the frame rate or the last frame is out of range");
    }
}

} // namespace

void writeU64(ByteWriter& out, std::uint64_t v) {
    out.u32le(static_cast<std::uint32_t>(v));
    out.u32le(static_cast<std::uint32_t>(v >> 32));
}

std::uint64_t readU64(ByteReader& in) {
    const std::uint64_t low = in.u32le();
    return low | (std::uint64_t(in.u32le()) << 32);
}

std::size_t readCount(ByteReader& in, std::size_t entryBytes, const char* what) {
    const std::uint64_t count = readU64(in);
    if (count > in.remaining() / entryBytes) {
        fail(in, std::string("a count of ") + std::to_string(count) + " " + what +
                     " runs past the end");
    }
    return static_cast<std::size_t>(count);
}

void writeText(ByteWriter& out, const std::string& text) {
    writeU64(out, text.size());
    out.raw(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string readText(ByteReader& in) {
    const std::span<const std::uint8_t> bytes = in.view(readCount(in, 1, "text bytes"));
    return std::string(bytes.begin(), bytes.end());
}

void writeImportedModel(ByteWriter& out, const ImportedModel& m) {
    writeValues(out, m.positions);
    writeValues(out, m.triangles);
    writeValues(out, m.cornerUvs);
    writeValues(out, m.faceMaterials);
    writeMaterials(out, m.materials);
    writeImages(out, m.embeddedImages);
    writeU64(out, m.dropped.points);
    writeU64(out, m.dropped.lines);
    writeU64(out, m.dropped.degenerateTriangles);
    writeObjects(out, m.objects);
    writeValues(out, m.vertexObjects);
    out.u8(m.hasCamera ? 1 : 0);
    writeText(out, m.camera.name);
    writeKeys(out, m.camera.keys);
    writeLights(out, m.lights);
    for (const float c : m.ambientColor) {
        out.f32le(c);
    }
    out.i32le(m.lastFrame);
    writeU64(out, std::bit_cast<std::uint64_t>(m.framesPerSecond));
    writeU64(out, m.fit.verticesBefore);
    writeU64(out, m.fit.facesBefore);
    writeU64(out, m.fit.verticesAfter);
    writeU64(out, m.fit.facesAfter);
    writeTexts(out, m.warnings);
    writeTexts(out, m.filesRead);
}

ImportedModel readImportedModel(ByteReader& in) {
    ImportedModel m;
    try {
        m.positions = readValues<float>(in, "position values");
        m.triangles = readValues<std::uint32_t>(in, "corners");
        m.cornerUvs = readValues<float>(in, "texture coordinates");
        m.faceMaterials = readValues<std::int32_t>(in, "face materials");
        m.materials = readMaterials(in);
        m.embeddedImages = readImages(in);
        m.dropped.points = readU64(in);
        m.dropped.lines = readU64(in);
        m.dropped.degenerateTriangles = readU64(in);
        m.objects = readObjects(in);
        m.vertexObjects = readValues<std::uint32_t>(in, "vertex objects");
        const std::uint8_t hasCamera = in.u8();
        if (hasCamera > 1) {
            fail(in, "the camera flag is neither 0 nor 1");
        }
        m.hasCamera = hasCamera == 1;
        m.camera.name = readText(in);
        m.camera.keys = readKeys(in);
        m.lights = readLights(in);
        for (float& c : m.ambientColor) {
            c = in.f32le();
        }
        m.lastFrame = in.i32le();
        m.framesPerSecond = std::bit_cast<double>(readU64(in));
        m.fit.verticesBefore = readU64(in);
        m.fit.facesBefore = readU64(in);
        m.fit.verticesAfter = readU64(in);
        m.fit.facesAfter = readU64(in);
        m.warnings = readTexts(in, "warnings");
        m.filesRead = readTexts(in, "file names");
    } catch (const OutOfData& e) {
        throw RecordError(e.what());
    }
    checkIndices(in, m);
    return m;
}

} // namespace kzo
