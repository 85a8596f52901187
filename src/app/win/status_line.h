// The status line at the bottom: the connection, the size of the last request, activity dots
// and the time of the last clock synchronisation.
#pragma once

#include <windows.h>

#include <cstdint>

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
    void show(ConnectionState state, const TrafficSnapshot& traffic, int32_t dotPhase, int64_t syncedTime);

    const CustomLabel& label() const { return label_; }

private:
    CustomLabel label_;
};

}  // namespace mb
