// Owners for every Win32 handle the program holds: one small move-only template with a
// close function per handle kind, plus scoped restorers for DC selections and painting.
// The owners of four kinds also count what they hold, so that a leak shows as a number that
// keeps growing (Wine's GetGuiResources and GetProcessHandleCount always give 0).
#pragma once

#include <windows.h>
#include <winhttp.h>
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <utility>

namespace mb {

// The kinds whose live handles are counted. Icons, menus, hooks, sockets and windows are
// not: they are few and made once.
enum class HandleKind : int { GdiObject = 0, DeviceContext = 1, Kernel = 2, WinHttp = 3 };
inline constexpr int kHandleKindCount = 4;

namespace detail {
inline std::atomic<int64_t> gLiveHandles[kHandleKindCount] = {};

template <typename Close>
void countHandle(int delta) noexcept {
    if constexpr (requires { Close::kCounted; }) {
        gLiveHandles[static_cast<int>(Close::kCounted)].fetch_add(delta, std::memory_order_relaxed);
    }
}
}  // namespace detail

// Handles of that kind held by the program's owners right now (a handle given away with
// release() no longer counts).
inline int64_t liveHandleCount(HandleKind kind) noexcept {
    return detail::gLiveHandles[static_cast<int>(kind)].load(std::memory_order_relaxed);
}

// Owns a handle of type T and releases it with Close::close when it goes.
// Close::invalid() is the value that means "nothing owned".
template <typename T, typename Close>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) { taken(value); }
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    // A move hands the handle from one owner to another: the count stays.
    UniqueHandle(UniqueHandle&& other) noexcept : value_(std::exchange(other.value_, Close::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) closeOwned(std::exchange(value_, std::exchange(other.value_, Close::invalid())));
        return *this;
    }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Close::invalid(); }

    // Gives up ownership without closing; whoever receives the handle frees it.
    T release() noexcept {
        T old = std::exchange(value_, Close::invalid());
        if (old != Close::invalid()) detail::countHandle<Close>(-1);
        return old;
    }

    void reset(T value = Close::invalid()) noexcept {
        taken(value);
        closeOwned(std::exchange(value_, value));
    }

private:
    static void taken(T value) noexcept {
        if (value != Close::invalid()) detail::countHandle<Close>(+1);
    }
    static void closeOwned(T old) noexcept {
        if (old == Close::invalid()) return;
        Close::close(old);
        detail::countHandle<Close>(-1);
    }

    T value_ = Close::invalid();
};

namespace close {
struct Kernel {  // threads, events, processes, files opened with CreateFile
    static constexpr HandleKind kCounted = HandleKind::Kernel;
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct GdiObject {  // pens, brushes, fonts, bitmaps, regions
    static constexpr HandleKind kCounted = HandleKind::GdiObject;
    static HGDIOBJ invalid() noexcept { return nullptr; }
    static void close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};
struct MemoryDc {  // DCs from CreateCompatibleDC
    static constexpr HandleKind kCounted = HandleKind::DeviceContext;
    static HDC invalid() noexcept { return nullptr; }
    static void close(HDC h) noexcept { ::DeleteDC(h); }
};
struct Icon {
    static HICON invalid() noexcept { return nullptr; }
    static void close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct Menu {
    static HMENU invalid() noexcept { return nullptr; }
    static void close(HMENU h) noexcept { ::DestroyMenu(h); }
};
struct Hook {
    static HHOOK invalid() noexcept { return nullptr; }
    static void close(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
};
struct Internet {  // WinHTTP session, connection and request handles
    static constexpr HandleKind kCounted = HandleKind::WinHttp;
    static HINTERNET invalid() noexcept { return nullptr; }
    static void close(HINTERNET h) noexcept { ::WinHttpCloseHandle(h); }
};
struct Socket {
    static SOCKET invalid() noexcept { return INVALID_SOCKET; }
    static void close(SOCKET s) noexcept { ::closesocket(s); }
};
struct Window {
    static HWND invalid() noexcept { return nullptr; }
    static void close(HWND h) noexcept { ::DestroyWindow(h); }
};
}  // namespace close

using UniqueKernelHandle = UniqueHandle<HANDLE, close::Kernel>;
using UniqueMemoryDc = UniqueHandle<HDC, close::MemoryDc>;
using UniqueIcon = UniqueHandle<HICON, close::Icon>;
using UniqueMenu = UniqueHandle<HMENU, close::Menu>;
using UniqueHook = UniqueHandle<HHOOK, close::Hook>;
using UniqueInternet = UniqueHandle<HINTERNET, close::Internet>;
using UniqueSocket = UniqueHandle<SOCKET, close::Socket>;
using UniqueWindow = UniqueHandle<HWND, close::Window>;

// GDI objects keep their own type so that get() needs no cast at the call site.
template <typename T>
class UniqueGdi {
public:
    UniqueGdi() noexcept = default;
    explicit UniqueGdi(T value) noexcept : owner_(value) {}
    T get() const noexcept { return static_cast<T>(owner_.get()); }
    explicit operator bool() const noexcept { return static_cast<bool>(owner_); }
    void reset(T value = nullptr) noexcept { owner_.reset(value); }
    T release() noexcept { return static_cast<T>(owner_.release()); }

private:
    UniqueHandle<HGDIOBJ, close::GdiObject> owner_;
};
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRegion = UniqueGdi<HRGN>;

// A DC from GetDC, given back with ReleaseDC; counted with the memory DCs.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {
        if (dc_) detail::countHandle<close::MemoryDc>(+1);
    }
    ~WindowDc() {
        if (!dc_) return;
        ::ReleaseDC(window_, dc_);
        detail::countHandle<close::MemoryDc>(-1);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
    ~PaintScope() { ::EndPaint(window_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back when it goes.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A critical section that lives exactly as long as its owner.
class CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() noexcept { ::EnterCriticalSection(&section_); }
    void unlock() noexcept { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for one scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) noexcept : section_(section) { section_.lock(); }
    ~CriticalSectionLock() { section_.unlock(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};

}  // namespace mb
