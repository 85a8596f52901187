// The read loops of the two transports, written against a minimal source so that the limits
// can be exercised without a network: WinHTTP supplies the real source.
#pragma once

#include <cstdint>
#include <string>

namespace mb {

// What a response body offers: how many bytes are ready, and a read of up to that many.
class BodySource {
public:
    virtual ~BodySource() = default;
    // False when the query failed; count 0 means the body has ended.
    virtual bool queryAvailable(uint32_t& count) = 0;
    // Reads up to count bytes into buffer; false when the read failed.
    virtual bool read(void* buffer, uint32_t count, uint32_t& got) = 0;
};

// HttpGet's loop: appends everything available in one read per round into a fresh buffer,
// until the source ends, a query or read fails, or the next round would pass
// kMaxDataBodyBytes; all three keep what was read. Returns the bytes read.
// May throw std::bad_alloc.
uint64_t readDataBody(BodySource& source, std::string& body);

// ProbeHttpGet's loop: reads at most 8192 bytes per round until the source ends or a read
// fails (keeping what was read). Returns false with the probe's text in error when more than
// kMaxProbeBodyBytes are offered or memory runs out. An empty body is not judged here.
bool readProbeBody(BodySource& source, std::string& body, std::string& error);

}  // namespace mb
