#include "core/win/unique_handle.h"

#include <gtest/gtest.h>

#include <utility>

namespace mb {
namespace {

// Walks one owner type through everything that hands a handle in or out, checking the live
// count of its kind after each step.
template <typename Owner, typename Make>
void exerciseOwner(HandleKind kind, Make make, void (*freeReleased)(decltype(std::declval<Owner>().get()))) {
    const int64_t base = liveHandleCount(kind);
    {
        Owner first(make());
        ASSERT_TRUE(first);
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        Owner second(std::move(first));  // a move hands it over: still one
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        Owner third;
        third = std::move(second);
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        third.reset(make());  // the new one in, the old one closed
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        Owner other(make());
        third = std::move(other);  // the one third held is closed
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        freeReleased(third.release());  // given away: no longer ours
        EXPECT_EQ(liveHandleCount(kind), base);
        third.reset(make());
        EXPECT_EQ(liveHandleCount(kind), base + 1);
        Owner empty(decltype(third.get()){});  // nothing owned counts nothing
        EXPECT_EQ(liveHandleCount(kind), base + 1);
    }
    EXPECT_EQ(liveHandleCount(kind), base);
}

TEST(UniqueHandle, EveryCountedOwnerCountsWhatItHolds) {
    exerciseOwner<UniqueKernelHandle>(
        HandleKind::Kernel, [] { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); },
        [](HANDLE h) { ::CloseHandle(h); });
    exerciseOwner<UniqueBrush>(
        HandleKind::GdiObject, [] { return ::CreateSolidBrush(RGB(1, 2, 3)); }, [](HBRUSH h) { ::DeleteObject(h); });
    exerciseOwner<UniqueMemoryDc>(
        HandleKind::DeviceContext, [] { return ::CreateCompatibleDC(nullptr); }, [](HDC h) { ::DeleteDC(h); });
    exerciseOwner<UniqueInternet>(
        HandleKind::WinHttp, [] { return ::WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0); },
        [](HINTERNET h) { ::WinHttpCloseHandle(h); });
}

TEST(UniqueHandle, WindowDcsCountAsDeviceContextsAndUncountedKindsCountNothing) {
    const int64_t dcs = liveHandleCount(HandleKind::DeviceContext);
    int64_t others[kHandleKindCount];
    {
        WindowDc screen(nullptr);
        ASSERT_TRUE(screen);
        EXPECT_EQ(liveHandleCount(HandleKind::DeviceContext), dcs + 1);
        for (int k = 0; k < kHandleKindCount; ++k) others[k] = liveHandleCount(static_cast<HandleKind>(k));
        UniqueMenu menu(::CreatePopupMenu());
        const BYTE andMask[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        const BYTE xorMask[4] = {};
        UniqueIcon icon(::CreateIcon(nullptr, 1, 1, 1, 1, andMask, xorMask));
        ASSERT_TRUE(menu && icon);
        for (int k = 0; k < kHandleKindCount; ++k) {
            EXPECT_EQ(liveHandleCount(static_cast<HandleKind>(k)), others[k]) << "kind " << k;
        }
    }
    EXPECT_EQ(liveHandleCount(HandleKind::DeviceContext), dcs);
}

}  // namespace
}  // namespace mb
