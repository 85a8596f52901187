#include "app/win/handle_count_query.h"

#include <gtest/gtest.h>

#include "core/win/unique_handle.h"

namespace mb {
namespace {

TEST(HandleCountQuery, AnswersEachCountThroughTheRegisteredMessage) {
    const UINT message = handleCountQueryMessage();
    ASSERT_NE(message, 0u);
    EXPECT_EQ(message, ::RegisterWindowMessageW(L"Marrowbell.QueryCounters"));
    UniqueBrush held(::CreateSolidBrush(RGB(4, 5, 6)));
    for (int k = 0; k < kHandleKindCount; ++k) {
        EXPECT_EQ(answerHandleCountQuery(static_cast<WPARAM>(k)), liveHandleCount(static_cast<HandleKind>(k)));
    }
    EXPECT_GE(answerHandleCountQuery(0), 1);
    EXPECT_EQ(answerHandleCountQuery(kHandleKindCount), -1);
    EXPECT_EQ(answerHandleCountQuery(static_cast<WPARAM>(-1)), -1);
}

}  // namespace
}  // namespace mb
