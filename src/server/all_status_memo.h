// The all-status answer of a server that caches it (its cache age says so) can be the same
// bytes several polls in a row. Parsing those again gives the same reports, so once a body
// came twice, what it mapped to is kept and further copies are answered from it. Bodies that
// differ every time (a server that stamps its time into each) cost one comparison and one copy
// of the bytes, not a copy of the reports.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "server/api_mapping.h"

namespace mb {

class AllStatusMemo {
public:
    // mapAllStatus of body, or the reports the same body mapped to before. A body that fails to
    // map is never answered from memory, nor kept.
    bool map(std::string_view body, AllStatusMap& out, std::string& error);
    // How many bodies were parsed (for tests).
    size_t parses() const { return parses_; }

private:
    std::string body_;      // the last body that mapped (validBody_)
    AllStatusMap reports_;  // what it maps to, once it came twice in a row (valid_)
    bool validBody_ = false;
    bool valid_ = false;
    size_t parses_ = 0;
};

}  // namespace mb
