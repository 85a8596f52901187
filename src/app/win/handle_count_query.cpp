#include "app/win/handle_count_query.h"

#include "core/win/unique_handle.h"

namespace mb {

UINT handleCountQueryMessage() {
    static const UINT message = ::RegisterWindowMessageW(kHandleCountQueryName);
    return message;
}

LRESULT answerHandleCountQuery(WPARAM which) {
    if (which >= static_cast<WPARAM>(kHandleKindCount)) return -1;
    return static_cast<LRESULT>(liveHandleCount(static_cast<HandleKind>(which)));
}

}  // namespace mb
