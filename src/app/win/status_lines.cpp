// The two lines that report the health of the data feed: the status line at the bottom
// (connection, bytes per request, activity dots, last clock synchronisation) and the
// cache-age line under the selector.
#include "app/win/tracker_app.h"
#include "desktop/status_text.h"

namespace mb {

void TrackerApp::refreshStatusLine() {
    // One lock at a time, each released before any formatting or window call.
    const TrafficSnapshot traffic = api->trafficSnapshot();
    const int64_t synced = clock.syncedTime();
    int32_t dots = 0;
    {
        CriticalSectionLock hold(state->stateLock);
        dots = state->dotPhase;
    }
    statusLine.setText(statusLineText(connectionState, traffic.lastBytesReceived, traffic.lastBytesSent, dots, synced));
}

void TrackerApp::refreshCacheAge() {
    double age = -1.0;
    {
        CriticalSectionLock hold(state->stateLock);
        age = state->cacheAgeSeconds;
    }
    cacheAgeLabel.setText(cacheAgeText(age));
}

}  // namespace mb
