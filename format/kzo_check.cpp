#include "format/kzo_check.h"

#include "format/byte_reader.h"
#include "format/kzo_format.h"

#include <cmath>
#include <vector>

namespace kzo {
namespace {

// Thrown inside the checker and turned into its result at the boundary, so
// that each rule reads as a plain test.
struct Found {
    KzoFault fault;
};

[[noreturn]] void fail(std::uint64_t offset, std::string description) {
    throw Found{KzoFault{std::size_t(offset), std::move(description)}};
}

// Only ever called for a value that is not finite.
std::string notFiniteText(float value) {
    if (std::isnan(value)) {
        return "nan";
    }
    return value < 0 ? "-inf" : "inf";
}

// `what` makes the value's name; it is called only for a failure, so that a
// large valid file costs no strings.
template <typename Name>
void requireFinite(float value, std::uint64_t offset, Name what) {
    if (!std::isfinite(value)) {
        fail(offset, what() + " is not finite (" + notFiniteText(value) + ")");
    }
}

// Three floats at offset, each named what() and its axis.
template <typename Name>
void requireFinite3(const std::uint8_t* p, std::uint64_t offset, Name what) {
    static const char* const kAxes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        requireFinite(loadF32le(p + 4 * i), offset + 4 * std::uint64_t(i),
                      [&] { return what() + " " + kAxes[i]; });
    }
}

// Byte offsets of the sections; 64-bit so that no count can wrap them.
struct Sections {
    std::uint64_t images = 0, materials = 0, vertices = 0, faces = 0, pivots = 0, shading = 0,
                  end = 0;
};

Sections sectionsOf(const KzoHeader& h) {
    Sections s;
    s.images = kKzoHeaderSize;
    s.materials = s.images + kKzoImageRecordSize * std::uint64_t(h.imageCount);
    s.vertices = s.materials + kKzoMaterialRecordSize * std::uint64_t(h.materialCount);
    s.faces = s.vertices + kKzoVertexRecordSize * std::uint64_t(h.vertexCount);
    s.pivots = s.faces + kKzoFaceRecordSize * std::uint64_t(h.faceCount);
    s.shading = s.pivots + kKzoPivotRecordSize * std::uint64_t(h.pivotCount);
    s.end = s.shading + kzoShadingDataSize(h.shadingType, h.vertexCount, h.faceCount);
    return s;
}

KzoHeader checkHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kKzoHeaderSize) {
        fail(0, "the file ends inside the 28-byte header: 28 bytes needed, " +
                    std::to_string(bytes.size()) + " left");
    }
    ByteReader in(bytes);
    const KzoHeader h = readKzoHeader(in);
    static const char* const kNames[] = {"image", "material", "vertex", "face", "pivot"};
    const std::int32_t counts[] = {h.imageCount, h.materialCount, h.vertexCount, h.faceCount,
                                   h.pivotCount};
    for (int i = 0; i < 5; ++i) {
        if (counts[i] < 0) {
            fail(4 + 4 * i, std::string("the ") + kNames[i] + " count is negative (" +
                                std::to_string(counts[i]) + ")");
        }
    }
    if (h.version != kKzoVersion) {
        fail(0, "version is " + std::to_string(h.version) + ", expected 16 (1.0)");
    }
    if (shadingTypeName(h.shadingType) == nullptr) {
        fail(24, "unknown shading type " + std::to_string(h.shadingType));
    }
    const std::uint64_t expected = sectionsOf(h).end;
    if (expected != bytes.size()) {
        fail(expected < bytes.size() ? expected : bytes.size(),
             "the file is " + std::to_string(bytes.size()) +
                 " bytes, but the header's counts and shading type make it " +
                 std::to_string(expected));
    }
    return h;
}

// From here on the file has exactly the size the header announces, so every
// record lies inside it.
struct Check {
    const std::uint8_t* data;
    const KzoHeader& h;
    const Sections& s;

    void images() const {
        for (std::uint64_t i = 0; i < std::uint64_t(h.imageCount); ++i) {
            const std::uint8_t* name = data + s.images + i * kKzoImageRecordSize;
            bool terminated = false;
            for (std::size_t k = 0; k < kKzoImageRecordSize && !terminated; ++k) {
                terminated = name[k] == 0;
            }
            if (!terminated) {
                fail(s.images + i * kKzoImageRecordSize,
                     "image " + std::to_string(i) +
                         ": the name has no terminating NUL within 128 bytes");
            }
        }
    }

    void materials() const {
        std::int64_t covered = 0;
        for (std::uint64_t i = 0; i < std::uint64_t(h.materialCount); ++i) {
            const std::uint64_t at = s.materials + i * kKzoMaterialRecordSize;
            const auto imageIndex = static_cast<std::int16_t>(loadU16le(data + at + 4));
            const auto faceRun = static_cast<std::int32_t>(loadU32le(data + at + 8));
            const auto name = [i] { return "material " + std::to_string(i); };
            if (imageIndex != -1 && (imageIndex < 0 || imageIndex >= h.imageCount)) {
                fail(at + 4, name() + ": image index " + std::to_string(imageIndex) +
                                 " is neither -1 nor below the image count " +
                                 std::to_string(h.imageCount));
            }
            if (faceRun < 0) {
                fail(at + 8,
                     name() + ": the face run is negative (" + std::to_string(faceRun) + ")");
            }
            covered += faceRun;
            if (covered > h.faceCount) {
                fail(at + 8, name() + ": the face runs reach face " + std::to_string(covered) +
                                 ", past the face count " + std::to_string(h.faceCount));
            }
        }
        if (covered != h.faceCount) {
            fail(s.vertices, "the material face runs cover " + std::to_string(covered) + " of " +
                                 std::to_string(h.faceCount) + " faces");
        }
    }

    void vertices() const {
        for (std::uint64_t i = 0; i < std::uint64_t(h.vertexCount); ++i) {
            const std::uint64_t at = s.vertices + i * kKzoVertexRecordSize;
            requireFinite3(data + at, at, [i] { return "vertex " + std::to_string(i); });
        }
    }

    void faces() const {
        for (std::uint64_t i = 0; i < std::uint64_t(h.faceCount); ++i) {
            const std::uint64_t at = s.faces + i * kKzoFaceRecordSize;
            const std::uint8_t* face = data + at;
            const auto name = [i] { return "face " + std::to_string(i); };
            const auto corners = static_cast<std::int32_t>(loadU32le(face));
            if (corners != 3 && corners != 4) {
                fail(at, name() + ": corner count " + std::to_string(corners) + " is not 3 or 4");
            }
            for (int c = 0; c < corners; ++c) {
                const std::uint16_t index = loadU16le(face + 4 + 2 * c);
                if (index >= h.vertexCount) {
                    fail(at + 4 + 2 * std::uint64_t(c),
                         name() + ": vertex index " + std::to_string(index) + " of corner " +
                             std::to_string(c) + " is not below the vertex count " +
                             std::to_string(h.vertexCount));
                }
            }
            for (int slot = 0; slot < 2 * kKzoFaceSlots; ++slot) {
                const char* axis = slot < kKzoFaceSlots ? "u" : "v";
                const int k = slot % kKzoFaceSlots;
                requireFinite(loadF32le(face + 12 + 4 * slot), at + 12 + 4 * std::uint64_t(slot),
                              [&] { return name() + ": " + axis + "[" + std::to_string(k) + "]"; });
            }
        }
    }

    void pivots() const {
        const auto count = static_cast<std::size_t>(h.pivotCount);
        std::vector<std::uint16_t> parents(count);
        std::int64_t covered = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t at = s.pivots + i * kKzoPivotRecordSize;
            const auto name = [i] { return "pivot " + std::to_string(i); };
            requireFinite3(data + at, at, [&] { return name() + ": pivot point"; });
            parents[i] = loadU16le(data + at + 12);
            if (parents[i] != kKzoNoParent && parents[i] >= count) {
                fail(at + 12, name() + ": parent " + std::to_string(parents[i]) +
                                  " is neither 65535 nor below the pivot count " +
                                  std::to_string(count));
            }
            covered += loadU16le(data + at + 14);
            if (covered > h.vertexCount) {
                fail(at + 14, name() + ": the vertex runs reach vertex " + std::to_string(covered) +
                                  ", past the vertex count " + std::to_string(h.vertexCount));
            }
        }
        if (count != 0 && covered != h.vertexCount) {
            fail(s.shading, "the pivot vertex runs cover " + std::to_string(covered) + " of " +
                                std::to_string(h.vertexCount) + " vertices");
        }
        const std::int64_t cyclic = firstPivotOnCycle(parents);
        if (cyclic >= 0) {
            fail(s.pivots + std::uint64_t(cyclic) * kKzoPivotRecordSize + 12,
                 "pivot " + std::to_string(cyclic) + ": its parent chain is a cycle");
        }
    }

    // A pivot on a parent cycle: of the first cycle that the chains of pivots
    // 0, 1, 2, ... run into, its lowest index; -1 when there is no cycle.
    // Parents are already known to be 65535 or in range. Linear: every pivot
    // is walked at most once.
    static std::int64_t firstPivotOnCycle(const std::vector<std::uint16_t>& parents) {
        enum : std::uint8_t { kUnseen, kOnWalk, kDone };
        std::vector<std::uint8_t> state(parents.size(), kUnseen);
        for (std::size_t start = 0; start < parents.size(); ++start) {
            std::size_t p = start;
            while (state[p] == kUnseen) {
                state[p] = kOnWalk;
                if (parents[p] == kKzoNoParent) {
                    break;
                }
                p = parents[p];
            }
            if (state[p] == kOnWalk && parents[p] != kKzoNoParent) {
                std::size_t lowest = p;
                for (std::size_t q = parents[p]; q != p; q = parents[q]) {
                    lowest = q < lowest ? q : lowest;
                }
                return std::int64_t(lowest);
            }
            for (std::size_t q = start; state[q] == kOnWalk; q = parents[q]) {
                state[q] = kDone;
                if (parents[q] == kKzoNoParent) {
                    break;
                }
            }
        }
        return -1;
    }

    // Normals (types 1 and 2); the colours of types 3 and 4 take any byte.
    void shading() const {
        std::uint64_t normals = 0;
        const char* per = "";
        if (h.shadingType == kRealtimeGouraud) {
            normals = std::uint64_t(h.vertexCount);
            per = "vertex normal ";
        } else if (h.shadingType == kRealtimeFlat) {
            normals = std::uint64_t(h.faceCount);
            per = "face normal ";
        }
        for (std::uint64_t i = 0; i < normals; ++i) {
            const std::uint64_t at = s.shading + 12 * i;
            requireFinite3(data + at, at, [&] { return per + std::to_string(i); });
        }
    }
};

} // namespace

std::optional<KzoFault> checkKzoFile(std::span<const std::uint8_t> bytes) {
    try {
        const KzoHeader h = checkHeader(bytes);
        const Sections s = sectionsOf(h);
        const Check check{bytes.data(), h, s};
        check.images();
        check.materials();
        check.vertices();
        check.faces();
        check.pivots();
        check.shading();
    } catch (const Found& found) {
        return found.fault;
    }
    return std::nullopt;
}

} // namespace kzo
