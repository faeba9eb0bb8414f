// The whole ImportedModel as bytes, every field, for the model reader's
// reply (model_reader_protocol.h). The reader treats its bytes as a hostile
// file would be treated: every count and length is checked against what
// remains before anything is allocated, and a model it returns keeps the
// promises of imported_model.h that the programs follow blindly (every index
// within its table, positions finite), so that a reader process that went
// wrong cannot make the programs read out of bounds.
#pragma once

#include "format/byte_reader.h"
#include "format/byte_writer.h"
#include "modelimport/imported_model.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kzo {

// The bytes are not a model; the text says what is wrong and where.
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void writeImportedModel(ByteWriter& out, const ImportedModel& model);
// Reads what writeImportedModel wrote. Throws RecordError.
ImportedModel readImportedModel(ByteReader& in);

// The pieces every message of the reader is made of: 64-bit numbers, counts
// (a count of entries of at least entryBytes each, checked against what
// remains), texts (a count, then the bytes).
void writeU64(ByteWriter& out, std::uint64_t v);
std::uint64_t readU64(ByteReader& in);
std::size_t readCount(ByteReader& in, std::size_t entryBytes, const char* what);
void writeText(ByteWriter& out, const std::string& text);
std::string readText(ByteReader& in);

} // namespace kzo
