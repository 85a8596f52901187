// Answers a message box from another thread, the way a user would, and records where the
// box and its owner were when it showed.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>

namespace mb::test {

// The visible dialog (a message box too: class "#32770") titled title among the thread's
// windows, or null.
inline HWND threadDialog(DWORD thread, const std::wstring& title) {
    struct Search {
        const std::wstring* title;
        HWND found;
    } search{&title, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(parameter);
            wchar_t className[64] = {};
            wchar_t text[256] = {};
            ::GetClassNameW(window, className, 64);
            ::GetWindowTextW(window, text, 256);
            if (std::wstring(className) != L"#32770" || *wanted->title != text || !::IsWindowVisible(window))
                return TRUE;
            wanted->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Watches the windows of one thread for a message box with a title, from a thread of its
// own; when one shows, records where it is and where its owner is, and clicks a button.
class BoxWatcher {
public:
    BoxWatcher(DWORD uiThread, std::wstring title, int button, DWORD timeoutMs)
        : uiThread_(uiThread), title_(std::move(title)), button_(button) {
        worker_ = std::thread([this, timeoutMs] { watch(timeoutMs); });
    }
    ~BoxWatcher() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    bool clicked() const { return clicked_; }
    // Valid once clicked() is true.
    RECT boxRect() const { return boxRect_; }
    RECT ownerRect() const { return ownerRect_; }
    HWND owner() const { return owner_; }
    // The box's message (its static text, id 0xFFFF, as every message box has it).
    std::wstring text() const { return text_; }

private:
    void watch(DWORD timeoutMs) {
        const ULONGLONG end = ::GetTickCount64() + timeoutMs;
        while (!stop_ && ::GetTickCount64() < end) {
            if (HWND box = threadDialog(uiThread_, title_)) {
                ::Sleep(100);  // the box is centred at its activation; let it settle
                ::GetWindowRect(box, &boxRect_);
                owner_ = ::GetWindow(box, GW_OWNER);
                wchar_t message[4096] = {};
                ::GetDlgItemTextW(box, 0xFFFF, message, 4096);
                text_ = message;
                ::GetWindowRect(owner_, &ownerRect_);
                ::PostMessageW(::GetDlgItem(box, button_), BM_CLICK, 0, 0);
                clicked_ = true;
                return;
            }
            ::Sleep(20);
        }
    }

    DWORD uiThread_;
    std::wstring title_;
    int button_;
    RECT boxRect_{};
    RECT ownerRect_{};
    HWND owner_ = nullptr;
    std::wstring text_;
    std::atomic<bool> clicked_{false};
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace mb::test
