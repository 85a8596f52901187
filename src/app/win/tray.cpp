// The overlay in the notification area: the drawn dot icons, the tray icon that turns green
// while fresh data flows, its double-click and menu, and the help box.
#include "app/app_constants.h"
#include "app/win/tracker_app.h"
#include "desktop/dot_icon.h"
#include "desktop/help_text.h"
#include "desktop/win/centered_message_box.h"

namespace mb {
namespace {

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the full structure, as every shell since Vista reads it");

constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayShowHide = 2000;
constexpr UINT kTrayHelp = 2001;
constexpr UINT kTrayExit = 2002;
constexpr uint32_t kDataFreshMs = 1999;  // the tray stays green this long after data was applied

// A 32 x 32 icon of one dot colour; null when the system refuses it.
UniqueIcon makeDotIcon(uint32_t red, uint32_t green, uint32_t blue) {
    WindowDc screen(nullptr);
    UniqueMemoryDc colourDc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap colour(::CreateCompatibleBitmap(screen.get(), dot_icon::kSize, dot_icon::kSize));
    UniqueMemoryDc maskDc(::CreateCompatibleDC(colourDc.get()));
    UniqueBitmap mask;
    {
        SelectScope colourScope(colourDc.get(), colour.get());
        for (int y = 0; y < dot_icon::kSize; ++y) {
            for (int x = 0; x < dot_icon::kSize; ++x) {
                ::SetPixel(colourDc.get(), x, y, dot_icon::pixel(x, y, red, green, blue));
            }
        }
        // Compatible with the DC that holds the colour image, as the shell expects of a mask.
        mask.reset(::CreateCompatibleBitmap(colourDc.get(), dot_icon::kSize, dot_icon::kSize));
        SelectScope maskScope(maskDc.get(), mask.get());
        for (int y = 0; y < dot_icon::kSize; ++y) {
            for (int x = 0; x < dot_icon::kSize; ++x) {
                ::SetPixel(maskDc.get(), x, y, dot_icon::inside(x, y) ? RGB(0, 0, 0) : RGB(255, 255, 255));
            }
        }
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = colour.get();
    return UniqueIcon(::CreateIconIndirect(&info));  // the bitmaps go with their owners
}

}  // namespace

void TrackerApp::makeIcons() {
    appIcon = makeDotIcon(100, 150, 255);
    connectedIcon = makeDotIcon(0, 255, 0);
    idleIcon = makeDotIcon(255, 0, 0);
    ::SendMessageW(mainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon.get()));
    ::SendMessageW(mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon.get()));
}

void TrackerApp::addTrayIcon() {
    // Filled once; later calls (a restarted shell) keep the colour shown now.
    if (trayIconData.cbSize == 0) {
        trayIconData.cbSize = sizeof(trayIconData);
        trayIconData.hWnd = mainWindow;
        trayIconData.uID = kTrayIconId;
        trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        trayIconData.uCallbackMessage = kTrayCallbackMessage;
        trayIconData.hIcon = idleIcon.get();
        lstrcpynW(trayIconData.szTip, kMainWindowTitle, ARRAYSIZE(trayIconData.szTip));
    }
    // A shell that is still starting (a logon with Explorer busy) refuses the icon, or takes it
    // and reports a time-out, which a modify then tells apart. Until it is in place the add is
    // tried again every two seconds; otherwise a hidden overlay could only come back by hotkey.
    trayIconAdded = notifyShell(NIM_ADD, &trayIconData) || notifyShell(NIM_MODIFY, &trayIconData);
    if (trayIconAdded) {
        ::KillTimer(mainWindow, kTimerTrayRetry);
    } else {
        ::SetTimer(mainWindow, kTimerTrayRetry, kTrayRetryPeriodMs, nullptr);
    }
}

void TrackerApp::letTaskbarCreatedThrough() {
    // An elevated overlay would not hear a restarted Explorer (a program of lower integrity)
    // without this, and would lose its icon for the rest of the run. The call exists from
    // Windows 7 on, so it is looked up rather than imported.
    using MessageFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    const auto filter = reinterpret_cast<MessageFilter>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    if (filter && taskbarCreatedMessage != 0) filter(mainWindow, taskbarCreatedMessage, kAllow, nullptr);
}

void TrackerApp::updateTrayIcon() {
    const bool fresh = connectionState == Connected && ::GetTickCount() - lastDataTick <= kDataFreshMs;
    HICON wanted = fresh ? connectedIcon.get() : idleIcon.get();
    if (wanted == trayIconData.hIcon) return;
    trayIconData.hIcon = wanted;
    notifyShell(NIM_MODIFY, &trayIconData);
}

void TrackerApp::removeTrayIcon() {
    ::KillTimer(mainWindow, kTimerTrayRetry);
    if (trayIconAdded) notifyShell(NIM_DELETE, &trayIconData);
    trayIconAdded = false;
}

void TrackerApp::onTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId) return;
    if (lParam == WM_LBUTTONDBLCLK) {
        toggleVisibility();
    } else if (lParam == WM_RBUTTONUP) {
        showTrayMenu();
    }
}

UniqueMenu TrackerApp::buildTrayMenu() const {
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, kMainWindowTitle);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kTrayShowHide, windowVisible ? L"Hide" : L"Show");
    ::AppendMenuW(menu.get(), MF_STRING, kTrayHelp, L"Help");
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kTrayExit, L"Exit");
    return menu;
}

void TrackerApp::showTrayMenu() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    UniqueMenu menu = buildTrayMenu();
    // In the foreground, so that a click anywhere else closes the menu.
    ::SetForegroundWindow(mainWindow);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, mainWindow, nullptr));
    runTrayCommand(chosen);
}

void TrackerApp::runTrayCommand(UINT command) {
    switch (command) {
    case kTrayShowHide:
        toggleVisibility();
        break;
    case kTrayHelp:
        if (!helpOpen) showHelp();
        break;
    case kTrayExit:
        ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);  // through the confirmation
        break;
    default:  // dismissed
        break;
    }
}

void TrackerApp::showHelp() {
    helpOpen = true;
    HelpBindings bindings;
    bindings.showHideKey = settings.visibilityKey;
    bindings.showHideMods = settings.visibilityMods;
    bindings.clickThroughKey = settings.clickThroughKey;
    bindings.clickThroughMods = settings.clickThroughMods;
    bindings.bossMenuKey = settings.bossMenuKey;
    bindings.bossMenuMods = settings.bossMenuMods;
    const std::wstring text = helpText(bindings);
    showCenteredMessageBox(mainWindow, text.c_str(), L"Marrowbell v1.5.1 - Help", MB_ICONINFORMATION);
    helpOpen = false;
}

}  // namespace mb
