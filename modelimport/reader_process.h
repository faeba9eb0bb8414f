// The calling thread's model reader (model_reader_protocol.h): started on the
// thread's first read, found like the modules (format/module_loader.h), and
// ended with the thread. Each thread has its own, so that the workers of a
// parallel run and a window's run thread read side by side and a read that
// runs out of time ends only its own reader.
#pragma once

#include "modelimport/model_import.h"
#include "modelimport/model_reader_protocol.h"

namespace kzo {

// Sends the request to the reader and waits, at most limits.timeoutSeconds,
// for the read's reply. Throws ModelImportError when the reader cannot be
// started or found, crashes, runs out of its memory or time, or replies with
// bytes that do not decode; the text says which, without the file's name.
// limits are whole (no 0 left for a default). A read that fails in a process
// that had read another model before is made once more in a fresh process,
// whose outcome counts.
ModelReadReply readThroughReader(const ModelReadRequest& request, const ModelReaderLimits& limits);

} // namespace kzo
