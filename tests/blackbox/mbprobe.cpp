// Test helper for the black-box tests: finds overlay windows and message boxes from another
// process in the same Wine prefix, and posts what a user or Windows would send them.
// Every command prints one JSON object per line and ends within its time-out. Any command may
// start with --desktop NAME to work on that desktop.
//
//   mbprobe screen                       the primary monitor's size
//   mbprobe list                         every "VantorMainDialog" top-level window
//   mbprobe close HWND                   posts WM_CLOSE
//   mbprobe answer HWND TITLE ID MS      waits up to MS for a box TITLE of HWND's process,
//                                        reports it and clicks button ID (6 yes, 7 no)
//   mbprobe endsession HWND              WM_QUERYENDSESSION, then WM_ENDSESSION(TRUE)
//   mbprobe children HWND                every child window: class, id, text, rectangle, shown
//   mbprobe popups HWND                  the boss popups ("VantorCustomComboBoxPopup") of HWND's process
//   mbprobe counters HWND                the overlay's live GDI object, device context, kernel and
//                                        WinHTTP handle counts (registered message
//                                        "Marrowbell.QueryCounters", wParam 0 to 3)
//   mbprobe sample HWND STEP TOTAL FILE  for TOTAL ms, every STEP ms, reads the channel list, the
//                                        status line (id 1005) and the cache line (id 1013); appends
//                                        a line to FILE whenever one changes, and once a second
//                                        with whether the window thread answers (WM_NULL)
//   mbprobe mode HWND W H MS             as an exclusive full-screen game does: the display at W x H
//                                        for MS, then back; HWND's rectangle during and after
//   mbprobe cover HWND MS                as a borderless game does: a top-most window over the whole
//                                        screen, brought to the foreground; how long until HWND
//                                        stood above it again (-1: never within MS), and whether
//                                        the cover kept the foreground
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/win/window_lookup.h"

namespace {

using namespace mb::tools;

std::string narrow(const std::wstring& text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string quoted(const std::wstring& text) {
    std::string out = "\"";
    for (char c : narrow(text)) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

std::string rectJson(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    char text[128];
    std::snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return text;
}

HWND parseWindow(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(text, nullptr, 0)));
}

int list() {
    for (HWND window : topLevel()) {
        if (className(window) != L"VantorMainDialog") continue;
        DWORD pid = processOf(window);
        BYTE alpha = 0;
        DWORD flags = 0;
        COLORREF key = 0;
        BOOL layered = GetLayeredWindowAttributes(window, &key, &alpha, &flags);
        std::printf(
            "{\"hwnd\":%llu,\"pid\":%lu,\"exe\":%s,\"title\":%s,\"rect\":%s,\"style\":%lu,\"exstyle\":%lu,"
            "\"alpha\":%d,\"layered\":%s,\"visible\":%s}\n",
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), pid,
            quoted(processImage(pid)).c_str(), quoted(windowText(window)).c_str(), rectJson(window).c_str(),
            static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
            static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)), alpha, layered ? "true" : "false",
            IsWindowVisible(window) ? "true" : "false");
    }
    return 0;
}

int children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (HWND child : found) {
        std::printf("{\"hwnd\":%llu,\"class\":%s,\"id\":%d,\"text\":%s,\"rect\":%s,\"visible\":%s}\n",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(child)),
                    quoted(className(child)).c_str(), GetDlgCtrlID(child), quoted(windowText(child)).c_str(),
                    rectJson(child).c_str(), IsWindowVisible(child) ? "true" : "false");
    }
    return 0;
}

int popups(HWND owner) {
    const DWORD pid = processOf(owner);
    for (HWND window : topLevel()) {
        if (className(window) != L"VantorCustomComboBoxPopup" || processOf(window) != pid) continue;
        std::printf("{\"hwnd\":%llu,\"rect\":%s,\"visible\":%s}\n",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), rectJson(window).c_str(),
                    IsWindowVisible(window) ? "true" : "false");
    }
    return 0;
}

int counters(HWND window) {
    const UINT query = RegisterWindowMessageW(L"Marrowbell.QueryCounters");
    const char* names[] = {"gdi", "dc", "kernel", "winhttp"};
    std::string line = "{";
    bool ok = query != 0;
    for (WPARAM k = 0; k < 4 && ok; ++k) {
        DWORD_PTR value = 0;
        ok = SendMessageTimeoutW(window, query, k, 0, SMTO_ABORTIFHUNG, 2000, &value) != 0;
        line += "\"" + std::string(names[k]) + "\":" + std::to_string(static_cast<long long>(value)) + ",";
    }
    std::printf("%s\"ok\":%s}\n", line.c_str(), ok ? "true" : "false");
    return ok ? 0 : 2;
}

int sample(HWND main, DWORD stepMs, DWORD totalMs, const wchar_t* path) {
    FILE* out = _wfopen(path, L"ab");
    if (!out) return 2;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastBeat = 0;
    std::string last;
    while (GetTickCount64() - start < totalMs) {
        if (!IsWindow(main)) {
            std::fprintf(out, "{\"t\":%.3f,\"gone\":true}\n", unixNow());
            break;
        }
        std::wstring list, status, cache;
        for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (className(child) == L"VantorProgressList")
                list = windowText(child);
            else if (GetDlgCtrlID(child) == 1005)
                status = windowText(child);
            else if (GetDlgCtrlID(child) == 1013)
                cache = windowText(child);
        }
        const std::string texts = "\"list\":" + quoted(list) + ",\"status\":" + quoted(status) +
                                  ",\"cache\":" + quoted(cache);
        const ULONGLONG tick = GetTickCount64();
        if (texts != last || tick - lastBeat >= 1000) {
            std::string alive;
            if (tick - lastBeat >= 1000) {
                DWORD_PTR ignored = 0;
                const bool answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
                alive = answered ? ",\"alive\":true" : ",\"alive\":false";
                lastBeat = tick;
            }
            std::fprintf(out, "{\"t\":%.3f,%s%s}\n", unixNow(), texts.c_str(), alive.c_str());
            std::fflush(out);
            last = texts;
        }
        Sleep(stepMs);
    }
    std::fclose(out);
    return 0;
}

int answer(HWND owner, const std::wstring& title, int button, DWORD timeoutMs) {
    const DWORD pid = processOf(owner);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        for (HWND window : topLevel()) {
            if (className(window) != L"#32770" || windowText(window) != title || processOf(window) != pid) continue;
            if (!IsWindowVisible(window)) continue;
            HWND target = GetDlgItem(window, button);
            std::printf("{\"box\":%llu,\"rect\":%s,\"owner_rect\":%s,\"clicked\":%s}\n",
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), rectJson(window).c_str(),
                        rectJson(owner).c_str(), target ? "true" : "false");
            if (target) PostMessageW(target, BM_CLICK, 0, 0);
            return target ? 0 : 3;
        }
        Sleep(50);
    }
    std::printf("{\"box\":null}\n");
    return 2;
}

int endSession(HWND window) {
    DWORD_PTR query = 0;
    DWORD_PTR ignored = 0;
    LRESULT sent = SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &query);
    LRESULT ended = SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &ignored);
    std::printf("{\"query_sent\":%s,\"query_result\":%llu,\"end_sent\":%s}\n", sent ? "true" : "false",
                static_cast<unsigned long long>(query), ended ? "true" : "false");
    return sent && ended ? 0 : 2;
}

int mode(HWND window, int width, int height, DWORD ms) {
    DEVMODEW wanted{};
    wanted.dmSize = sizeof wanted;
    wanted.dmPelsWidth = static_cast<DWORD>(width);
    wanted.dmPelsHeight = static_cast<DWORD>(height);
    wanted.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG changed = ChangeDisplaySettingsExW(nullptr, &wanted, nullptr, CDS_FULLSCREEN, nullptr);
    Sleep(ms);
    const std::string during = rectJson(window);
    const LONG restored = ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
    Sleep(1000);
    std::printf("{\"changed\":%ld,\"restored\":%ld,\"during\":%s,\"after\":%s}\n", changed, restored, during.c_str(),
                rectJson(window).c_str());
    return changed == DISP_CHANGE_SUCCESSFUL && restored == DISP_CHANGE_SUCCESSFUL ? 0 : 2;
}

// Whether `window` stands above `other` in the z order.
bool standsAbove(HWND window, HWND other) {
    for (HWND h = GetWindow(other, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
        if (h == window) return true;
    return false;
}

int cover(HWND overlay, DWORD ms) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND game = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"mbprobe cover", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(game);
    const bool coveredAtFirst = !standsAbove(overlay, game);
    const ULONGLONG start = GetTickCount64();
    long long aboveAfter = -1;
    while (GetTickCount64() - start < ms && aboveAfter < 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (standsAbove(overlay, game)) aboveAfter = static_cast<long long>(GetTickCount64() - start);
        Sleep(50);
    }
    std::printf("{\"covered_at_first\":%s,\"above_after_ms\":%lld,\"foreground_kept\":%s}\n",
                coveredAtFirst ? "true" : "false", aboveAfter, GetForegroundWindow() == game ? "true" : "false");
    DestroyWindow(game);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // --desktop NAME: work on that desktop (a Wine virtual desktop the overlay runs on), before
    // this thread has any window.
    if (argc > 3 && std::wstring(argv[1]) == L"--desktop") {
        HDESK desktop = OpenDesktopW(argv[2], 0, FALSE, GENERIC_ALL);
        if (!desktop || !SetThreadDesktop(desktop)) {
            std::fprintf(stderr, "mbprobe: no desktop %ls\n", argv[2]);
            return 3;
        }
        argc -= 2;
        argv += 2;
    }
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"list") return list();
    if (command == L"screen") {
        std::printf("{\"width\":%d,\"height\":%d}\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == L"close" && argc == 3) return PostMessageW(parseWindow(argv[2]), WM_CLOSE, 0, 0) ? 0 : 2;
    if (command == L"answer" && argc == 6) {
        return answer(parseWindow(argv[2]), argv[3], _wtoi(argv[4]), static_cast<DWORD>(_wtoi(argv[5])));
    }
    if (command == L"endsession" && argc == 3) return endSession(parseWindow(argv[2]));
    if (command == L"children" && argc == 3) return children(parseWindow(argv[2]));
    if (command == L"popups" && argc == 3) return popups(parseWindow(argv[2]));
    if (command == L"counters" && argc == 3) return counters(parseWindow(argv[2]));
    if (command == L"sample" && argc == 6) {
        return sample(parseWindow(argv[2]), static_cast<DWORD>(_wtoi(argv[3])), static_cast<DWORD>(_wtoi(argv[4])),
                      argv[5]);
    }
    if (command == L"mode" && argc == 6) {
        return mode(parseWindow(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), static_cast<DWORD>(_wtoi(argv[5])));
    }
    if (command == L"cover" && argc == 4) return cover(parseWindow(argv[2]), static_cast<DWORD>(_wtoi(argv[3])));
    std::fprintf(
        stderr,
        "usage: mbprobe screen | list | close HWND | answer HWND TITLE ID MS | endsession HWND | children HWND | "
        "popups HWND | counters HWND | sample HWND STEP TOTAL FILE | mode HWND W H MS | cover HWND MS\n");
    return 64;
}
