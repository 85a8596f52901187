// What the user sees of the bosses: the selector with its coloured items and fresh/total
// counts, the chosen boss's title, its ordered channel rows (with what the list says while it
// has none, and the alert banner over them), its spawn countdown, and the age of the server's
// cached data. With two bosses or more the selector starts with "All bosses": then the list has
// one named row per boss with a fresh report and the countdown is the soonest spawn of any.
// Reads the tracker state under its lock and the clock.
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

    // Items for every boss of the state, coloured by its fresh reports; with two bosses or more,
    // "All bosses" first, in white, counting the bosses with a fresh report over all bosses.
    void fillBossSelector();
    // Fresh counts and colours again, while the popup shows them.
    void refreshBossSelectorCounts();
    // The item to select once the list has arrived: "All bosses" when allBosses and it exists,
    // else the boss named lastBoss, else the first with a fresh report; nothing without either.
    std::optional<size_t> initialChoice(const std::string& lastBoss, bool allBosses);
    // Makes the item the selection without a notification (as the selector's own setSelection).
    void select(size_t index);
    // What the selector's item shows: every boss, or one boss by its id.
    struct Choice {
        bool allBosses = false;
        std::string bossId;  // empty for every boss
    };
    // The selector's item becomes the shown view: title, rows and countdown. Nothing when no
    // item is selected.
    std::optional<Choice> onBossSelected();
    void rebuildChannelRows();
    // The countdown of the selected boss, or of the soonest spawn with its boss's name; empty
    // without one.
    void refreshSpawnCountdown();
    void refreshCacheAge();
    // In the view of every boss, the selector item of the boss whose row was clicked last.
    std::optional<size_t> itemOfClickedRow() const;
    bool showingAllBosses() const { return showingAll_; }
    // The bosses the alerts are about: every one in the view of all, else the selected one.
    // The records stay this view's, valid until the selection or the boss list changes.
    std::vector<const Boss*> watchedBosses() const;
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
    std::vector<std::unique_ptr<Boss>> selectorBosses_;  // what the selector's boss items point to
    char allBossesItem_ = 0;                             // what the "All bosses" item points to
    int firstBossItem_ = 0;                              // 1 after "All bosses", else 0
    std::optional<Boss> selected_;
    bool showingAll_ = false;
    std::vector<size_t> rowBosses_;  // in the view of all, the boss (index) of each row
    bool clickThrough_ = false;
    // What the countdown and the cache line show was made at this second, from this value.
    std::optional<int64_t> countdownAt_;
    double cacheAgeShown_ = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace mb
