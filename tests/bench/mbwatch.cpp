// Timing helper of the whole-overlay benchmark (overlay_bench.py): watches an overlay from
// another process in the same Wine prefix and stamps what it sees with the wall clock, so the
// times do not include the start-up of a probe process per look.
//
//   mbwatch firstrows FOLDER READY MS   creates the file READY (a Windows path) once it is
//                                       watching, then waits up to MS for a shown, layered
//                                       "VantorMainDialog" of a process whose image path holds
//                                       FOLDER, and for its "VantorProgressList" text to start
//                                       with "Ch."
//   mbwatch close HWND MS               posts WM_CLOSE, clicks Yes in "Confirm Exit" and waits
//                                       up to MS for the process to end
//   mbwatch floor FOLDER MS             waits up to MS for the shown window of the floor program
//                                       (tests/bench/floor.cpp) whose image path holds FOLDER
//                                       and reads its counts of cycles and failed requests
//   mbwatch end HWND MS                 posts WM_CLOSE and waits up to MS for the process to end
//                                       (a program that asks nothing first, as the floor)
//
// Each prints one JSON line; times are Unix seconds, durations milliseconds.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "support/win/window_lookup.h"

namespace {

using namespace mb::tools;

constexpr DWORD kLookMs = 5;
constexpr int kYesButton = 6;

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The overlay's main window once it is on screen: shown, with its layered opacity applied.
HWND shownOverlay(const std::wstring& folder) {
    for (HWND window : topLevel()) {
        if (className(window) != L"VantorMainDialog" || !IsWindowVisible(window)) continue;
        BYTE alpha = 0;
        DWORD flags = 0;
        COLORREF key = 0;
        if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags)) continue;
        if (lower(processImage(processOf(window))).find(folder) != std::wstring::npos) return window;
    }
    return nullptr;
}

// The list writes its window text in the same call that paints its rows.
bool rowsShown(HWND main) {
    bool shown = false;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM result) -> BOOL {
            if (className(child) != L"VantorProgressList") return TRUE;
            *reinterpret_cast<bool*>(result) = windowText(child).rfind(L"Ch.", 0) == 0;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

int firstRows(const std::wstring& folder, const wchar_t* readyPath, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HANDLE ready = CreateFileW(readyPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(ready);
    HWND main = nullptr;
    double windowAt = 0;
    while (!main && GetTickCount64() < deadline) {
        main = shownOverlay(lower(folder));
        if (main)
            windowAt = unixNow();
        else
            Sleep(kLookMs);
    }
    if (!main) {
        std::printf("{\"hwnd\":null}\n");
        return 3;
    }
    double rowsAt = 0;
    while (GetTickCount64() < deadline && IsWindow(main)) {
        if (rowsShown(main)) {
            rowsAt = unixNow();
            break;
        }
        Sleep(kLookMs);
    }
    std::printf("{\"hwnd\":%llu,\"window_at\":%.4f,\"rows_at\":%.4f,\"rows_ms\":%.1f}\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(main)), windowAt, rowsAt,
                rowsAt > 0 ? 1000.0 * (rowsAt - windowAt) : -1.0);
    return rowsAt > 0 ? 0 : 4;
}

HWND confirmBox(DWORD pid) {
    for (HWND window : topLevel()) {
        if (className(window) == L"#32770" && windowText(window) == L"Confirm Exit" && processOf(window) == pid &&
            IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

HWND shownFloor(const std::wstring& folder) {
    for (HWND window : topLevel()) {
        if (className(window) == L"MarrowbellFloor" && IsWindowVisible(window) &&
            lower(processImage(processOf(window))).find(folder) != std::wstring::npos) {
            return window;
        }
    }
    return nullptr;
}

int floorCounts(const std::wstring& folder, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND floor = nullptr;
    while (!(floor = shownFloor(lower(folder))) && GetTickCount64() < deadline) Sleep(kLookMs);
    const UINT query = RegisterWindowMessageW(L"Marrowbell.FloorCycles");
    DWORD_PTR cycles = 0;
    DWORD_PTR failures = 0;
    if (!floor || !query || !SendMessageTimeoutW(floor, query, 0, 0, SMTO_ABORTIFHUNG, 5000, &cycles) ||
        !SendMessageTimeoutW(floor, query, 1, 0, SMTO_ABORTIFHUNG, 5000, &failures)) {
        std::printf("{\"hwnd\":null}\n");
        return 3;
    }
    std::printf("{\"hwnd\":%llu,\"cycles\":%llu,\"failures\":%llu,\"at\":%.4f}\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(floor)),
                static_cast<unsigned long long>(cycles), static_cast<unsigned long long>(failures), unixNow());
    return 0;
}

int endProgram(HWND main, DWORD timeoutMs) {
    const DWORD pid = processOf(main);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return 2;
    const double postedAt = unixNow();
    if (!PostMessageW(main, WM_CLOSE, 0, 0)) {
        CloseHandle(process);
        return 2;
    }
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    const double endedAt = unixNow();
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    std::printf("{\"ended\":%s,\"close_ms\":%.1f,\"exit_code\":%lu}\n", ended ? "true" : "false",
                1000.0 * (endedAt - postedAt), exitCode);
    return ended ? 0 : 4;
}

int closeOverlay(HWND main, DWORD timeoutMs) {
    const DWORD pid = processOf(main);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process || !PostMessageW(main, WM_CLOSE, 0, 0)) return 2;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND yes = nullptr;
    while (!yes && GetTickCount64() < deadline) {
        if (HWND box = confirmBox(pid)) yes = GetDlgItem(box, kYesButton);
        if (!yes) Sleep(kLookMs);
    }
    if (!yes) {
        std::printf("{\"box\":null}\n");
        CloseHandle(process);
        return 3;
    }
    const double clickedAt = unixNow();
    PostMessageW(yes, BM_CLICK, 0, 0);
    const ULONGLONG left = deadline > GetTickCount64() ? deadline - GetTickCount64() : 0;
    const bool ended = WaitForSingleObject(process, static_cast<DWORD>(left)) == WAIT_OBJECT_0;
    const double endedAt = unixNow();
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    std::printf("{\"clicked_at\":%.4f,\"ended\":%s,\"ended_at\":%.4f,\"close_ms\":%.1f,\"exit_code\":%lu}\n", clickedAt,
                ended ? "true" : "false", endedAt, 1000.0 * (endedAt - clickedAt), exitCode);
    return ended ? 0 : 4;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"firstrows" && argc == 5) {
        return firstRows(argv[2], argv[3], static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
    }
    if (command == L"close" && argc == 4) {
        HWND main = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(argv[2], nullptr, 0)));
        return closeOverlay(main, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    }
    if (command == L"floor" && argc == 4) {
        return floorCounts(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    }
    if (command == L"end" && argc == 4) {
        HWND main = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(argv[2], nullptr, 0)));
        return endProgram(main, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    }
    std::fprintf(stderr, "usage: mbwatch firstrows FOLDER READY MS | close HWND MS | floor FOLDER MS | end HWND MS\n");
    return 64;
}
