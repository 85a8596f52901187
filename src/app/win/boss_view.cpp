#include "app/win/boss_view.h"

#include <algorithm>

#include "app/app_constants.h"
#include "app/row_assembly.h"
#include "app/win/placement.h"
#include "core/spawn_countdown.h"
#include "core/win/utf8.h"
#include "desktop/status_text.h"

namespace mb {

BossView::BossView(TrackerState& state, NtpClock& clock) : state_(&state), clock_(clock) {}

void BossView::create(HWND parent, int textScale, const std::wstring& emptyText, bool withBanner) {
    selector_.create(parent, 0, 0, 0, 0, kIdBossSelector);
    list_.create(parent, 0, 0, 0, 0, kIdChannelList);
    list_.setTextScale(textScale);
    list_.setEmptyText(emptyText);
    title_.create(parent, 0, 0, 0, 0, kIdBossTitle);
    title_.setFontSize(14);
    cacheAge_.create(parent, 0, 0, 0, 0, kIdCacheAge);
    cacheAge_.setFontSize(14);
    spawnCountdown_.create(parent, 0, 0, 0, 0, kIdSpawnCountdown);
    if (!withBanner) return;  // without alerts there is nothing to show
    banner_.create(parent, 0, 0, 0, 0, kIdAlertBanner);
    banner_.setFontSize(11);
    ::ShowWindow(banner_.window(), SW_HIDE);
}

int BossView::placeSelector(const Rect& bounds) {
    selector_.setBounds(bounds.left, bounds.top, bounds.width(), bounds.height());
    RECT placed{};
    return ::GetWindowRect(selector_.window(), &placed) ? placed.bottom - placed.top : 0;
}

void BossView::place(const MainLayout& layout) {
    applyPlacement(selector_, layout[LayoutControl::BossSelector]);
    applyPlacement(title_, layout[LayoutControl::BossTitleLabel]);
    applyPlacement(cacheAge_, layout[LayoutControl::CacheAgeLabel]);
    applyPlacement(spawnCountdown_, layout[LayoutControl::SpawnCountdownLabel]);
    applyPlacement(list_, layout[LayoutControl::ChannelList]);
    applyPlacement(banner_, layout[LayoutControl::AlertBanner]);
}

void BossView::setDpi(int dpi) {
    selector_.setDpi(dpi);
    list_.setDpi(dpi);
    title_.setDpi(dpi);
    cacheAge_.setDpi(dpi);
    spawnCountdown_.setDpi(dpi);
    banner_.setDpi(dpi);
}

void BossView::setClickThrough(bool on) {
    clickThrough_ = on;
    if (on) list_.scrollToTop();
    list_.setScrollBarEnabled(!on);
}

void BossView::fillBossSelector() {
    selector_.clearItems();
    selectorBosses_.clear();
    const int64_t now = clock_.now();
    CriticalSectionLock hold(state_->stateLock);
    firstBossItem_ = state_->bosses.size() >= 2 ? 1 : 0;
    if (firstBossItem_ == 1) {
        const SelectorCounts all = allBossesCounts(state_->bosses, state_->bossStatus, now);
        selector_.addItem(kAllBossesText, all.color, &allBossesItem_, all.fresh, all.total);
    }
    for (const Boss& boss : state_->bosses) {
        const SelectorCounts counts = selectorCounts(state_->bossStatus, boss.id, now);
        selectorBosses_.push_back(std::make_unique<Boss>(boss));
        selector_.addItem(boss.name, counts.color, selectorBosses_.back().get(), counts.fresh, counts.total);
    }
}

void BossView::refreshBossSelectorCounts() {
    const int64_t now = clock_.now();
    CriticalSectionLock hold(state_->stateLock);
    if (firstBossItem_ == 1) {
        const SelectorCounts all = allBossesCounts(state_->bosses, state_->bossStatus, now);
        selector_.updateItem(0, all.color, all.fresh, all.total);
    }
    const size_t count = std::min(state_->bosses.size(), static_cast<size_t>(selector_.itemCount() - firstBossItem_));
    for (size_t i = 0; i < count; ++i) {
        const SelectorCounts counts = selectorCounts(state_->bossStatus, state_->bosses[i].id, now);
        selector_.updateItem(static_cast<int>(i) + firstBossItem_, counts.color, counts.fresh, counts.total);
    }
    selector_.refresh();
}

std::optional<size_t> BossView::initialChoice(const std::string& lastBoss, bool allBosses) {
    if (allBosses && firstBossItem_ == 1) return 0;
    const int64_t now = clock_.now();
    std::optional<size_t> chosen;
    {
        CriticalSectionLock hold(state_->stateLock);
        if (!lastBoss.empty()) chosen = findBossIndex(state_->bosses, lastBoss);
        if (!chosen) chosen = firstBossWithFreshReport(state_->bosses, state_->bossStatus, now);
    }
    if (chosen) *chosen += static_cast<size_t>(firstBossItem_);
    return chosen;
}

void BossView::select(size_t index) {
    if (index < static_cast<size_t>(selector_.itemCount())) selector_.setSelection(static_cast<int>(index));
}

std::optional<BossView::Choice> BossView::onBossSelected() {
    const void* data = selector_.selectedData();
    if (!data) return std::nullopt;
    showingAll_ = data == &allBossesItem_;
    if (showingAll_) {
        selected_.reset();
    } else {
        selected_ = *static_cast<const Boss*>(data);
    }
    state_->selectedBossId = selected_ ? selected_->id : std::string();
    countdownAt_.reset();
    title_.setText(selected_ ? Utf8ToWide(selected_->name) : Utf8ToWide(kAllBossesText));
    rebuildChannelRows();
    refreshSpawnCountdown();
    return Choice{showingAll_, state_->selectedBossId};
}

void BossView::rebuildChannelRows() {
    const int64_t now = clock_.now();
    std::vector<ChannelRow> rows;  // none without a selected boss that has reports
    std::vector<BossRow> bossesRows;
    {
        // The rows of one consistent poll, built under the lock; the list draws them after it,
        // so the poller never waits for a paint.
        CriticalSectionLock hold(state_->stateLock);
        if (showingAll_) {
            bossesRows = bossRows(state_->bosses, state_->bossStatus, now);
        } else if (!state_->selectedBossId.empty()) {
            const auto entry = state_->bossStatus.find(state_->selectedBossId);
            if (entry != state_->bossStatus.end()) rows = buildChannelRows(entry->second.channels, now);
        }
    }
    // The list of all is made of the selector's copies of the bosses, which only a new list changes.
    rowBosses_.clear();
    for (const BossRow& row : bossesRows) {
        if (row.boss >= selectorBosses_.size()) continue;
        rows.push_back(channelRowOf(row.report, now));
        rows.back().name = Utf8ToWide(selectorBosses_[row.boss]->name);
        rowBosses_.push_back(row.boss);
    }
    // The list draws only what differs from what it shows.
    list_.setRows(rows);
    if (clickThrough_) list_.scrollToTop();  // no scroll strip in that look
}

void BossView::refreshSpawnCountdown() {
    // The text changes with the second at most.
    const int64_t now = clock_.now();
    if (countdownAt_ == now) return;
    countdownAt_ = now;
    if (!showingAll_) {
        spawnCountdown_.setText(selected_ ? spawnCountdownText(*selected_, now) : std::wstring());
        return;
    }
    // The time first: where the name must end in an ellipsis, the time stays whole.
    const std::vector<const Boss*> bosses = watchedBosses();
    const std::optional<SoonestSpawn> soonest = soonestSpawn(bosses, now);
    spawnCountdown_.setText(soonest ? countdownText(soonest->seconds) + L" " + Utf8ToWide(bosses[soonest->boss]->name)
                                    : std::wstring());
}

std::optional<size_t> BossView::itemOfClickedRow() const {
    const std::optional<int> row = list_.clickedRow();
    if (!showingAll_ || !row || *row < 0 || static_cast<size_t>(*row) >= rowBosses_.size()) return std::nullopt;
    return rowBosses_[static_cast<size_t>(*row)] + static_cast<size_t>(firstBossItem_);
}

std::vector<const Boss*> BossView::watchedBosses() const {
    std::vector<const Boss*> bosses;
    if (!showingAll_) {
        if (selected_) bosses.push_back(&*selected_);
        return bosses;
    }
    bosses.reserve(selectorBosses_.size());
    for (const std::unique_ptr<Boss>& boss : selectorBosses_) bosses.push_back(boss.get());
    return bosses;
}

void BossView::refreshCacheAge() {
    double age = -1.0;
    {
        CriticalSectionLock hold(state_->stateLock);
        age = state_->cacheAgeSeconds;
    }
    if (cacheAgeShown_ == age) return;
    cacheAgeShown_ = age;
    cacheAge_.setText(cacheAgeText(age));
}

void BossView::showBanner(const std::wstring* line) {
    if (!banner_.window()) return;
    const bool shown = ::IsWindowVisible(banner_.window()) != FALSE;
    if (!line) {
        if (shown) ::ShowWindow(banner_.window(), SW_HIDE);
        return;
    }
    banner_.setText(*line);
    // Over the list, whose paints leave siblings above it alone; never taking the activation.
    if (!shown)
        ::SetWindowPos(banner_.window(), HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void BossView::clear() {
    selector_.clearItems();
    selectorBosses_.clear();
    rowBosses_.clear();
    firstBossItem_ = 0;
}

void BossView::restart(TrackerState& state, const std::wstring& emptyText) {
    clear();
    state_ = &state;
    selected_.reset();
    showingAll_ = false;
    title_.setText(L"");
    list_.setEmptyText(emptyText);
    list_.clearRows();
    countdownAt_.reset();
    cacheAgeShown_ = std::numeric_limits<double>::quiet_NaN();
    refreshSpawnCountdown();
    refreshCacheAge();
}

}  // namespace mb
