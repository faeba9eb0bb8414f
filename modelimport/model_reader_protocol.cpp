#include "modelimport/model_reader_protocol.h"

#include "modelimport/imported_model_codec.h"

namespace kzo {
namespace {

// Four letters in front of every message, read as a little-endian number.
constexpr std::uint32_t tagOf(const char (&letters)[5]) {
    return std::uint32_t(std::uint8_t(letters[0])) |
           (std::uint32_t(std::uint8_t(letters[1])) << 8) |
           (std::uint32_t(std::uint8_t(letters[2])) << 16) |
           (std::uint32_t(std::uint8_t(letters[3])) << 24);
}

constexpr std::uint32_t kRequestTag = tagOf("KZRQ");
constexpr std::uint32_t kReplyTag = tagOf("KZRP");
constexpr std::uint32_t kHelloTag = tagOf("KZRH");
constexpr std::uint32_t kLimitsTag = tagOf("KZRS");
constexpr std::uint32_t kEndedTag = tagOf("KZRE");

void writeHead(ByteWriter& out, std::uint32_t tag) {
    out.u32le(tag);
    out.u32le(kReaderProtocolVersion);
}

// Reads the tag and the version; returns the version.
std::uint32_t readHead(ByteReader& in, std::uint32_t tag, const char* what, bool anyVersion) {
    if (in.u32le() != tag) {
        throw RecordError(std::string("this is not ") + what);
    }
    const std::uint32_t version = in.u32le();
    if (!anyVersion && version != kReaderProtocolVersion) {
        throw RecordError(std::string(what) + " of protocol version " + std::to_string(version) +
                          ", not " + std::to_string(kReaderProtocolVersion));
    }
    return version;
}

bool readFlag(ByteReader& in) {
    const std::uint8_t flag = in.u8();
    if (flag > 1) {
        throw RecordError("a flag is neither 0 nor 1 (at byte " +
                          std::to_string(in.position() - 1) + ")");
    }
    return flag == 1;
}

void requireEnd(const ByteReader& in, const char* what) {
    if (!in.atEnd()) {
        throw RecordError(std::to_string(in.remaining()) + " bytes follow " + what);
    }
}

// Runs a decoder, a short message's end of data included in RecordError.
template <typename Decode>
auto decoded(std::span<const std::uint8_t> bytes, Decode decode) {
    ByteReader in(bytes);
    try {
        return decode(in);
    } catch (const OutOfData& e) {
        throw RecordError(e.what());
    }
}

} // namespace

std::vector<std::uint8_t> encodeRequestFrame(const ModelReadRequest& request) {
    ByteWriter out;
    out.u32le(0); // the length, patched below
    writeHead(out, kRequestTag);
    writeText(out, request.workingDirectory);
    writeText(out, request.path);
    const ModelReadOptions& o = request.options;
    out.u8(o.hierarchy ? 1 : 0);
    out.u8(o.motion ? 1 : 0);
    out.i32le(o.framesPerSecond);
    writeU64(out, o.searchPaths.size());
    for (const std::string& dir : o.searchPaths) {
        writeText(out, dir);
    }
    writeU64(out, o.fit.maxVertices);
    writeU64(out, o.fit.maxFaces);
    out.patchI32le(0, static_cast<std::int32_t>(out.size() - 4));
    return out.take();
}

ModelReadRequest decodeRequest(std::span<const std::uint8_t> bytes) {
    return decoded(bytes, [](ByteReader& in) {
        readHead(in, kRequestTag, "a read request", false);
        ModelReadRequest request;
        request.workingDirectory = readText(in);
        request.path = readText(in);
        ModelReadOptions& o = request.options;
        o.hierarchy = readFlag(in);
        o.motion = readFlag(in);
        o.framesPerSecond = in.i32le();
        o.searchPaths.resize(readCount(in, 8, "search paths"));
        for (std::string& dir : o.searchPaths) {
            dir = readText(in);
        }
        o.fit.maxVertices = static_cast<std::size_t>(readU64(in));
        o.fit.maxFaces = static_cast<std::size_t>(readU64(in));
        requireEnd(in, "the request");
        return request;
    });
}

std::vector<std::uint8_t> encodeReply(const ModelReadReply& reply) {
    ByteWriter out;
    writeHead(out, kReplyTag);
    out.u8(reply.read ? 1 : 0);
    out.u32le(static_cast<std::uint32_t>(reply.stage));
    writeText(out, reply.error);
    writeImportedModel(out, reply.model);
    return out.take();
}

ModelReadReply decodeReply(std::span<const std::uint8_t> bytes) {
    return decoded(bytes, [](ByteReader& in) {
        readHead(in, kReplyTag, "a model reply", false);
        ModelReadReply reply;
        reply.read = readFlag(in);
        const std::uint32_t stage = in.u32le();
        if (stage > static_cast<std::uint32_t>(ModelErrorStage::fit)) {
            throw RecordError("unknown stage " + std::to_string(stage));
        }
        reply.stage = static_cast<ModelErrorStage>(stage);
        reply.error = readText(in);
        reply.model = readImportedModel(in);
        requireEnd(in, "the model");
        return reply;
    });
}

std::vector<std::uint8_t> encodeHello(const ReaderHello& hello) {
    ByteWriter out;
    out.u32le(kHelloTag);
    out.u32le(hello.version);
    out.u8(hello.moduleLoaded ? 1 : 0);
    writeText(out, hello.failure);
    return out.take();
}

ReaderHello decodeHello(std::span<const std::uint8_t> bytes) {
    return decoded(bytes, [](ByteReader& in) {
        ReaderHello hello;
        hello.version = readHead(in, kHelloTag, "the model reader's greeting", true);
        if (hello.version != kReaderProtocolVersion) {
            return hello; // the rest may be laid out otherwise
        }
        hello.moduleLoaded = readFlag(in);
        hello.failure = readText(in);
        requireEnd(in, "the greeting");
        return hello;
    });
}

std::vector<std::uint8_t> encodeLimits(const ReadLimits& limits) {
    ByteWriter out;
    writeHead(out, kLimitsTag);
    out.u32le(limits.memoryMiB);
    out.u32le(limits.timeoutSeconds);
    out.u8(limits.fresh ? 1 : 0);
    return out.take();
}

ReadLimits decodeLimits(std::span<const std::uint8_t> bytes) {
    return decoded(bytes, [](ByteReader& in) {
        readHead(in, kLimitsTag, "a start message", false);
        ReadLimits limits;
        limits.memoryMiB = in.u32le();
        limits.timeoutSeconds = in.u32le();
        limits.fresh = readFlag(in);
        requireEnd(in, "the limits");
        return limits;
    });
}

std::vector<std::uint8_t> encodeEnded(const ReadEnded& ended) {
    ByteWriter out;
    writeHead(out, kEndedTag);
    out.u8(ended.startFailed ? 1 : 0);
    out.u8(ended.signaled ? 1 : 0);
    out.i32le(ended.code);
    out.u8(ended.reused ? 1 : 0);
    return out.take();
}

ReadEnded decodeEnded(std::span<const std::uint8_t> bytes) {
    return decoded(bytes, [](ByteReader& in) {
        readHead(in, kEndedTag, "an end message", false);
        ReadEnded ended;
        ended.startFailed = readFlag(in);
        ended.signaled = readFlag(in);
        ended.code = in.i32le();
        ended.reused = readFlag(in);
        requireEnd(in, "the end message");
        return ended;
    });
}

} // namespace kzo
