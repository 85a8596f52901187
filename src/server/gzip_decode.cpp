#include "server/gzip_decode.h"

#include <zlib.h>

#include <climits>
#include <new>

namespace mb {
namespace {

constexpr std::size_t kHeaderBytes = 10;
constexpr std::size_t kTrailerBytes = 8;
constexpr unsigned char kFlagHeaderCrc = 0x02;
constexpr unsigned char kFlagExtra = 0x04;
constexpr unsigned char kFlagName = 0x08;
constexpr unsigned char kFlagComment = 0x10;
constexpr unsigned char kFlagReserved = 0xE0;

unsigned char byteAt(std::string_view body, std::size_t i) { return static_cast<unsigned char>(body[i]); }

// Moves p past the next zero byte; false when there is none before the end.
bool skipZeroTerminated(std::string_view body, std::size_t& p) {
    const std::size_t zero = body.find('\0', p);
    if (zero == std::string_view::npos) return false;
    p = zero + 1;
    return true;
}

// A zlib raw-inflate stream that is always ended, whichever way the decoding leaves.
class RawInflater {
public:
    RawInflater() = default;
    ~RawInflater() {
        if (ready_) inflateEnd(&stream_);
    }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    bool init() {
        ready_ = inflateInit2(&stream_, -15) == Z_OK;
        return ready_;
    }
    void reset() { inflateReset(&stream_); }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

void pointAt(z_stream& stream, std::string_view data) {
    // zlib's interface is not const-correct; it never writes through next_in.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
}

// The whole body in one call into an output of exactly the claimed size.
bool inflateOneShot(RawInflater& inflater, uint32_t isize, std::string& out) {
    out.resize(isize);
    z_stream& stream = inflater.stream();
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = isize;
    if (inflate(&stream, Z_FINISH) == Z_STREAM_END) {
        out.resize(stream.total_out);
        return true;
    }
    out.clear();
    return false;
}

// Inflates in 64 KiB steps until the deflate stream ends.
bool inflateChunked(RawInflater& inflater, std::string& out) {
    z_stream& stream = inflater.stream();
    unsigned char scratch[kInflateChunkBytes];
    for (;;) {
        const uInt inBefore = stream.avail_in;
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) return false;
        const std::size_t produced = sizeof scratch - stream.avail_out;
        if (produced > 0) {
            if (out.size() + produced > kMaxInflatedBytes) return false;
            out.append(reinterpret_cast<const char*>(scratch), produced);
            if (result == Z_STREAM_END) return true;
            continue;
        }
        if (result == Z_STREAM_END) return true;
        if (stream.avail_in == 0) return false;
        // Neither output nor progress through the input: the stream is stuck.
        if (stream.avail_in == inBefore) return false;
    }
}

}  // namespace

std::optional<GzipFrame> parseGzipFrame(std::string_view body) {
    const std::size_t n = body.size();
    if (n < kHeaderBytes + kTrailerBytes) return std::nullopt;
    if (byteAt(body, 0) != 0x1F || byteAt(body, 1) != 0x8B || byteAt(body, 2) != 0x08) return std::nullopt;
    const unsigned char flags = byteAt(body, 3);
    if (flags & kFlagReserved) return std::nullopt;

    std::size_t p = kHeaderBytes;
    if (flags & kFlagExtra) {
        const std::size_t xlen = byteAt(body, 10) | (static_cast<std::size_t>(byteAt(body, 11)) << 8);
        p = 12 + xlen;
        if (n < p) return std::nullopt;
    }
    if ((flags & kFlagName) && !skipZeroTerminated(body, p)) return std::nullopt;
    if ((flags & kFlagComment) && !skipZeroTerminated(body, p)) return std::nullopt;
    if (flags & kFlagHeaderCrc) {
        p += 2;
        if (n < p) return std::nullopt;
    }
    // At least one byte of deflate data between the header and the trailer.
    if (n < p + kTrailerBytes || p >= n - kTrailerBytes) return std::nullopt;

    GzipFrame frame;
    frame.dataBegin = p;
    frame.dataEnd = n - kTrailerBytes;
    frame.isize = static_cast<uint32_t>(byteAt(body, n - 4)) | static_cast<uint32_t>(byteAt(body, n - 3)) << 8 |
                  static_cast<uint32_t>(byteAt(body, n - 2)) << 16 | static_cast<uint32_t>(byteAt(body, n - 1)) << 24;
    return frame;
}

bool inflateGzipBody(std::string_view body, std::string& out) noexcept {
    out.clear();
    try {
        const std::optional<GzipFrame> frame = parseGzipFrame(body);
        if (!frame) return false;
        const std::string_view data = body.substr(frame->dataBegin, frame->dataEnd - frame->dataBegin);
        if (data.size() > UINT_MAX) return false;  // more than zlib takes in one go; never a real body

        RawInflater inflater;
        if (!inflater.init()) return false;
        pointAt(inflater.stream(), data);

        // ISIZE from 1 to 64 MiB - 1 sizes a single call; the unsigned wrap sends 0 elsewhere.
        if (frame->isize - 1u <= 0x3FFFFFEu) {
            if (inflateOneShot(inflater, frame->isize, out)) return true;
            inflater.reset();
            pointAt(inflater.stream(), data);
        }
        if (inflateChunked(inflater, out)) return true;
    } catch (...) {  // memory ran out while growing the output
    }
    std::string().swap(out);  // empty, and the memory of a partial output is given back
    return false;
}

}  // namespace mb
