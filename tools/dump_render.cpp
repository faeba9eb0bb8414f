#include "tools/dump_render.h"

#include "tools/dump_json.h"
#include "tools/dump_parse.h"
#include "tools/dump_text.h"

namespace kzo::dump {
namespace {

template <typename Dump>
std::string render(const Dump& dump, OutputMode mode, std::string_view path,
                   std::string (*text)(const Dump&), std::string (*summary)(const Dump&),
                   std::string (*json)(const Dump&, std::string_view)) {
    switch (mode) {
    case OutputMode::text:
        return text(dump);
    case OutputMode::summary:
        return summary(dump);
    case OutputMode::json:
        return json(dump, path) + "\n";
    }
    return {};
}

} // namespace

std::string renderFile(FileKind kind, std::span<const std::uint8_t> bytes, OutputMode mode,
                       std::string_view path) {
    switch (kind) {
    case FileKind::kzo:
        if (mode == OutputMode::summary) {
            return kzoSummary(parseKzoHeader(bytes));
        }
        if (mode == OutputMode::json) {
            return kzoJson(parseKzo(bytes), path) + "\n";
        }
        return kzoText(parseKzo(bytes));
    case FileKind::mot:
        return render<MotDump>(parseMot(bytes), mode, path, motText, motSummary, motJson);
    case FileKind::cam:
        return render<CamDump>(parseCam(bytes), mode, path, camText, camSummary, camJson);
    case FileKind::kzl:
        return render<KzlDump>(parseKzl(bytes), mode, path, kzlText, kzlSummary, kzlJson);
    }
    return {};
}

} // namespace kzo::dump
