// The floor of the whole-overlay run (overlay_bench.py run): a bare program of the overlay's
// shape, run in the same Wine and at the same time, so that the overlay's CPU and memory are
// read against what Wine charges any such program rather than against zero. It has the
// overlay's kind of main window and its three periodic timers, which do nothing, and one
// worker that makes the poller's two requests every cycle and reads the answers to the end
// without decoding them. Whatever the overlay uses beyond this is its own work: inflating and
// parsing, painting, the clock, the tray.
//
//   overlay_floor BASE_URL        e.g. overlay_floor http://127.0.0.1:8080
//
// A tool reads the work done by sending the registered message "Marrowbell.FloorCycles" to
// the window: wParam 0 gives the cycles whose two answers were read to the end, 1 the
// requests that failed. WM_CLOSE stops the worker, waits for it (5 s at most) and ends the
// program with exit code 0, or 1 when the worker was still busy.
#include <windows.h>
#include <shellapi.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr wchar_t kFloorClass[] = L"MarrowbellFloor";
constexpr wchar_t kCycleQueryName[] = L"Marrowbell.FloorCycles";

// The overlay's main window: layered and top-most, caption, system menu and sizing frame, at
// its default size and opacity (75 %), with its dark background. Placed to the right of the
// overlay's default place (100, 100 to 550, 800) so that neither covers the other.
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOPMOST;
constexpr int kLeft = 600;
constexpr int kTop = 100;
constexpr int kWidth = 450;
constexpr int kHeight = 700;
constexpr BYTE kAlpha = 191;
constexpr COLORREF kBackground = RGB(30, 30, 30);

// The overlay's refresh, status and foreground timers.
constexpr UINT kTimerPeriodsMs[] = {100, 500, 1000};

constexpr DWORD kCyclePauseMs = 500;  // the poller's pause after every cycle
constexpr DWORD kStopWaitMs = 5000;   // the overlay's bound on every wait for a thread

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif

// One of the poller's requests, with the identity and timeouts its transport gives it.
struct Endpoint {
    const wchar_t* path;
    const wchar_t* userAgent;
    const wchar_t* extraHeaders;  // nullptr: none
    DWORD timeoutMs;
};

constexpr Endpoint kCycle[] = {
    {L"/api/all_status", L"Vantor/1.0", L"Accept-Encoding: gzip\r\n", 10000},
    {L"/api/status", L"Vantor/1.1", nullptr, 3000},
};

// The server as the base URL names it, split once.
struct Server {
    std::wstring host;
    std::wstring basePath;  // without a trailing '/'
    INTERNET_PORT port = 0;
    bool secure = false;
};

struct Floor {
    Server server;
    HANDLE stop = nullptr;
    HANDLE worker = nullptr;
    UINT cycleQuery = 0;
    bool workerEnded = true;
    std::atomic<LONG> cycles{0};
    std::atomic<LONG> failures{0};
};

Floor gFloor;

class Internet {
public:
    explicit Internet(HINTERNET handle) : handle_(handle) {}
    ~Internet() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    Internet(const Internet&) = delete;
    Internet& operator=(const Internet&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

bool splitBaseUrl(const wchar_t* url, Server& server) {
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (!WinHttpCrackUrl(url, 0, 0, &parts) || parts.dwHostNameLength == 0) return false;
    server.host.assign(host, parts.dwHostNameLength);
    server.basePath.assign(path, parts.dwUrlPathLength);
    while (!server.basePath.empty() && server.basePath.back() == L'/') server.basePath.pop_back();
    server.port = parts.nPort;
    server.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

// A fresh session per request, as the overlay's transports open one: the automatic proxy
// type, or the default one where the system refuses it.
HINTERNET openSession(const Endpoint& endpoint) {
    HINTERNET session = WinHttpOpen(endpoint.userAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        session = WinHttpOpen(endpoint.userAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (session) {
        const int t = static_cast<int>(endpoint.timeoutMs);
        WinHttpSetTimeouts(session, t, t, t, t);
        DWORD headersTimeout = endpoint.timeoutMs;
        WinHttpSetOption(session, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout, sizeof headersTimeout);
    }
    return session;
}

// Reads the body to its end into a scratch buffer; nothing is kept.
bool drainBody(HINTERNET request) {
    char scratch[16384];
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) return false;
        if (available == 0) return true;
        while (available > 0) {
            DWORD got = 0;
            const DWORD want = std::min<DWORD>(available, sizeof scratch);
            if (!WinHttpReadData(request, scratch, want, &got)) return false;
            if (got == 0) return true;
            available -= std::min(available, got);
        }
    }
}

bool fetch(const Server& server, const Endpoint& endpoint) {
    const std::wstring path = server.basePath + endpoint.path;
    // Declared in this order, the owners close request, connection, then session.
    Internet session(openSession(endpoint));
    if (!session) return false;
    Internet connection(WinHttpConnect(session.get(), server.host.c_str(), server.port, 0));
    if (!connection) return false;
    Internet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, server.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return false;
    if (endpoint.extraHeaders) {
        WinHttpAddRequestHeaders(request.get(), endpoint.extraHeaders, static_cast<DWORD>(-1L),
                                 WINHTTP_ADDREQ_FLAG_ADD);
    }
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        return false;
    }
    return drainBody(request.get());
}

DWORD WINAPI pollWorker(void*) {
    for (;;) {
        bool answered = true;
        for (const Endpoint& endpoint : kCycle) {
            if (WaitForSingleObject(gFloor.stop, 0) == WAIT_OBJECT_0) return 0;
            if (!fetch(gFloor.server, endpoint)) {
                answered = false;
                gFloor.failures.fetch_add(1);
            }
        }
        if (answered) gFloor.cycles.fetch_add(1);
        // One wait for the whole pause: the stop ends it at once, and nothing else wakes it.
        if (WaitForSingleObject(gFloor.stop, kCyclePauseMs) == WAIT_OBJECT_0) return 0;
    }
}

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == gFloor.cycleQuery) {
        return wParam == 0 ? gFloor.cycles.load() : wParam == 1 ? gFloor.failures.load() : -1;
    }
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_CLOSE:
        for (UINT id = 1; id <= std::size(kTimerPeriodsMs); ++id) KillTimer(window, id);
        SetEvent(gFloor.stop);
        gFloor.workerEnded = WaitForSingleObject(gFloor.worker, kStopWaitMs) == WAIT_OBJECT_0;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(gFloor.workerEnded ? 0 : 1);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND createWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &floorProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(kBackground);  // the class owns it
    windowClass.lpszClassName = kFloorClass;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    HWND window = CreateWindowExW(kExStyle, kFloorClass, L"Marrowbell floor", kStyle, kLeft, kTop, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    SetLayeredWindowAttributes(window, 0, kAlpha, LWA_ALPHA);
    // Not activated: the overlay beside it keeps the foreground, as it has when it runs alone.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool understood = argv && argc == 2 && splitBaseUrl(argv[1], gFloor.server);
    LocalFree(argv);
    if (!understood) {
        std::fprintf(stderr, "usage: overlay_floor BASE_URL (http://host:port or https://host:port)\n");
        return 64;
    }
    gFloor.cycleQuery = RegisterWindowMessageW(kCycleQueryName);
    gFloor.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = gFloor.stop ? createWindow(instance) : nullptr;
    if (!window) return 2;
    for (UINT id = 1; id <= std::size(kTimerPeriodsMs); ++id) SetTimer(window, id, kTimerPeriodsMs[id - 1], nullptr);
    gFloor.worker = CreateThread(nullptr, 0, &pollWorker, nullptr, 0, nullptr);
    if (!gFloor.worker) {
        DestroyWindow(window);
        return 2;
    }
    gFloor.workerEnded = false;

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(gFloor.worker);
    CloseHandle(gFloor.stop);
    return static_cast<int>(msg.wParam);
}
