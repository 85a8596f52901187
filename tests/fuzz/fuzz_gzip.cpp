// The gzip decoder on arbitrary bodies: it must never crash, never exceed its output cap,
// and must leave the output empty whenever it fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "server/gzip_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    if (const auto frame = mb::parseGzipFrame(body)) {
        if (frame->dataBegin < 10 || frame->dataBegin >= frame->dataEnd || frame->dataEnd + 8 != size) std::abort();
    }
    std::string out;
    const bool ok = mb::inflateGzipBody(body, out);
    if (!ok && !out.empty()) std::abort();
    if (out.size() > mb::kMaxInflatedBytes) std::abort();
    return 0;
}
