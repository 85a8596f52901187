#include "server/body_reader.h"

#include <algorithm>
#include <exception>
#include <new>
#include <vector>

#include "server/transport_rules.h"

namespace mb {

uint64_t readDataBody(BodySource& source, std::string& body) {
    uint64_t total = 0;
    for (;;) {
        uint32_t available = 0;
        if (!source.queryAvailable(available) || available == 0) break;
        if (total + available > kMaxDataBodyBytes) break;
        std::vector<char> buffer(static_cast<std::size_t>(available) + 1, '\0');
        uint32_t got = 0;
        if (!source.read(buffer.data(), available, got)) break;
        got = std::min(got, available);
        body.append(buffer.data(), got);
        total += got;
    }
    return total;
}

bool readProbeBody(BodySource& source, std::string& body, std::string& error) {
    try {
        body.reserve(kProbeBodyReserveBytes);
        char buffer[kProbeReadBufferBytes];
        uint64_t total = 0;
        for (;;) {
            uint32_t available = 0;
            if (!source.queryAvailable(available) || available == 0) break;
            if (total + available > kMaxProbeBodyBytes) {
                error = probe_text::kTooLarge;
                return false;
            }
            const uint32_t wanted = std::min<uint32_t>(available, kProbeReadBufferBytes);
            uint32_t got = 0;
            if (!source.read(buffer, wanted, got) || got == 0) break;
            got = std::min(got, wanted);
            body.append(buffer, got);
            total += got;
        }
        return true;
    } catch (const std::bad_alloc&) {
        error = probe_text::kOutOfMemory;
    } catch (const std::exception& e) {
        error = std::string(probe_text::kAppendFailedPrefix) + e.what();
    }
    return false;
}

}  // namespace mb
