// Times of the channel list's paints under Wine, 20 and 40 rows visible at text scale 100 and
// 200: the whole list drawn and put on screen (after a scroll or a new boss), a refresh in which
// one row on screen changed (what the poller's data mostly brings: only that row is drawn), and
// the WM_PAINT of an unchanged list (a copy of the buffer). A paint fits the row font once (a
// binary search that creates and measures a font at each step) and the control remembers the
// fitted height; "drawing only" shows the whole paint into a memory DC without that memory (a
// first paint, or a new row size) and with it, and the checksum of its pixels.
//
// Build: cmake --build build/windows --target win_bench_progress_list
// Run:   scripts/bench (after the native benchmarks), or under Xvfb:
//        cmake/wine-run.sh build/windows/win_bench_progress_list.exe [repaints]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/win/progress_list.h"
#include "controls/win/progress_list_paint.h"
#include "core/win/unique_handle.h"

namespace {

constexpr wchar_t kBenchParentClass[] = L"MbBenchParent";
constexpr int kListWidth = 400;

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Rows as a busy boss gives them: every row with a countdown and a loss rate, mixed health.
std::vector<mb::ChannelRow> benchRows(int count) {
    std::vector<mb::ChannelRow> rows;
    for (int i = 0; i < count; ++i) {
        mb::ChannelRow row;
        row.channel = i + 1;
        row.hpPercent = 5 + (i * 13) % 95;
        row.secondsLeft = 30.0 + 47.0 * i;
        row.lossRate = 0.05 + 0.1 * (i % 7);
        if (i % 5 == 4) {
            row.barColor = RGB(128, 128, 128);
            row.textColor = RGB(200, 200, 200);
        }
        rows.push_back(row);
    }
    return rows;
}

// FNV-1a over the drawn pixels: a run before and one after a change of the drawing code show
// whether anything visible moved. The bitmap must not be selected into a DC.
uint32_t pixelChecksum(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height) return 0;
    uint32_t hash = 2166136261u;
    for (uint32_t pixel : pixels) hash = (hash ^ (pixel & 0xFFFFFFu)) * 16777619u;
    return hash;
}

struct Timing {
    double mean = 0;
    double median = 0;
    double best = 0;
};

template <typename Step>
Timing timeRepeated(int repaints, Step step) {
    for (int i = 0; i < 3; ++i) step();  // warm up font caches of the system, as a running program has
    std::vector<double> samples(static_cast<size_t>(repaints));
    for (double& sample : samples) {
        const double start = nowMs();
        step();
        sample = nowMs() - start;
    }
    std::sort(samples.begin(), samples.end());
    Timing t;
    for (double s : samples) t.mean += s;
    // From repaints rather than the vector: GCC 12 takes the step's inlined frees for this one's.
    t.mean /= static_cast<double>(repaints);
    t.median = samples[static_cast<size_t>(repaints) / 2];
    t.best = samples[0];
    return t;
}

bool runCase(HWND parent, int visible, int scale, int repaints) {
    const int rowHeight = scale * 40 / 100;
    const int height = visible * rowHeight;
    ::SetWindowPos(parent, nullptr, 0, 0, kListWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
    mb::ProgressList list;
    if (!list.create(parent, 0, 0, kListWidth, height, 1002)) {
        std::fprintf(stderr, "could not create the list\n");
        return false;
    }
    list.setTextScale(scale);
    // More rows than fit, so the scroll strip is drawn and one partly visible row as well.
    list.setRows(benchRows(visible + 10));
    pump();
    if (list.visibleRows() != visible) {
        std::fprintf(stderr, "expected %d visible rows, got %d\n", visible, list.visibleRows());
        return false;
    }

    // The whole list drawn and copied to the window: row sets whose counts differ (the thumb
    // follows the count) with the same rows on screen, as after a scroll or a new boss.
    const std::vector<mb::ChannelRow> longer = benchRows(visible + 10), shorter = benchRows(visible + 9);
    int turn = 0;
    Timing whole = timeRepeated(repaints, [&] { list.setRows(++turn % 2 ? shorter : longer); });
    // A refresh as the poller's data brings one: one row on screen changed.
    std::vector<mb::ChannelRow> refreshed = longer;
    Timing oneRow = timeRepeated(repaints, [&] {
        refreshed[static_cast<size_t>(visible / 2)].hpPercent = ++turn % 2 ? 30 : 70;
        list.setRows(refreshed);
    });
    // WM_PAINT of a list whose rows did not change, as when another window uncovers it.
    Timing window = timeRepeated(repaints, [&] {
        ::InvalidateRect(list.window(), nullptr, FALSE);
        ::UpdateWindow(list.window());
    });

    // The drawing alone, into a memory DC of the same size (no copy to the screen).
    mb::UniqueMemoryDc memory;
    mb::UniqueBitmap bitmap;
    {
        mb::WindowDc screen(list.window());
        memory.reset(::CreateCompatibleDC(screen.get()));
        bitmap.reset(::CreateCompatibleBitmap(screen.get(), kListWidth, height));
    }
    if (!memory || !bitmap) {
        std::fprintf(stderr, "no memory DC of %d x %d\n", kListWidth, height);
        return false;
    }
    mb::ProgressListView view;
    view.rows = benchRows(visible + 10);
    view.rowHeight = rowHeight;
    view.visibleRows = visible;
    view.width = kListWidth;
    view.height = height;
    Timing drawing{};
    Timing remembered{};
    {
        mb::SelectScope select(memory.get(), bitmap.get());
        drawing = timeRepeated(repaints, [&] {
            mb::FontFitCache first;  // as on a first paint: nothing fitted or made yet
            mb::paintProgressList(memory.get(), view, first);
        });
        mb::FontFitCache fits;
        remembered = timeRepeated(repaints, [&] { mb::paintProgressList(memory.get(), view, fits); });
    }
    const uint32_t checksum = pixelChecksum(memory.get(), bitmap.get(), kListWidth, height);

    std::printf(
        "%3d rows visible, scale %3d (row %2d px, %4d x %4d): whole list %5.2f ms, one row changed %5.2f ms, "
        "uncovered %5.2f ms (means); whole list %5.2f ms median, %5.2f best; drawing only %5.2f ms, %5.2f ms with "
        "the fitted height remembered; pixels %08x\n",
        visible, scale, rowHeight, kListWidth, height, whole.mean, oneRow.mean, window.mean, whole.median, whole.best,
        drawing.mean, remembered.mean, static_cast<unsigned>(checksum));
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kBenchParentClass;
    if (!::RegisterClassExW(&wc)) return 1;
    // A frameless popup is not held to the screen size, so 40 rows at scale 200 (3200 px) fit.
    HWND parent = ::CreateWindowExW(0, kBenchParentClass, L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                    kListWidth, 800, nullptr, nullptr, wc.hInstance, nullptr);
    if (!parent) return 1;
    pump();
    std::printf("ProgressList repaint, %d timed repaints per case\n", repaints);
    bool ok = true;
    for (int visible : {20, 40})
        for (int scale : {100, 200}) ok = runCase(parent, visible, scale, repaints) && ok;
    ::DestroyWindow(parent);
    return ok ? 0 : 1;
}
