// Hand-built gzip members for the decoder's tests: every optional header field, and trailers
// that lie about the CRC-32 or the size, which no library encoder would write.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mb::testdata {

inline std::string RawDeflate(std::string_view data, int level = 6) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    return out;
}

inline uint32_t Crc32(std::string_view data) {
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline void AppendLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

struct GzipOptions {
    bool extra = false;
    bool name = false;
    bool comment = false;
    bool headerCrc = false;
    bool nameUnterminated = false;  // FNAME set, and no zero byte anywhere after the name
    bool badCrc = false;
    int64_t isizeDelta = 0;  // added to the true size in the trailer (modulo 2^32)
};

inline std::string GzipHeader(const GzipOptions& options) {
    unsigned char flags = 0;
    if (options.headerCrc) flags |= 0x02;
    if (options.extra) flags |= 0x04;
    if (options.name || options.nameUnterminated) flags |= 0x08;
    if (options.comment) flags |= 0x10;
    std::string header("\x1f\x8b\x08", 3);
    header.push_back(static_cast<char>(flags));
    header.append("\x00\x00\x00\x00\x02\xff", 6);
    if (options.extra) {
        const std::string field = std::string("MB\x04\x00", 4) + "sim!";
        header.push_back(static_cast<char>(field.size()));
        header.push_back('\0');
        header += field;
    }
    if (options.name) header.append("answer.json", 12);   // with its zero byte
    if (options.comment) header.append("a comment", 10);  // with its zero byte
    if (options.headerCrc) {
        const uint32_t crc = Crc32(header);
        header.push_back(static_cast<char>(crc & 0xFF));
        header.push_back(static_cast<char>((crc >> 8) & 0xFF));
    }
    return header;
}

inline std::string MakeGzip(std::string_view data, const GzipOptions& options = {}) {
    std::string body = GzipHeader(options);
    if (options.nameUnterminated) {
        for (int i = 0; i < 4; ++i) body += "answer.json";
        return body;
    }
    body += RawDeflate(data);
    AppendLe32(body, Crc32(data) ^ (options.badCrc ? 0xFFFFFFFFu : 0u));
    AppendLe32(body, static_cast<uint32_t>(static_cast<int64_t>(data.size()) + options.isizeDelta));
    return body;
}

// A JSON text of about the given size, shaped like an all-status answer.
inline std::string JsonOfSize(std::size_t bytes) {
    std::string json = "{\"channel_status\":{\"b\":[";
    int channel = 1;
    while (json.size() + 200 < bytes) {
        json += "{\"channel_number\":" + std::to_string(channel++) +
                ",\"last_hp\":77,\"last_update\":\"2025-12-01 12:00:00.000Z\",\"dps\":0.25,\"etd\":308},";
    }
    json += "{}]}}";
    return json;
}

}  // namespace mb::testdata
