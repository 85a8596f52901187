#include "desktop/network_settings.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "controls/progress_list_text.h"
#include "desktop/settings_text.h"

namespace mb {
namespace {

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isHexOrColon(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowerAscii(text[i]) != prefix[i]) return false;
    }
    return true;
}

// Dot-separated labels of letters, digits and inner hyphens, at most 253 characters.
bool isHostName(std::string_view host) {
    if (host.empty() || host.size() > 253) return false;
    std::size_t start = 0;
    while (start <= host.size()) {
        std::size_t end = host.find('.', start);
        if (end == std::string_view::npos) end = host.size();
        std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            if (!isAsciiAlnum(c) && c != '-') return false;
        }
        start = end + 1;
    }
    return true;
}

// "[...]" with hexadecimal digits, colons and dots inside.
bool isBracketedIpv6(std::string_view host) {
    if (host.size() < 4 || host.front() != '[' || host.back() != ']') return false;
    std::string_view inner = host.substr(1, host.size() - 2);
    if (inner.find(':') == std::string_view::npos) return false;
    for (char c : inner) {
        if (!isHexOrColon(c)) return false;
    }
    return true;
}

// Decimal 1 to 65535, digits only.
bool isPort(std::string_view text) {
    const std::optional<int32_t> value = parseDigits(text, 5);
    return value && *value >= 1 && *value <= 65535;
}

// What is wrong with "host" or "host:port" (an IPv6 host in brackets); empty when nothing is.
std::string authorityProblem(std::string_view authority) {
    std::string_view host = authority;
    std::size_t close = authority.rfind(']');
    std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && (close == std::string_view::npos || colon > close)) {
        if (!isPort(authority.substr(colon + 1))) return "After \":\" comes the port: a number from 1 to 65535";
        host = authority.substr(0, colon);
    }
    if (host.empty()) return "Put the server's name after the \"//\"";
    const bool usable = host.front() == '[' ? isBracketedIpv6(host) : isHostName(host);
    return usable ? std::string() : "The server's name may hold only letters, digits, dots and hyphens";
}

TrackerUrlCheck problem(std::string text) { return {std::nullopt, std::move(text)}; }

}  // namespace

TrackerUrlCheck checkTrackerUrl(std::string_view text) {
    text = trimBlanks(text);
    std::string scheme;
    if (startsWithNoCase(text, "https://")) {
        scheme = "https://";
    } else if (startsWithNoCase(text, "http://")) {
        scheme = "http://";
    } else {
        return problem("Use an address that starts with https:// or http://");
    }
    std::string_view rest = text.substr(scheme.size());
    if (rest.find('?') != std::string_view::npos) return problem("Leave out the \"?\" and what follows it");
    if (rest.find('#') != std::string_view::npos) return problem("Leave out the \"#\" and what follows it");
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    if (authority.empty() || authority.front() == ':') return problem("Put the server's name after the \"//\"");
    if (std::string why = authorityProblem(authority); !why.empty()) return problem(std::move(why));
    for (char c : path) {
        if (c <= ' ' || c > '~' || c == '\\') {
            return problem("Leave blanks, backslashes and letters with accents out of the address");
        }
    }
    return {scheme + std::string(rest), std::string()};
}

std::optional<std::vector<NtpServer>> parseNtpServers(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    std::vector<NtpServer> servers;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string_view entry = trimBlanks(text.substr(start, comma - start));
        start = comma + 1;
        if (entry.empty() || servers.size() == kMaxNtpServers) return std::nullopt;
        std::size_t colon = entry.find(':');
        std::string_view host = entry.substr(0, colon);
        std::string_view port = colon == std::string_view::npos ? std::string_view{kNtpService}
                                                                : entry.substr(colon + 1);
        if (!isHostName(host) || !isPort(port)) return std::nullopt;
        servers.push_back({std::string(host), std::string(port)});
    }
    return servers;
}

std::wstring_view emptyListText(TrackerAddress address) {
    switch (address) {
    case TrackerAddress::Placeholder:
        return L"Click here to set your tracker";
    case TrackerAddress::Invalid:
        return L"Tracker address invalid: click here to fix it";
    case TrackerAddress::Usable:
        break;
    }
    return progress_list::kNoRowsCaption;
}

}  // namespace mb
