#include "app/alert_outbox.h"

namespace mb {
namespace {

constexpr wchar_t kEllipsis = L'\u2026';

// UTF-16 units of one wchar_t: a code point above the BMP takes two where wchar_t is wider.
size_t units(wchar_t c) { return (static_cast<uint32_t>(c) >> 16) != 0 ? 2 : 1; }

size_t units(const std::wstring& text) {
    size_t total = 0;
    for (wchar_t c : text) total += units(c);
    return total;
}

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The longest start of text within limit units that ends between two characters.
std::wstring cutToUnits(const std::wstring& text, size_t limit) {
    std::wstring kept;
    size_t total = 0;
    for (wchar_t c : text) {
        if (total + units(c) > limit) break;
        kept.push_back(c);
        total += units(c);
    }
    if (!kept.empty() && isHighSurrogate(kept.back()) && kept.size() < text.size()) kept.pop_back();
    return kept;
}

}  // namespace

std::wstring mergeAlertLines(const std::vector<std::wstring>& lines) {
    std::wstring merged;
    for (const std::wstring& line : lines) merged += (merged.empty() ? L"" : L"\n") + line;
    if (units(merged) <= kAlertTextUnits) return merged;

    // Whole lines while they leave room for the closing "\n…".
    std::wstring whole;
    for (const std::wstring& line : lines) {
        std::wstring longer = whole.empty() ? line : whole + L"\n" + line;
        if (units(longer) + 2 > kAlertTextUnits) break;
        whole = std::move(longer);
    }
    if (!whole.empty()) return whole + L"\n" + kEllipsis;
    return cutToUnits(lines.front(), kAlertTextUnits - 1) + kEllipsis;
}

void AlertBanner::show(const std::wstring& alertText, uint64_t nowMs) {
    line_.clear();
    for (wchar_t c : alertText) {
        if (c == L'\n') {
            line_ += L" \u00B7 ";
        } else {
            line_.push_back(c);
        }
    }
    shownMs_ = nowMs;
}

void AlertOutbox::add(const std::vector<std::wstring>& lines) {
    pending_.insert(pending_.end(), lines.begin(), lines.end());
}

std::optional<std::wstring> AlertOutbox::take(uint64_t nowMs) {
    if (pending_.empty()) return std::nullopt;
    if (lastShownMs_ && nowMs - *lastShownMs_ < kAlertSpacingMs) return std::nullopt;
    lastShownMs_ = nowMs;
    std::wstring text = mergeAlertLines(pending_);
    pending_.clear();
    return text;
}

}  // namespace mb
