// The status line at the bottom: the connection, the size of the last request, activity dots
// and the time of the last clock synchronisation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "controls/win/custom_label.h"
#include "desktop/window_layout.h"
#include "server/win/api_client.h"

namespace mb {

class StatusLine {
public:
    // At zero size, reading "Connecting..." until the first refresh.
    void create(HWND parent);
    void place(const MainLayout& layout);
    void setDpi(int dpi) { label_.setDpi(dpi); }
    // Formats the text only when something it shows changed.
    void show(ConnectionState state, const ClientRecord& traffic, int32_t dotPhase, int64_t syncedTime);

    const CustomLabel& label() const { return label_; }

private:
    struct Shown {
        ConnectionState state;
        uint64_t received, sent;
        int32_t dots;
        int64_t synced;
        bool operator==(const Shown&) const = default;
    };
    CustomLabel label_;
    std::optional<Shown> shown_;
};

}  // namespace mb
