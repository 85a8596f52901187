#include "app/win/tray_icon.h"

#include <utility>

#include "app/app_constants.h"
#include "core/dpi_scale.h"
#include "resource_ids.h"
#include "desktop/dot_icon.h"
#include "desktop/win/centered_message_box.h"

namespace mb {
namespace {

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the full structure, as every shell since Vista reads it");

constexpr UINT kTrayIconId = 1;

// The menu's items; each one is a command.
struct MenuItem {
    UINT id;
    TrayCommand command;
};
constexpr MenuItem kMenuItems[] = {
    {2000, TrayCommand::ToggleVisibility}, {2001, TrayCommand::Help},           {2002, TrayCommand::Exit},
    {2003, TrayCommand::Status},           {2004, TrayCommand::TrackerAddress},
};

// A size x size icon of one dot colour; null when the system refuses it.
UniqueIcon makeDotIcon(int size, uint32_t red, uint32_t green, uint32_t blue) {
    WindowDc screen(nullptr);
    UniqueMemoryDc colourDc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap colour(::CreateCompatibleBitmap(screen.get(), size, size));
    UniqueMemoryDc maskDc(::CreateCompatibleDC(colourDc.get()));
    UniqueBitmap mask;
    {
        SelectScope colourScope(colourDc.get(), colour.get());
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                ::SetPixel(colourDc.get(), x, y, dot_icon::pixel(size, x, y, red, green, blue));
            }
        }
        // Compatible with the DC that holds the colour image, as the shell expects of a mask.
        mask.reset(::CreateCompatibleBitmap(colourDc.get(), size, size));
        SelectScope maskScope(maskDc.get(), mask.get());
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                ::SetPixel(maskDc.get(), x, y, dot_icon::inside(size, x, y) ? RGB(0, 0, 0) : RGB(255, 255, 255));
            }
        }
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = colour.get();
    return UniqueIcon(::CreateIconIndirect(&info));  // the bitmaps go with their owners
}

// The program's icon from its resources at size x size pixels. A program without it (a test
// program) draws the same blue dot the resource was made from.
UniqueIcon programIcon(int size) {
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MB_ICON_APP), IMAGE_ICON, size, size, 0)));
    return icon ? std::move(icon) : makeDotIcon(size, 100, 150, 255);
}

}  // namespace

void TrayIcon::makeIcons(int dpi) {
    // At 96 DPI: the 32-pixel dots the shell has always been given, the window's 32 and 16.
    windowIcon_ = programIcon(scaleForDpi(32, dpi));
    windowSmallIcon_ = programIcon(scaleForDpi(16, dpi));
    connectedIcon_ = makeDotIcon(scaleForDpi(dot_icon::kSize, dpi), 0, 255, 0);
    idleIcon_ = makeDotIcon(scaleForDpi(dot_icon::kSize, dpi), 255, 0, 0);
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon_.get()));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowSmallIcon_.get()));
}

void TrayIcon::setDpi(int dpi) {
    const bool connected = data_.hIcon && data_.hIcon == connectedIcon_.get();
    makeIcons(dpi);
    data_.hIcon = connected ? connectedIcon_.get() : idleIcon_.get();
    if (added_) shell_(NIM_MODIFY, &data_);
}

void TrayIcon::create(HWND window, int dpi) {
    window_ = window;
    makeIcons(dpi);
    taskbarCreatedMessage_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    letTaskbarCreatedThrough();
    data_.cbSize = sizeof(data_);
    data_.hWnd = window;
    data_.uID = kTrayIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayCallbackMessage;
    data_.hIcon = idleIcon_.get();
    lstrcpynW(data_.szTip, kMainWindowTitle, ARRAYSIZE(data_.szTip));
}

void TrayIcon::letTaskbarCreatedThrough() {
    // The broadcast comes from Explorer, a program of lower integrity than an elevated overlay.
    // The call exists from Windows 7 on, so it is looked up rather than imported.
    using MessageFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    const auto filter = reinterpret_cast<MessageFilter>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    if (filter && taskbarCreatedMessage_ != 0) filter(window_, taskbarCreatedMessage_, kAllow, nullptr);
}

void TrayIcon::add() {
    // A shell that is still starting (a logon with Explorer busy) refuses the icon, or takes it
    // and reports a time-out, which a modify then tells apart. Until it is in place the add is
    // tried again, less often each time, as each call may block while the shell is busy;
    // otherwise a hidden overlay could only come back by hotkey. Without a taskbar there is no
    // one to ask: its "TaskbarCreated" broadcast brings the next try. Later adds (a restarted
    // shell) keep the colour shown now.
    const bool taskbar = taskbarPresent_();
    added_ = taskbar && (shell_(NIM_ADD, &data_) || shell_(NIM_MODIFY, &data_));
    if (added_) {
        if (log_ && retryPeriodMs_ != 0) log_->write("Tray icon added");
        ::KillTimer(window_, kTimerTrayRetry);
        retryPeriodMs_ = 0;
        return;
    }
    retryPeriodMs_ = retryPeriodMs_ == 0 ? kTrayRetryPeriodMs : nextTrayRetryPeriod(retryPeriodMs_);
    ::SetTimer(window_, kTimerTrayRetry, retryPeriodMs_, nullptr);
    if (log_) {
        log_->write(std::string(taskbar ? "The shell refused the tray icon" : "No taskbar for the tray icon") +
                    "; next try in " + std::to_string(retryPeriodMs_ / 1000) + " s");
    }
}

void TrayIcon::update(bool dataFlowing) {
    HICON wanted = dataFlowing ? connectedIcon_.get() : idleIcon_.get();
    if (wanted == data_.hIcon) return;
    data_.hIcon = wanted;
    shell_(NIM_MODIFY, &data_);
}

void TrayIcon::remove() {
    ::KillTimer(window_, kTimerTrayRetry);
    retryPeriodMs_ = 0;
    if (added_) shell_(NIM_DELETE, &data_);
    added_ = false;
}

bool TrayIcon::onTaskbarCreated(UINT message) {
    if (message == 0 || message != taskbarCreatedMessage_) return false;
    retryPeriodMs_ = 0;
    add();
    return true;
}

TrayCommand TrayIcon::onNotify(WPARAM wParam, LPARAM lParam, bool windowVisible) {
    if (wParam != kTrayIconId) return TrayCommand::None;
    if (lParam == WM_LBUTTONDBLCLK) return TrayCommand::ToggleVisibility;
    if (lParam == WM_RBUTTONUP) return showMenu(windowVisible);
    return TrayCommand::None;
}

UniqueMenu TrayIcon::buildMenu(bool windowVisible) const {
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, kMainWindowTitle);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kMenuItems[0].id, windowVisible ? L"Hide" : L"Show");
    ::AppendMenuW(menu.get(), MF_STRING, kMenuItems[3].id, L"Status");
    ::AppendMenuW(menu.get(), MF_STRING, kMenuItems[4].id, L"Tracker address...");
    ::AppendMenuW(menu.get(), MF_STRING, kMenuItems[1].id, L"Help");
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kMenuItems[2].id, L"Exit");
    return menu;
}

TrayCommand TrayIcon::showMenu(bool windowVisible) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    UniqueMenu menu = buildMenu(windowVisible);
    // In the foreground, so that a click anywhere else closes the menu.
    ::SetForegroundWindow(window_);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, window_, nullptr));
    for (const MenuItem& item : kMenuItems) {
        if (item.id == chosen) return item.command;
    }
    return TrayCommand::None;  // dismissed
}

void TrayIcon::showHelp(const std::wstring& text) {
    if (helpOpen_) return;
    helpOpen_ = true;
    const std::wstring caption = std::wstring(kMainWindowTitle) + L" - Help";
    showCenteredMessageBox(window_, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
    helpOpen_ = false;
}

bool TrayIcon::showBalloon(const std::wstring& text) {
    if (!added_) return false;
    // A copy: the icon's own record, used by every other tray call, never carries a balloon.
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    lstrcpynW(balloon.szInfoTitle, L"Marrowbell", ARRAYSIZE(balloon.szInfoTitle));
    lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
    // The shell stays silent: the one sound, when wanted, is the overlay's own, so a shell that
    // has its own notification sound does not play it twice.
    balloon.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    shell_(NIM_MODIFY, &balloon);
    return true;
}

}  // namespace mb
