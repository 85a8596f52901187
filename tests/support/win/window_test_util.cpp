#include "support/win/window_test_util.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/win/unique_handle.h"

namespace mb::test {

void pumpMessages(int milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(0, milliseconds));
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                                    QS_ALLINPUT);
    }
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(0, timeoutMs));
    while (!done()) {
        if (::GetTickCount64() >= end) return done();
        pumpMessages(10);
    }
    return true;
}

namespace {
constexpr wchar_t kParentClass[] = L"MbTestParentWindow";
}

TestParentWindow::TestParentWindow(int x, int y, int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TestParentWindow::procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kParentClass;
        registered = ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    window_ = ::CreateWindowExW(0, kParentClass, L"test parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                                height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (window_) {
        ::SetForegroundWindow(window_);
        ::SetFocus(window_);
        ::UpdateWindow(window_);
    }
    pumpMessages(50);
}

TestParentWindow::~TestParentWindow() {
    if (window_) ::DestroyWindow(window_);
    pumpMessages();
}

LRESULT CALLBACK TestParentWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestParentWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL)) {
        self->messages_.push_back({message, wParam, lParam});
        if (self->onMessage) self->onMessage(self->messages_.back());
        return 0;
    }
    if (message == WM_NCDESTROY) {
        if (self) self->window_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

COLORREF PixelCapture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    uint32_t p = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int PixelCapture::count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height_, static_cast<int>(area.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(width_, static_cast<int>(area.right)); ++x)
            if (at(x, y) == colour) ++n;
    return n;
}

bool PixelCapture::all(const RECT& area, COLORREF colour) const {
    if (area.right <= area.left || area.bottom <= area.top) return false;
    if (area.left < 0 || area.top < 0 || area.right > width_ || area.bottom > height_) return false;
    return count(area, colour) == (area.right - area.left) * (area.bottom - area.top);
}

PixelCapture PixelCapture::fromDc(HDC source, int x, int y, int width, int height) {
    PixelCapture capture;
    if (!source || width <= 0 || height <= 0) return capture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc memory(::CreateCompatibleDC(source));
    if (!dib || !bits || !memory) return capture;
    {
        SelectScope select(memory.get(), dib.get());
        ::BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY);
        ::GdiFlush();
    }
    const auto* words = static_cast<const uint32_t*>(bits);
    capture.pixels_.assign(words, words + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& p : capture.pixels_) p &= 0x00FFFFFF;  // the alpha byte means nothing here
    capture.width_ = width;
    capture.height_ = height;
    return capture;
}

PixelCapture PixelCapture::fromClient(HWND window) {
    RECT client{};
    if (!window || !::GetClientRect(window, &client)) return {};
    WindowDc dc(window);
    return fromDc(dc.get(), 0, 0, client.right, client.bottom);
}

POINT clientToScreen(HWND window, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    return p;
}

void realMouseMove(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    pumpMessages(20);
}

void realLeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof(INPUT));
    pumpMessages(20);
}

void realClick(POINT screen) {
    realMouseMove(screen);
    realLeftButton(true);
    realLeftButton(false);
}

void realKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    auto key = [&inputs](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    // The key-downs are handled while the keys are still held, as when a person types: a
    // window that asks GetAsyncKeyState for the modifiers sees them down.
    for (WORD code : keys) key(code, false);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pumpMessages(150);
    inputs.clear();
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pumpMessages(100);
}

RECT primaryMonitorRect() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const POINT origin{0, 0};
    ::GetMonitorInfoW(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

}  // namespace mb::test
