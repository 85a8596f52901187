// The streaming all-status reader against the document mapping of the same body: the same
// outcome (not JSON, no status map, or read) and, once read, the same reports. The walk over the
// document below is the all-status shape as the document sees it, duplicate members included
// (the last one of a name counts); each report object goes through reportFrom.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/all_status_reader.h"
#include "server/json_fields.h"
#include "server/report_fields.h"

namespace {

using nlohmann::json;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

mb::AllStatusShape readDocument(std::string_view body, mb::AllStatusMap& out) {
    const json root = mb::parseJsonBody(body);
    if (root.is_discarded()) return mb::AllStatusShape::NotJson;
    const auto status = root.find("channel_status");
    if (status == root.end() || !status->is_object()) return mb::AllStatusShape::NoStatusMap;
    for (const auto& [bossId, reports] : status->items()) {
        if (!reports.is_array()) continue;
        std::vector<mb::ChannelStatus>& list = out[bossId];
        for (const json& element : reports) {
            if (element.is_object()) list.push_back(mb::reportFrom(element));
        }
    }
    return mb::AllStatusShape::Read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    mb::AllStatusMap streamed;
    const mb::AllStatusShape shape = mb::readAllStatus(body, streamed);
    mb::AllStatusMap document;
    const mb::AllStatusShape expected = readDocument(body, document);
    require(shape == expected, "the same outcome");
    require(streamed == document, "the same reports");
    return 0;
}
