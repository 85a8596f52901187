#include "server/all_status_memo.h"

namespace mb {

bool AllStatusMemo::map(std::string_view body, AllStatusMap& out, std::string& error) {
    const bool repeated = validBody_ && body == body_;
    if (repeated && valid_) {
        out = reports_;
        return true;
    }
    ++parses_;
    if (!repeated) {
        valid_ = false;
        validBody_ = false;
        reports_.clear();
    }
    if (!mapAllStatus(body, out, error)) return false;
    if (repeated) {  // this server repeats itself: keep the reports for the next copies
        reports_ = out;
        valid_ = true;
    } else {
        body_.assign(body);
        // One huge answer must not keep its memory for the rest of the run.
        if (body_.capacity() > 2 * body_.size()) body_.shrink_to_fit();
        validBody_ = true;
    }
    return true;
}

}  // namespace mb
