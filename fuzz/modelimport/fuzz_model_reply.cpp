// The model reader's messages as the programs decode them, from arbitrary
// bytes: a reply, a request, and the three short messages. Whatever decodes
// keeps the promises the programs rely on (the decoder checks them) and is
// exactly what the encoder writes for what was decoded, so no byte of a
// reply goes unread or is read twice.
#include "modelimport/imported_model_codec.h"
#include "modelimport/model_reader_protocol.h"

#include <cstdint>
#include <span>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

template <typename Decode, typename Encode>
void roundTrip(std::span<const std::uint8_t> bytes, Decode decode, Encode encode) {
    try {
        const auto decoded = decode(bytes);
        const std::vector<std::uint8_t> again = encode(decoded);
        check(again.size() == bytes.size() &&
              std::equal(again.begin(), again.end(), bytes.begin()));
    } catch (const kzo::RecordError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    roundTrip(bytes, kzo::decodeReply, kzo::encodeReply);
    roundTrip(bytes, kzo::decodeRequest, [](const kzo::ModelReadRequest& request) {
        std::vector<std::uint8_t> frame = kzo::encodeRequestFrame(request);
        frame.erase(frame.begin(), frame.begin() + 4);
        return frame;
    });
    roundTrip(bytes, kzo::decodeLimits, kzo::encodeLimits);
    roundTrip(bytes, kzo::decodeEnded, kzo::encodeEnded);
    try {
        const kzo::ReaderHello hello = kzo::decodeHello(bytes);
        if (hello.version == kzo::kReaderProtocolVersion) {
            check(kzo::encodeHello(hello) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        }
    } catch (const kzo::RecordError&) {
    }
    return 0;
}
