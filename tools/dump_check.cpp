#include "tools/dump_check.h"

#include "format/kzo_check.h"
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
    if (const std::optional<KzoFault> fault = checkKzoFile(bytes)) {
        return Problem{fault->offset, fault->description};
    }
    return std::nullopt;
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
