#include "tools/dump_check.h"

#include "tools/dump_parse.h"
#include "tools/number_text.h"

#include <cmath>
#include <string>

namespace kzo::dump {
namespace {

// Thrown inside the checker and turned into its result at the boundary, so that
// each rule reads as a plain test.
struct Found {
    Problem problem;
};

[[noreturn]] void fail(std::uint64_t offset, const std::string& description) {
    throw Found{Problem{std::size_t(offset), description}};
}

// `what` makes the value's name; it is called only for a failure, so that a
// large valid file costs no strings.
template <typename Name>
void requireFinite(float value, std::uint64_t offset, Name what) {
    if (!std::isfinite(value)) {
        fail(offset, what() + " is not finite (" + floatText(value) + ")");
    }
}

template <typename Name>
void requireFinite3(const float* v, std::uint64_t offset, Name what) {
    static const char* const kAxes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        requireFinite(v[i], offset + 4 * std::uint64_t(i), [&] { return what() + " " + kAxes[i]; });
    }
}

std::string tail(std::size_t trailing) {
    return std::to_string(trailing) + (trailing == 1 ? " byte follows" : " bytes follow");
}

void requireNoTrailingBytes(std::size_t fileSize, std::size_t trailing, const std::string& what) {
    if (trailing != 0) {
        fail(fileSize - trailing,
             tail(trailing) + " the last " + what + "; the counts account for " +
                 std::to_string(fileSize - trailing) + " of " + std::to_string(fileSize));
    }
}

template <typename Check>
std::optional<Problem> runCheck(Check check) {
    try {
        check();
    } catch (const Found& found) {
        return found.problem;
    } catch (const DumpError& e) {
        return Problem{e.offset, e.what()};
    }
    return std::nullopt;
}

// --- KZO ------------------------------------------------------------------

void checkKzoHeader(const KzoHeader& h, std::size_t fileSize) {
    if (h.version != kKzoVersion) {
        fail(0, "version is " + std::to_string(h.version) + ", expected 16 (1.0)");
    }
    static const char* const kNames[] = {"image", "material", "vertex", "face", "pivot"};
    const std::int32_t counts[] = {h.imageCount, h.materialCount, h.vertexCount, h.faceCount,
                                   h.pivotCount};
    for (int i = 0; i < 5; ++i) {
        if (counts[i] < 0) {
            fail(4 + 4 * i, std::string("the ") + kNames[i] + " count is negative (" +
                                std::to_string(counts[i]) + ")");
        }
    }
    if (shadingTypeName(h.shadingType) == nullptr) {
        fail(24, "unknown shading type " + std::to_string(h.shadingType));
    }
    const std::uint64_t expected = kzoLayout(h).end;
    if (expected != fileSize) {
        fail(expected < fileSize ? expected : fileSize,
             "the file is " + std::to_string(fileSize) +
                 " bytes, but the header's counts and shading type make it " +
                 std::to_string(expected));
    }
}

void checkImages(const KzoDump& d, const KzoLayout& l) {
    for (std::size_t i = 0; i < d.images.size(); ++i) {
        if (!d.images[i].terminated) {
            fail(l.images + i * kKzoImageRecordSize,
                 "image " + std::to_string(i) +
                     ": the name has no terminating NUL within 128 bytes");
        }
    }
}

void checkMaterials(const KzoDump& d, const KzoLayout& l) {
    const std::int64_t faceCount = d.header.faceCount;
    std::int64_t covered = 0;
    for (std::size_t i = 0; i < d.materials.size(); ++i) {
        const KzoMaterialRecord& m = d.materials[i];
        const std::uint64_t at = l.materials + i * kKzoMaterialRecordSize;
        const auto name = [i] { return "material " + std::to_string(i); };
        if (m.imageIndex != -1 && (m.imageIndex < 0 || m.imageIndex >= d.header.imageCount)) {
            fail(at + 4, name() + ": image index " + std::to_string(m.imageIndex) +
                             " is neither -1 nor below the image count " +
                             std::to_string(d.header.imageCount));
        }
        if (m.materialFaceCount < 0) {
            fail(at + 8, name() + ": the face run is negative (" +
                             std::to_string(m.materialFaceCount) + ")");
        }
        covered += m.materialFaceCount;
        if (covered > faceCount) {
            fail(at + 8, name() + ": the face runs reach face " + std::to_string(covered) +
                             ", past the face count " + std::to_string(faceCount));
        }
    }
    if (covered != faceCount) {
        fail(l.vertices, "the material face runs cover " + std::to_string(covered) + " of " +
                             std::to_string(faceCount) + " faces");
    }
}

void checkVertices(const KzoDump& d, const KzoLayout& l) {
    for (std::size_t i = 0; i < d.vertices.size(); ++i) {
        const KzoVertexRecord& v = d.vertices[i];
        const float xyz[3] = {v.x, v.y, v.z};
        requireFinite3(xyz, l.vertices + i * kKzoVertexRecordSize,
                       [i] { return "vertex " + std::to_string(i); });
    }
}

void checkFaces(const KzoDump& d, const KzoLayout& l) {
    for (std::size_t i = 0; i < d.faces.size(); ++i) {
        const KzoFaceRecord& f = d.faces[i];
        const std::uint64_t at = l.faces + i * kKzoFaceRecordSize;
        const auto name = [i] { return "face " + std::to_string(i); };
        if (f.cornerCount != 3 && f.cornerCount != 4) {
            fail(at, name() + ": corner count " + std::to_string(f.cornerCount) + " is not 3 or 4");
        }
        for (int c = 0; c < f.cornerCount; ++c) {
            if (f.vertexIndex[c] >= d.header.vertexCount) {
                fail(at + 4 + 2 * std::uint64_t(c),
                     name() + ": vertex index " + std::to_string(f.vertexIndex[c]) + " of corner " +
                         std::to_string(c) + " is not below the vertex count " +
                         std::to_string(d.header.vertexCount));
            }
        }
        for (int s = 0; s < kKzoFaceSlots; ++s) {
            requireFinite(f.u[s], at + 12 + 4 * std::uint64_t(s),
                          [&] { return name() + ": u[" + std::to_string(s) + "]"; });
        }
        for (int s = 0; s < kKzoFaceSlots; ++s) {
            requireFinite(f.v[s], at + 28 + 4 * std::uint64_t(s),
                          [&] { return name() + ": v[" + std::to_string(s) + "]"; });
        }
    }
}

// A pivot on a parent cycle: of the first cycle that the chains of pivots 0,
// 1, 2, ... run into, its lowest index; -1 when there is no cycle. Parents are already known
// to be 65535 or in range. Linear: every pivot is walked at most once.
std::int64_t firstPivotOnCycle(const std::vector<KzoPivotRecord>& pivots) {
    enum : std::uint8_t { kUnseen, kOnWalk, kDone };
    std::vector<std::uint8_t> state(pivots.size(), kUnseen);
    for (std::size_t start = 0; start < pivots.size(); ++start) {
        std::size_t p = start;
        while (state[p] == kUnseen) {
            state[p] = kOnWalk;
            if (pivots[p].parent == kKzoNoParent) {
                break;
            }
            p = pivots[p].parent;
        }
        if (state[p] == kOnWalk && pivots[p].parent != kKzoNoParent) {
            std::size_t lowest = p;
            for (std::size_t q = pivots[p].parent; q != p; q = pivots[q].parent) {
                lowest = q < lowest ? q : lowest;
            }
            return std::int64_t(lowest);
        }
        for (std::size_t q = start; state[q] == kOnWalk; q = pivots[q].parent) {
            state[q] = kDone;
            if (pivots[q].parent == kKzoNoParent) {
                break;
            }
        }
    }
    return -1;
}

void checkPivots(const KzoDump& d, const KzoLayout& l) {
    std::int64_t covered = 0;
    for (std::size_t i = 0; i < d.pivots.size(); ++i) {
        const KzoPivotRecord& p = d.pivots[i];
        const std::uint64_t at = l.pivots + i * kKzoPivotRecordSize;
        const auto name = [i] { return "pivot " + std::to_string(i); };
        requireFinite3(p.pivotPoint, at, [&] { return name() + ": pivot point"; });
        if (p.parent != kKzoNoParent && p.parent >= d.pivots.size()) {
            fail(at + 12, name() + ": parent " + std::to_string(p.parent) +
                              " is neither 65535 nor below the pivot count " +
                              std::to_string(d.pivots.size()));
        }
        covered += p.pivotVertexCount;
        if (covered > d.header.vertexCount) {
            fail(at + 14, name() + ": the vertex runs reach vertex " + std::to_string(covered) +
                              ", past the vertex count " + std::to_string(d.header.vertexCount));
        }
    }
    if (!d.pivots.empty() && covered != d.header.vertexCount) {
        fail(l.shading, "the pivot vertex runs cover " + std::to_string(covered) + " of " +
                            std::to_string(d.header.vertexCount) + " vertices");
    }
    const std::int64_t cyclic = firstPivotOnCycle(d.pivots);
    if (cyclic >= 0) {
        fail(l.pivots + std::uint64_t(cyclic) * kKzoPivotRecordSize + 12,
             "pivot " + std::to_string(cyclic) + ": its parent chain is a cycle");
    }
}

void checkShading(const KzoDump& d, const KzoLayout& l) {
    const char* per = d.header.shadingType == kRealtimeGouraud ? "vertex normal " : "face normal ";
    for (std::size_t i = 0; i < d.normals.size(); ++i) {
        requireFinite3(d.normals[i].data(), l.shading + 12 * i,
                       [&] { return per + std::to_string(i); });
    }
}

void runKzoChecks(std::span<const std::uint8_t> bytes) {
    const KzoHeader h = parseKzoHeader(bytes);
    checkKzoHeader(h, bytes.size());
    const KzoDump d = parseKzo(bytes);
    const KzoLayout l = kzoLayout(h);
    checkImages(d, l);
    checkMaterials(d, l);
    checkVertices(d, l);
    checkFaces(d, l);
    checkPivots(d, l);
    checkShading(d, l);
}

// --- side files -----------------------------------------------------------

void checkKeys(const MotionBlockDump& block, const std::string& what) {
    static const char* const kFields[] = {"position x", "position y", "position z",
                                          "heading",    "pitch",      "bank",
                                          "scale x",    "scale y",    "scale z"};
    for (std::size_t k = 0; k < block.keys.size(); ++k) {
        const MotionKey& key = block.keys[k];
        const float values[9] = {key.position[0], key.position[1], key.position[2],
                                 key.heading,     key.pitch,       key.bank,
                                 key.scale[0],    key.scale[1],    key.scale[2]};
        const std::uint64_t at = block.offset + 4 + k * kMotionKeySize;
        for (int i = 0; i < 9; ++i) {
            requireFinite(values[i], at + 4 + 4 * std::uint64_t(i),
                          [&] { return what + " key " + std::to_string(k) + ": " + kFields[i]; });
        }
    }
}

void runMotChecks(std::span<const std::uint8_t> bytes) {
    const MotDump d = parseMot(bytes);
    for (std::size_t i = 0; i < d.blocks.size(); ++i) {
        checkKeys(d.blocks[i], "block " + std::to_string(i));
    }
    requireNoTrailingBytes(d.fileSize, d.trailingBytes, "motion block");
}

void runCamChecks(std::span<const std::uint8_t> bytes) {
    const CamDump d = parseCam(bytes);
    if (d.camera) {
        // Only the file of two absent sections may start with a count below 1;
        // any other file starts with the camera's keys.
        if (d.camera->keys.empty()) {
            fail(0, "the camera block holds no keys; its count 0 reads as an absent section");
        }
        checkKeys(*d.camera, "camera block");
    }
    if (d.parent.block) {
        checkKeys(*d.parent.block, "parent block");
    }
    if (d.target.block) {
        checkKeys(*d.target.block, "target block");
    }
    if (d.targetPoint) {
        requireFinite3(d.targetPoint->data(), d.fileSize - d.trailingBytes - 12,
                       [] { return std::string("target point"); });
    }
    requireNoTrailingBytes(d.fileSize, d.trailingBytes, "section");
}

void runKzlChecks(std::span<const std::uint8_t> bytes) {
    const KzlDump d = parseKzl(bytes);
    for (std::size_t i = 0; i < d.lights.size(); ++i) {
        const Light& light = d.lights[i];
        const std::uint64_t at = 4 + i * kLightRecordSize;
        const auto name = [i] { return "light " + std::to_string(i); };
        requireFinite3(light.position, at + 4, [&] { return name() + ": position"; });
        requireFinite3(light.direction, at + 16, [&] { return name() + ": direction"; });
        requireFinite(light.intensity, at + 32, [&] { return name() + ": intensity"; });
        requireFinite(light.range, at + 36, [&] { return name() + ": range"; });
        requireFinite(light.coneCos, at + 40, [&] { return name() + ": coneCos"; });
        requireFinite(light.edgeCos, at + 44, [&] { return name() + ": edgeCos"; });
    }
    requireNoTrailingBytes(d.fileSize, d.trailingBytes, "light record");
}

} // namespace

std::optional<Problem> checkKzo(std::span<const std::uint8_t> bytes) {
    return runCheck([&] { runKzoChecks(bytes); });
}

std::optional<Problem> checkMot(std::span<const std::uint8_t> bytes) {
    return runCheck([&] { runMotChecks(bytes); });
}

std::optional<Problem> checkCam(std::span<const std::uint8_t> bytes) {
    return runCheck([&] { runCamChecks(bytes); });
}

std::optional<Problem> checkKzl(std::span<const std::uint8_t> bytes) {
    return runCheck([&] { runKzlChecks(bytes); });
}

std::optional<Problem> checkFile(FileKind kind, std::span<const std::uint8_t> bytes) {
    switch (kind) {
    case FileKind::kzo:
        return checkKzo(bytes);
    case FileKind::mot:
        return checkMot(bytes);
    case FileKind::cam:
        return checkCam(bytes);
    case FileKind::kzl:
        return checkKzl(bytes);
    }
    return std::nullopt;
}

} // namespace kzo::dump
