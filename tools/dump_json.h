// One JSON document per parsed file, holding every record as stored: for
// scripts and tests. Floats are written in the shortest form that reads back
// as the same float.
#pragma once

#include "tools/dump_model.h"

#include <string>
#include <string_view>

namespace kzo::dump {

// `path` goes into the document's "file" member.
std::string kzoJson(const KzoDump& dump, std::string_view path);
std::string motJson(const MotDump& dump, std::string_view path);
std::string camJson(const CamDump& dump, std::string_view path);
std::string kzlJson(const KzlDump& dump, std::string_view path);

} // namespace kzo::dump
