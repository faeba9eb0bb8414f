// Readable text of every record of a parsed file, and the short summaries.
#pragma once

#include "tools/dump_model.h"

#include <string>

namespace kzo::dump {

std::string kzoText(const KzoDump& dump);
std::string motText(const MotDump& dump);
std::string camText(const CamDump& dump);
std::string kzlText(const KzlDump& dump);

// The converter's summary lines for a KZO header.
std::string kzoSummary(const KzoHeader& header);
std::string motSummary(const MotDump& dump);
std::string camSummary(const CamDump& dump);
std::string kzlSummary(const KzlDump& dump);

// A stored name in double quotes; bytes that are not printable ASCII appear as
// \xNN, a quote or backslash with a backslash before it.
std::string quotedName(const std::string& name);

} // namespace kzo::dump
