// The bench for tests that run a real TrackerApp on this thread: its settings file in a
// folder of its own (pointing at the simulator and a local NTP server), a watcher that
// answers message boxes from another thread (box_watcher.h), and a bounded message loop.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "clock/win/udp_responder.h"
#include "app/win/tracker_app.h"
#include "core/win/unique_handle.h"
#include "core/win/utf8.h"
#include "support/win/box_watcher.h"
#include "support/win/temp_folder.h"
#include "support/win/window_test_util.h"

namespace mb::test {

// The clock tests' scriptable NTP server on 127.0.0.1, scripted to answer the next requests
// at once with the current time, or with a fixed Unix time (that of a deterministic
// simulator, so that its reports are as fresh to the overlay as the simulator says).
class LocalNtpServer {
public:
    explicit LocalNtpServer(int64_t unixTime = ::time(nullptr)) {
        const uint32_t seconds = static_cast<uint32_t>(unixTime + 2208988800LL);
        responder_.script(std::vector<UdpResponder::Answer>(kAnswers, UdpResponder::reply(seconds)));
    }
    bool ready() const { return responder_.ready(); }
    std::string address() const { return "127.0.0.1:" + responder_.port(); }
    int requests() const { return responder_.requests(); }

private:
    static constexpr size_t kAnswers = 64;  // far more than one test's synchronisations
    UdpResponder responder_;
};

// Runs the application's message loop; gives up after timeoutMs by posting WM_QUIT itself.
// The loop's exit code, or nothing when it had to be cut off.
inline std::optional<int> runLoopWithin(TrackerApp& app, DWORD timeoutMs) {
    constexpr WPARAM kCutOff = 0x7A7A;
    const DWORD thread = ::GetCurrentThreadId();
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> hold(mutex);
        if (!finished.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return done; })) {
            ::PostThreadMessageW(thread, WM_QUIT, kCutOff, 0);
        }
    });
    int code = app.runMessageLoop();
    {
        std::lock_guard<std::mutex> hold(mutex);
        done = true;
    }
    finished.notify_all();
    watchdog.join();
    if (code == static_cast<int>(kCutOff)) return std::nullopt;
    return code;
}

// How long f took, in milliseconds.
template <typename F>
uint64_t millisecondsOf(F&& f) {
    const ULONGLONG begin = ::GetTickCount64();
    f();
    return ::GetTickCount64() - begin;
}

// A TrackerApp with its settings file in a temporary folder. The file's "Network" section
// names the tracker URL and the NTP servers; other sections may be added before start().
class AppBench {
public:
    AppBench(const std::string& trackerUrl, const std::string& ntpServers) {
        put(L"Network", L"TrackerUrl", widen(trackerUrl));
        if (!ntpServers.empty()) put(L"Network", L"NtpServers", widen(ntpServers));
        // The pass on a 144-DPI screen runs as Windows users see it sharp there: per-monitor aware
        // (Windows tells an unaware program 96 DPI and stretches it, which Wine does not).
        if (const char* highDpi = std::getenv("MB_TEST_HIGH_DPI"); highDpi && std::string(highDpi) == "1") {
            put(L"Window", L"HighDpi", L"1");
        }
    }
    std::wstring iniPath() const { return folder.file(L"Marrowbell.ini"); }

    void put(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        ::WritePrivateProfileStringW(section, key, value.c_str(), iniPath().c_str());
    }
    std::wstring get(const wchar_t* section, const wchar_t* key) const {
        wchar_t buffer[512] = {};
        ::GetPrivateProfileStringW(section, key, L"<absent>", buffer, 512, iniPath().c_str());
        return buffer;
    }
    // A file of the folder as it is on disk (the profile functions may answer from their cache).
    std::string bytesOf(const std::wstring& name) const {
        std::ifstream in(std::filesystem::path(folder.file(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string iniBytes() const { return bytesOf(L"Marrowbell.ini"); }
    int getInt(const wchar_t* section, const wchar_t* key) const {
        return static_cast<int>(::GetPrivateProfileIntW(section, key, -99999, iniPath().c_str()));
    }

    // Constructs the application and creates its window; false when that failed.
    bool start() {
        app = std::make_unique<TrackerApp>(iniPath());
        return app->createMainWindow();
    }
    HWND window() const { return app ? app->window() : nullptr; }

    ~AppBench() { destroyApp(); }
    AppBench(const AppBench&) = delete;
    AppBench& operator=(const AppBench&) = delete;

    // Milliseconds the application object takes to go. The WM_QUIT its teardown posted is
    // taken from the queue, so that it cannot end a later test's message box or loop.
    uint64_t destroyApp() {
        const uint64_t took = millisecondsOf([&] { app.reset(); });
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        return took;
    }

    static std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

    TempFolder folder;
    std::unique_ptr<TrackerApp> app;
};

// A TCP port of 127.0.0.1 with nothing listening on it.
inline std::string closedPortUrl() {
    WSADATA data{};
    ::WSAStartup(MAKEWORD(2, 2), &data);
    UniqueSocket probe(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    probe.reset();
    ::WSACleanup();
    return "http://127.0.0.1:" + std::to_string(port);
}

}  // namespace mb::test
