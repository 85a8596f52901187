// What the user sees about bosses: the selector's coloured items with their fresh/total
// counts, choosing a boss, the ordered channel rows of the chosen one and its spawn countdown.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/row_assembly.h"
#include "app/win/tracker_app.h"
#include "core/spawn_countdown.h"
#include "server/win/utf8_to_wide.h"

namespace mb {

void TrackerApp::fillBossSelector() {
    bossSelector.clearItems();
    selectorBosses.clear();
    const int64_t now = clock.now();
    CriticalSectionLock hold(state->stateLock);
    for (const Boss& boss : state->bosses) {
        const SelectorCounts counts = selectorCounts(state->bossStatus, boss.id, now);
        selectorBosses.push_back(std::make_unique<Boss>(boss));
        bossSelector.addItem(boss.name, counts.color, selectorBosses.back().get(), counts.fresh, counts.total);
    }
}

void TrackerApp::refreshBossSelectorCounts() {
    const int64_t now = clock.now();
    CriticalSectionLock hold(state->stateLock);
    const size_t count = std::min(state->bosses.size(), static_cast<size_t>(bossSelector.itemCount()));
    for (size_t i = 0; i < count; ++i) {
        const SelectorCounts counts = selectorCounts(state->bossStatus, state->bosses[i].id, now);
        bossSelector.updateItem(static_cast<int>(i), counts.color, counts.fresh, counts.total);
    }
    bossSelector.refresh();
}

void TrackerApp::onBossSelected() {
    const auto* boss = static_cast<const Boss*>(bossSelector.selectedData());
    if (!boss) return;
    state->selectedBossId = boss->id;
    settings.lastBoss = boss->id;  // reaches the file with the next save
    bossTitleLabel.setText(Utf8ToWide(boss->name));
    rebuildChannelRows();
}

void TrackerApp::rebuildChannelRows() {
    // Held until the list has its rows, so what it shows is one consistent poll.
    CriticalSectionLock hold(state->stateLock);
    auto entry = state->selectedBossId.empty() ? state->bossStatus.end()
                                               : state->bossStatus.find(state->selectedBossId);
    if (entry == state->bossStatus.end()) {
        channelList.clearRows();
        return;
    }
    const int64_t now = clock.now();
    channelList.setRows(buildChannelRows(entry->second.channels, now));
    if (clickThrough) channelList.scrollToTop();  // no scroll strip in that look
}

std::optional<Boss> TrackerApp::selectedBoss() const {
    if (state->selectedBossId.empty()) return std::nullopt;
    CriticalSectionLock hold(state->stateLock);
    if (auto index = findBossIndex(state->bosses, state->selectedBossId)) return state->bosses[*index];
    return std::nullopt;
}

void TrackerApp::refreshSpawnCountdown() {
    const std::optional<Boss> boss = selectedBoss();  // a copy, so the lock is not held while the label paints
    spawnCountdownLabel.setText(boss ? spawnCountdownText(*boss, clock.now()) : std::wstring());
}

}  // namespace mb
