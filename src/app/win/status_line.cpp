#include "app/win/status_line.h"

#include "app/app_constants.h"
#include "app/win/placement.h"
#include "desktop/status_text.h"

namespace mb {

void StatusLine::create(HWND parent) {
    label_.create(parent, 0, 0, 0, 0, kIdStatusLine);
    label_.setNotifyClicks(true);  // a click opens the status box
    label_.setText(L"Connecting...");
}

void StatusLine::place(const MainLayout& layout) { applyPlacement(label_, layout[LayoutControl::StatusLine]); }

void StatusLine::show(ConnectionState state, const ClientRecord& traffic, int32_t dotPhase, int64_t syncedTime) {
    const Shown now{state, traffic.lastBytesReceived, traffic.lastBytesSent, dotPhase, syncedTime};
    if (shown_ == now) return;
    shown_ = now;
    label_.setText(statusLineText(state, traffic.lastBytesReceived, traffic.lastBytesSent, dotPhase, syncedTime));
}

}  // namespace mb
