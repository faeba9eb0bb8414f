#include "chunks_3ds.h"

namespace kzo::chunk3ds {

Fault readHeader(ByteReader& in, std::size_t end, Header& header) {
    header = Header{};
    header.start = in.position();
    // Written as differences from the end, which cannot overflow.
    if (end < header.start || end - header.start < 2) {
        return Fault::noId;
    }
    header.id = in.u16le();
    if (end - in.position() < 4) {
        return Fault::noLength;
    }
    header.length = in.u32le();
    if (header.length < kHeaderSize) {
        return Fault::shortLength;
    }
    if (header.length > end - header.start) {
        return Fault::pastEnd;
    }
    return Fault::none;
}

} // namespace kzo::chunk3ds
