// What the user sees of the bosses: the selector with its coloured items and fresh/total
// counts, the chosen boss's title, its ordered channel rows (with what the list says while it
// has none, and the alert banner over them), its spawn countdown, and the age of the server's
// cached data. Reads the tracker state under its lock and the clock.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clock/win/ntp_clock.h"
#include "controls/win/banner_label.h"
#include "controls/win/custom_combo_box.h"
#include "controls/win/custom_label.h"
#include "controls/win/progress_list.h"
#include "core/tracker_records.h"
#include "core/win/tracker_state.h"
#include "desktop/window_layout.h"

namespace mb {

class BossView {
public:
    BossView(TrackerState& state, NtpClock& clock);

    // The controls at zero size, until the layout places them; the list at its scale, saying
    // emptyText while it has no rows; with alerts on, the banner, hidden.
    void create(HWND parent, int textScale, const std::wstring& emptyText, bool withBanner);
    // The selector first, so that its real height is known; then the rest.
    int placeSelector(const Rect& bounds);
    void place(const MainLayout& layout);

    // The look of click-through: the rows from the top and no scroll strip.
    void setClickThrough(bool on);
    // Fonts and pixel sizes of the five controls at this DPI.
    void setDpi(int dpi);
    void setTextScale(int percent) { list_.setTextScale(percent); }

    // Items for every boss of the state, coloured by its fresh reports.
    void fillBossSelector();
    // Fresh counts and colours again, while the popup shows them.
    void refreshBossSelectorCounts();
    // The boss to select once the list has arrived: the one named lastBoss, else the first
    // with a fresh report; nothing without either.
    std::optional<size_t> initialChoice(const std::string& lastBoss);
    // Makes the item the selection without a notification (as the selector's own setSelection).
    void select(size_t index);
    // The selector's boss becomes the shown one: title and rows. Its id, or nothing when no
    // boss is selected.
    std::optional<std::string> onBossSelected();
    void rebuildChannelRows();
    // The countdown of the selected boss, empty without one.
    void refreshSpawnCountdown();
    void refreshCacheAge();
    // The selected boss's record (as the selector lists it); nothing while none is selected.
    const std::optional<Boss>& selectedBoss() const { return selected_; }
    // The items go before the records they point to, so nothing points at freed memory.
    void clear();
    // Another tracker: nothing selected or shown, the list saying emptyText until the rows of
    // the new state come.
    void restart(TrackerState& state, const std::wstring& emptyText);
    void setEmptyText(const std::wstring& text) { list_.setEmptyText(text); }
    // The banner shows this line over the list, or goes when there is none.
    void showBanner(const std::wstring* line);

    CustomComboBox& selector() { return selector_; }
    const ProgressList& list() const { return list_; }
    const CustomLabel& title() const { return title_; }
    const CustomLabel& spawnCountdown() const { return spawnCountdown_; }
    const CustomLabel& cacheAge() const { return cacheAge_; }
    const BannerLabel& banner() const { return banner_; }

private:
    TrackerState* state_;  // the feed's, replaced when the tracker changes
    NtpClock& clock_;
    CustomComboBox selector_;
    ProgressList list_;
    CustomLabel title_;
    CustomLabel cacheAge_;
    CustomLabel spawnCountdown_;
    BannerLabel banner_;                                 // above the list: made after it
    std::vector<std::unique_ptr<Boss>> selectorBosses_;  // what the selector's items point to
    std::optional<Boss> selected_;
    bool clickThrough_ = false;
    // What the countdown and the cache line show was made at this second, from this value.
    std::optional<int64_t> countdownAt_;
    double cacheAgeShown_ = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace mb
