#include "controls/win/control_base.h"

#include <utility>

namespace mb {

WNDCLASSEXW controlClass(const wchar_t* name, WNDPROC procedure, UINT style, LPCWSTR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = kWindowObjectBytes;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorW(nullptr, cursor);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = name;
    wc.hIconSm = nullptr;
    return wc;
}

bool registerControlClasses(bool& registered, std::initializer_list<WNDCLASSEXW> classes) {
    if (registered) return true;
    for (const WNDCLASSEXW& wc : classes) {
        // A class left registered by an attempt whose later class failed is ours already;
        // treating it as a failure would make every retry fail.
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    registered = true;
    return true;
}

HWND createControlWindow(const wchar_t* className, DWORD exStyle, DWORD style, HWND parent, int x, int y, int width,
                         int height, int id, void* object) {
    return ::CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), object);
}

void moveControl(HWND window, int x, int y, int width, int height, UINT flags) {
    if (window) ::SetWindowPos(window, nullptr, x, y, width, height, flags);
}

void invalidateControl(HWND window, bool updateNow) {
    if (!window) return;
    ::InvalidateRect(window, nullptr, FALSE);
    if (updateNow) ::UpdateWindow(window);
}

void syncWindowText(HWND window, std::wstring& written, std::wstring text) {
    if (!window || text == written) return;
    written = std::move(text);
    ::SetWindowTextW(window, written.c_str());
}

void BackBuffer::rebuildBackBuffer(HWND window, int width, int height, bool transparentText) {
    releaseBackBuffer();
    if (width <= 0 || height <= 0) return;
    WindowDc windowDc(window);
    if (!windowDc) return;
    dc_.reset(::CreateCompatibleDC(windowDc.get()));
    bitmap_.reset(::CreateCompatibleBitmap(windowDc.get(), width, height));
    if (dc_ && bitmap_) {
        HGDIOBJ previous = ::SelectObject(dc_.get(), bitmap_.get());
        previousBitmap_ = (previous && previous != HGDI_ERROR) ? previous : nullptr;
    }
    if (dc_ && transparentText) ::SetBkMode(dc_.get(), TRANSPARENT);
}

void BackBuffer::releaseBackBuffer() {
    if (dc_) {
        if (previousBitmap_) ::SelectObject(dc_.get(), previousBitmap_);
        dc_.reset();
    }
    bitmap_.reset();
    previousBitmap_ = nullptr;
}

void BackBuffer::present(HDC target, int width, int height) const {
    if (dc_ && target) ::BitBlt(target, 0, 0, width, height, dc_.get(), 0, 0, SRCCOPY);
}

int screenDpiY() {
    WindowDc screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

UniqueFont createControlFont(int height, const wchar_t* face, DWORD pitchAndFamily) {
    return UniqueFont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitchAndFamily, face));
}

UniqueFont createPointFont(int points, int dpi, const FontFace& face) {
    return createControlFont(-::MulDiv(points, dpi, 72), face.name, face.pitchAndFamily);
}

SIZE textExtent(HDC dc, HFONT font, std::wstring_view text) {
    SelectScope selectFont(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    return extent;
}

TextFit fitPointText(HDC dc, TextFitMemo& memo, const std::wstring& text, int availableWidth, int points, int dpi,
                     const FontFace& face) {
    return memo.fit(text, availableWidth, points, dpi, [&](int tried) {
        const UniqueFont font = createPointFont(tried, dpi, face);
        return static_cast<int>(textExtent(dc, font.get(), text).cx);
    });
}

// The DC's own brush in the colour: the same pixels as a solid brush, without making and
// deleting a GDI object for every rectangle of every paint.
void fillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF previous = ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, previous);
}

void frameSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF previous = ::SetDCBrushColor(dc, colour);
    ::FrameRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, previous);
}

bool requestMouseLeave(HWND window) {
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(TRACKMOUSEEVENT);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window;
    request.dwHoverTime = 0;
    return ::TrackMouseEvent(&request) != FALSE;
}

bool HoverTracker::onMouseMove(HWND window) {
    if (!trackingLeave_) {
        requestMouseLeave(window);
        trackingLeave_ = true;
    }
    if (hovered_) return false;
    hovered_ = true;
    return true;
}

void sendCommand(HWND parent, int id, WORD code, HWND from) {
    if (!parent) return;
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id & 0xFFFF), code),
                   reinterpret_cast<LPARAM>(from));
}

}  // namespace mb
