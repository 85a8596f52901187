// gzip bodies of the tracker's data endpoints: the RFC 1952 member framing is read here,
// the deflate data inside it are inflated by zlib as a raw stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mb {

// Largest inflated body accepted. ISIZE sizes the one-shot output only below it, and the
// chunked path gives up past it, so a small hostile body cannot inflate without bound.
inline constexpr std::size_t kMaxInflatedBytes = 64u * 1024u * 1024u;

// Output step of the chunked path.
inline constexpr std::size_t kInflateChunkBytes = 65536;

// Where the deflate data of a gzip member lie, and the size its trailer claims.
struct GzipFrame {
    std::size_t dataBegin = 0;  // first byte after the header and its optional fields
    std::size_t dataEnd = 0;    // first byte of the 8-byte trailer
    uint32_t isize = 0;         // the trailer's size field (uncompressed size modulo 2^32)
};

// Reads the header of one gzip member: magic bytes, method deflate, no reserved flag bits,
// the optional FEXTRA, FNAME, FCOMMENT and FHCRC fields, and at least one byte of deflate
// data before the trailer. The header CRC and the CRC-32 are not checked.
std::optional<GzipFrame> parseGzipFrame(std::string_view body);

// Inflates the first member of a gzip body into out (cleared first). Returns false, with out
// empty, for bad framing, bad deflate data, a stream that never ends, output beyond
// kMaxInflatedBytes or memory running out. Never throws.
bool inflateGzipBody(std::string_view body, std::string& out) noexcept;

}  // namespace mb
