// What converting a file would read, found without converting it: build
// systems that run each conversion with only its declared inputs at hand
// (kzomaker --list-inputs) learn them from here.
#pragma once

#include "converter/import/import_input.h"
#include "converter/model/conversion_settings.h"
#include "converter/model/messages.h"

#include <string>
#include <vector>

namespace kzo {

// Every file the import of path (of a supported kind) would read with these
// settings, each once, in the order first read, the input first: the list
// the import returns as filesRead and the dependency file names as
// prerequisites. A scene is parsed and its objects are found, but none is
// loaded; a model of another format is read by the library, which learns its
// buffers and material libraries only so. Paths are as the import forms
// them, relative where the input is. A file that cannot be opened or found
// is the import's fatal error.
std::vector<std::string> listInputs(InputKind kind, const std::string& path,
                                    const ConversionSettings& settings, const MessageSink& sink);

} // namespace kzo
