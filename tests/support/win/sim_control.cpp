#include "support/win/sim_control.h"

#include <windows.h>
#include <winhttp.h>

#include "core/win/unique_handle.h"
#include "core/win/utf8.h"

namespace mb::test {
namespace {

constexpr int kControlTimeoutMs = 10000;

std::string field(const nlohmann::json& entry, const char* name) {
    const auto it = entry.find(name);
    return it != entry.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

nlohmann::json SimFault(const std::string& endpoint, const std::string& kind, nlohmann::json params,
                        std::optional<int> count) {
    nlohmann::json fault = params.is_object() ? std::move(params) : nlohmann::json::object();
    fault["endpoint"] = endpoint;
    fault["kind"] = kind;
    if (count) fault["count"] = *count;
    return fault;
}

std::string SimBase64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[(n >> 18) & 63];
        text += kAlphabet[(n >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return text;
}

SimControl::SimControl(std::string controlUrl) : controlUrl_(std::move(controlUrl)) {}

::testing::AssertionResult SimControl::call(const wchar_t* verb, const std::string& path, const std::string& body,
                                            std::string& reply) {
    const std::string url = controlUrl_ + path;
    const std::wstring wideUrl = Utf8ToWide(url);
    wchar_t host[256] = {};
    wchar_t target[2048] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = target;
    parts.dwUrlPathLength = 2048;
    if (!::WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts)) {
        return ::testing::AssertionFailure() << "simulator control URL cannot be split: " << url;
    }
    UniqueInternet session(::WinHttpOpen(L"MarrowbellTests/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return ::testing::AssertionFailure() << "WinHttpOpen failed: " << ::GetLastError();
    ::WinHttpSetTimeouts(session.get(), kControlTimeoutMs, kControlTimeoutMs, kControlTimeoutMs, kControlTimeoutMs);
    UniqueInternet connection(::WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection) return ::testing::AssertionFailure() << "WinHttpConnect failed: " << ::GetLastError();
    const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    UniqueInternet request(::WinHttpOpenRequest(connection.get(), verb, target, nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request) return ::testing::AssertionFailure() << "WinHttpOpenRequest failed: " << ::GetLastError();
    const wchar_t* headers = body.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : L"Content-Type: application/json\r\n";
    const DWORD headersLength = body.empty() ? 0 : static_cast<DWORD>(-1L);
    void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    const auto length = static_cast<DWORD>(body.size());
    if (!::WinHttpSendRequest(request.get(), headers, headersLength, data, length, length, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return ::testing::AssertionFailure()
               << "simulator does not answer at " << url << " (WinHTTP error " << ::GetLastError() << ")";
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    reply.clear();
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request.get(), &available) || available == 0) break;
        std::string chunk(available, '\0');
        DWORD got = 0;
        if (!::WinHttpReadData(request.get(), chunk.data(), available, &got) || got == 0) break;
        reply.append(chunk.data(), got);
    }
    if (status != 200) {
        return ::testing::AssertionFailure() << "simulator answered " << status << " to " << url << ": " << reply;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SimControl::reset() {
    std::string reply;
    return call(L"POST", "/_sim/reset", "{}", reply);
}

::testing::AssertionResult SimControl::clearLog() {
    std::string reply;
    return call(L"POST", "/_sim/log/clear", "{}", reply);
}

::testing::AssertionResult SimControl::setFault(const nlohmann::json& fault) {
    std::string reply;
    return call(L"POST", "/_sim/fault", fault.dump(), reply);
}

::testing::AssertionResult SimControl::setWorld(const nlohmann::json& world) {
    std::string reply;
    return call(L"POST", "/_sim/world", world.dump(), reply);
}

::testing::AssertionResult SimControl::readLog(std::vector<SimRequest>& requests) {
    requests.clear();
    std::string reply;
    if (auto result = call(L"GET", "/_sim/log", "", reply); !result) return result;
    const nlohmann::json log = nlohmann::json::parse(reply, nullptr, false, false);
    if (!log.is_array()) return ::testing::AssertionFailure() << "simulator log is not a JSON array: " << reply;
    for (const nlohmann::json& entry : log) {
        if (!entry.is_object()) continue;
        SimRequest request;
        request.method = field(entry, "method");
        request.path = field(entry, "path");
        request.userAgent = field(entry, "user_agent");
        request.acceptEncoding = field(entry, "accept_encoding");
        const auto time = entry.find("time");
        if (time != entry.end() && time->is_number()) request.time = time->get<double>();
        requests.push_back(std::move(request));
    }
    return ::testing::AssertionSuccess();
}

void SimulatorTest::SetUp() {
    ASSERT_TRUE(ReadSimulatorUrls(urls));
    sim = std::make_unique<SimControl>(urls.http);
    ASSERT_TRUE(sim->reset());
}

}  // namespace mb::test
